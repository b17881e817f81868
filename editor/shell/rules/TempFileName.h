#pragma once
// Unique temporary files of the program: "<prefix>XXXXXX.tmp" in the system's temporary folder
// (TMPDIR), which is made when it is missing. The file is created empty and stays until its
// owner deletes it.

#include <string>

namespace kfm::shell {

// The temporary folder with a trailing "/".
std::string TemporaryFolder();
// The new file's path, or empty when none could be made.
std::string MakeTemporaryFile(const std::string& prefix);

} // namespace kfm::shell
