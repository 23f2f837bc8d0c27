#pragma once

// Writing a file without ever destroying the one it replaces: the new bytes go to a new file in
// the same folder, are flushed to the disk, and only then take the old file's name. On any
// failure the old file is left whole and the new one removed.
//
// Paths are bytes, as the system takes them: a name that is not UTF-8 is used as given (from Qt,
// pass QFile::encodeName(name).toStdString(), never a round trip through QString).
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

namespace kelo {

// Writes the new file's contents to `file`; false (with the reason in `why`, or left empty when a
// write failed and errno tells) to give up.
using FileWriter = std::function<bool(std::FILE* file, std::string& why)>;

// Puts `bytes` in the file at `path`: empty when done, otherwise a message such as
// "cannot write out.png: No space left on device (the old file is unchanged)".
// A link is followed: the file it points to is replaced and the link stays. A device or a pipe
// (/dev/null, /dev/stdout) is written directly, as there is no file there to keep.
[[nodiscard]] std::string ReplaceFile(const std::string& path, std::string_view bytes);

// The same, the contents written by `writer` as they are made.
[[nodiscard]] std::string ReplaceFileWith(const std::string& path, const FileWriter& writer);

}  // namespace kelo
