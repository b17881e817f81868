#pragma once
// Helpers shared by the test suites.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kfm::test {

// How long a test waits for what must come (a window, a menu, a timer's work, another process):
// only a hang takes this long, never a slow or busy machine.
constexpr int kHangMilliseconds = 5 * 60 * 1000;

// A fresh temporary folder, removed with everything in it at the end of the scope.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// Points the registry at a temporary folder for the scope of a test.
class ScopedRegistry {
public:
    ScopedRegistry();
    ~ScopedRegistry();
    const TempDir& folder() const { return dir_; }

private:
    TempDir dir_;
};

// Makes the GUI application that fonts and the clipboard need, once per test program: on the
// offscreen platform unless QT_QPA_PLATFORM names another.
void ensureGuiApplication();

// The folder of the running test program (the build output folder, beside the libraries).
std::filesystem::path programFolder();
// A file of tests/data in the source tree.
std::filesystem::path testDataPath(const std::string& relative);

// The bytes of a file; empty when it cannot be read.
std::vector<std::uint8_t> readFileBytes(const std::filesystem::path& path);
// Replaces the file with exactly these bytes; false when it cannot be written.
bool writeFileBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

// The bytes of the smallest enhanced metafile: a header record (type 1, 88 bytes) with the " EMF"
// signature, then the end record.
std::vector<std::uint8_t> smallestMetafileBytes();

} // namespace kfm::test
