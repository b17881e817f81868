#pragma once
// Saving without risking the file that was there: a codec writes into a temporary file beside
// the target, which replaces the target only once the whole write has succeeded. A target that
// is a symbolic link is saved into the file the link points to; the link stays.
//
// The temporary file stays open while this object lives, as the calling thread's output for its
// path (see appendToFile in FileAccess.h): a codec that appends its bytes there writes through
// that one open file, however many frames it writes.

#include <memory>
#include <string>

#include "FileAccess.h"

namespace kpx {

class ReplacingFile {
public:
    // Creates a new empty file with a short name of its own in the target's folder, with the
    // permissions the target has (or, for a new target, those a new file gets).
    explicit ReplacingFile(std::string target);
    // Removes the temporary file unless it replaced the target.
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    bool valid() const { return !path_.empty(); }
    // Where the codec writes.
    const std::string& path() const { return path_; }
    // Flushes the temporary file to disk and renames it over the target. False when that
    // fails; the target is then as it was.
    bool commit();

private:
    void closeOutput();

    std::string target_;
    std::string path_;
    int descriptor_ = -1;
    std::unique_ptr<OutputScope> output_;
    bool committed_ = false;
};

} // namespace kpx
