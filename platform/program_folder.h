#pragma once

#include <string>

namespace kelo {

// The folder that holds the running executable, without a trailing separator, as the bytes the
// system gives: a folder name in any encoding names the same folder when a file name is appended.
// When the system cannot tell, a folder in which nothing can be opened or created.
std::string ExecutableFolder();

}  // namespace kelo
