#include "tools/kelo-editor/level_document.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "game/level_format.h"
#include "tools/kelo-levels/generate.h"

namespace kelo::editor {

LevelDocument LevelDocument::FromBytes(std::string_view bytes) {
    LevelDocument d;
    const std::size_t levels = static_cast<std::size_t>(LevelCount(static_cast<std::int64_t>(bytes.size())));
    const std::size_t kept = std::min<std::size_t>(levels, kMostLevels);
    d.records_.reserve(kept);
    for (std::size_t k = 0; k < kept; ++k) d.records_.emplace_back(bytes.substr(k * kRecordSize, kRecordSize));
    if (kept < levels) d.unreachable_ = std::string(bytes.substr(kept * kRecordSize));
    return d;
}

Board LevelDocument::Cells(int index) const {
    const std::string& record = Record(index);
    return ReadCells(MemoryBytes(record), 1).value_or(Board{});
}

std::optional<Level> LevelDocument::Loaded(int index) const { return ReadLevel(MemoryBytes(Record(index)), 1); }

void LevelDocument::SetRecord(int index, std::string record) { records_.at(static_cast<std::size_t>(index)) = std::move(record); }

void LevelDocument::Insert(int index, std::string record) {
    records_.insert(records_.begin() + index, std::move(record));
}

std::string LevelDocument::Remove(int index) {
    std::string record = std::move(records_.at(static_cast<std::size_t>(index)));
    records_.erase(records_.begin() + index);
    return record;
}

void LevelDocument::Move(int from, int to) {
    std::string record = Remove(from);
    Insert(to, std::move(record));
}

std::string LevelDocument::Bytes() const {
    std::string out;
    out.reserve(records_.size() * kRecordSize + unreachable_.size());
    for (std::size_t k = 0; k < records_.size(); ++k) {
        const std::string& r = records_[k];
        const bool last = k + 1 == records_.size() && unreachable_.empty();
        if (last || r.size() == static_cast<std::size_t>(kRecordSize)) {
            out += r;
        } else if (r.size() == static_cast<std::size_t>(kRecordSize) - 2) {
            out += r + "\r\n";  // only the empty line was missing
        } else {
            out += RecordOfBoard(ReadCells(MemoryBytes(r), 1).value_or(Board{}));
        }
    }
    return out + unreachable_;
}

std::string RecordOfBoard(const Board& board) { return RecordOf(board); }

std::string NewLevelRecord() {
    Board b;
    for (int r = 1; r <= kRows; ++r) {
        for (int c = 1; c <= kCols; ++c) b(r, c) = (r == 1 || r == kRows || c == 1 || c == kCols) ? Wall : Empty;
    }
    b(2, 2) = Ball;
    b(2, 15) = Ring;
    b(8, 2) = Square;
    return RecordOfBoard(b);
}

bool FileIdentity(const std::string& path, std::uint64_t& device, std::uint64_t& inode, std::int64_t& size,
                  std::int64_t& modified) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    device = st.st_dev;
    inode = st.st_ino;
    size = st.st_size;
    modified = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    return true;
}

OpenedFile OpenLevelFile(const std::string& path, std::int64_t mostBytes) {
    OpenedFile f;
    FileSource source;
    std::string why;
    if (!source.Open(path, why)) {
        if (why == "it is a directory") {
            f.why = "c'est un dossier";
        } else if (why == "not a regular file") {
            f.why = "ce n'est pas un fichier ordinaire (tube, périphérique...)";
        } else {
            f.why = why;
        }
        return f;
    }
    const std::int64_t size = source.Size().value_or(0);
    if (size > mostBytes) {
        f.why = "le fichier fait " + std::to_string(size / (1 << 20)) + " Mio ; le jeu n'en lit que les " +
                std::to_string(LevelDocument::kMostLevels) + " premiers niveaux (5 Mio) et l'éditeur n'ouvre pas de fichier de plus de " +
                std::to_string(mostBytes / (1 << 20)) + " Mio";
        return f;
    }
    std::string bytes(static_cast<std::size_t>(size), '\0');
    const auto got = source.ReadAt(0, bytes.data(), bytes.size());
    if (!got) {
        f.why = std::string("erreur de lecture : ") + std::strerror(errno);
        return f;
    }
    bytes.resize(*got);
    f.report = CheckLevels(MemoryBytes(bytes));
    f.document = LevelDocument::FromBytes(bytes);
    FileIdentity(path, f.device, f.inode, f.size, f.modified);
    f.ok = true;
    return f;
}

}  // namespace kelo::editor
