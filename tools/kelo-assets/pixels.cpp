// Writes pictures as C++ tables of 32-bit pixels, in the formats the window draws them in, so
// that the game reads no image file at launch. Usage: kelo-pixels OUT.cpp NAME=FILE:FORMAT...
// with FORMAT rgb32 (opaque) or premultiplied (with alpha).
#include <QImage>
#include <QString>
#include <cstdio>
#include <fstream>
#include <string>

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: kelo-pixels OUT.cpp NAME=FILE:FORMAT...\n");
        return 2;
    }
    std::ofstream out(argv[1]);
    out << "// Written by kelo-pixels from the files in assets/.\n#include \"ui/tiles.h\"\n\nnamespace kelo {\n";
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto equals = arg.find('=');
        const auto colon = arg.rfind(':');
        if (equals == std::string::npos || colon == std::string::npos || colon < equals) {
            std::fprintf(stderr, "kelo-pixels: %s is not NAME=FILE:FORMAT\n", argv[i]);
            return 2;
        }
        const std::string format = arg.substr(colon + 1);
        if (format != "rgb32" && format != "premultiplied") {
            std::fprintf(stderr, "kelo-pixels: unknown format %s\n", format.c_str());
            return 2;
        }
        const QImage image = QImage(QString::fromStdString(arg.substr(equals + 1, colon - equals - 1)))
                                 .convertToFormat(format == "rgb32" ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
        if (image.isNull()) {
            std::fprintf(stderr, "kelo-pixels: cannot read %s\n", argv[i]);
            return 1;
        }
        const std::string name = arg.substr(0, equals);
        out << "\nstatic const std::uint32_t " << name << "Data[] = {";
        char word[24];
        for (int y = 0; y < image.height(); ++y) {
            const auto* row = reinterpret_cast<const std::uint32_t*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                std::snprintf(word, sizeof word, "%s0x%08x,", (y * image.width() + x) % 8 ? " " : "\n    ", row[x]);
                out << word;
            }
        }
        out << "\n};\nconst Pixels " << name << "{" << image.width() << ", " << image.height() << ", " << name << "Data};\n";
    }
    out << "\n}  // namespace kelo\n";
    out.close();
    return out ? 0 : 1;
}
