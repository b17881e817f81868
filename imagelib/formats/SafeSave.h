#pragma once
// Saving without risking the file that was there: a codec writes into a temporary file beside
// the target, which replaces the target only once the whole write has succeeded. A target that
// is a symbolic link is saved into the file the link points to; the link stays.
//
// Where the file system allows it, the temporary file has no name until the end (O_TMPFILE): a
// save that is killed part of the way leaves nothing behind. The codec then reaches the file
// through /proc/self/fd. Elsewhere the temporary file is a hidden ".kfm-XXXXXXXX.tmp" beside the
// target, removed when the save fails.
//
// A file the user may not write is not replaced, whatever the folder allows. The rule works the
// same for every user, root included: a file is writable when the system grants write access
// (access(2) with the effective ids) and its mode has at least one write bit. A file that no one
// may write is what file managers show as read-only, and root's power to write anything is not
// taken as leave to replace it.
//
// The replaced file keeps the target's permissions, and its owner and group where the process
// may set them; a new file gets the permissions a new file gets.
//
// The temporary file stays open while this object lives, as the calling thread's output for its
// path (see appendToFile in FileAccess.h): a codec that appends its bytes there writes through
// that one open file, however many frames it writes.

#include <memory>
#include <string>
#include <sys/stat.h>

#include "FileAccess.h"
#include "ResultCodes.h"

namespace kpx {

// Whether the user may replace the existing file with this status at path (the rule above).
bool mayReplaceFile(const std::string& path, const struct stat& status);

class ReplacingFile {
public:
    explicit ReplacingFile(std::string target);
    // Discards the temporary file unless it replaced the target.
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    bool valid() const { return !path_.empty(); }
    // Why there is no temporary file: kKpxNotWritable for a file the user may not write,
    // kKpxCannotCreate for anything else (no folder, a folder or device as target, a link
    // loop); kKpxOk when valid.
    KpxResult refusal() const { return refusal_; }
    // Where the codec writes.
    const std::string& path() const { return path_; }
    // Flushes the temporary file to disk and puts it in the target's place. False when that
    // fails; the target is then as it was.
    bool commit();

private:
    bool openUnnamed(const std::string& folder);
    bool openNamed();
    void keepTargetAttributes();
    bool linkUnnamed();
    void closeOutput();

    std::string target_;
    std::string path_;
    KpxResult refusal_ = kKpxCannotCreate;
    bool unnamed_ = false;
    bool targetExists_ = false;
    struct stat targetStatus_ {};
    int descriptor_ = -1;
    std::unique_ptr<OutputScope> output_;
    bool committed_ = false;
};

} // namespace kpx
