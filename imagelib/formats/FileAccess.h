#pragma once
// Files as the codecs' entry points read and write them, with no more file-system work than the
// bytes themselves need.
//
// Reading
// - ReadOnlyFile: a file opened once and read by position. A codec reads each part when it
//   needs it and holds only what it asked for; FileSource makes it a ByteSource for the span
//   level (see imagelib/bytes/ByteSource.h), with a window of the file read ahead.
// - FileSession: while one lives, the file its path names stays open for the calling thread's
//   openSource calls (one source, one window), and codecs can keep what they learned of the
//   file (its format, a scan) for the session's later calls. A multi-frame load holds one, so that
//   its per-frame calls open, examine and scan the file once for the whole load. A file that is
//   replaced during a session is read as it was when opened; one that is cut short is read up
//   to where it now ends.
//
// Writing
// - appendToFile: adds bytes at the end of a file, through the file a save keeps open for that
//   path on the calling thread (OutputScope, which ReplacingFile sets up for its temporary
//   file), so that a save of many frames opens its output once.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "ByteSource.h"

namespace kpx {

class ReadOnlyFile {
public:
    // Null when the file cannot be opened for reading.
    static std::shared_ptr<const ReadOnlyFile> open(const std::string& path);
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    // The file's size: where a read first found its end, else the size the system gives when
    // first asked (nothing is read past it).
    std::uint64_t size() const;
    // Copies up to out.size() bytes from offset; the number copied, fewer at the end of the file
    // or when it cannot be read further.
    std::size_t read(std::uint64_t offset, std::span<std::uint8_t> out) const;

private:
    explicit ReadOnlyFile(int descriptor) : descriptor_(descriptor) {}

    int descriptor_;
    mutable std::optional<std::uint64_t> size_;
};

// A ReadOnlyFile as a ByteSource. Small reads are served from a window of the file read ahead,
// so that reading a run of small pieces (the blocks of many small frames) costs few reads of
// the file; a read at least as large as the window goes to the file directly.
class FileSource final : public ByteSource {
public:
    static constexpr std::size_t kWindow = std::size_t{1} << 16;

    explicit FileSource(std::shared_ptr<const ReadOnlyFile> file) : file_(std::move(file)) {}
    // The first window is read before the size is asked of the system: a file that ends inside
    // it is known without asking.
    std::uint64_t size() const override;
    std::size_t read(std::uint64_t offset, std::span<std::uint8_t> out) override;
    // A view into the window for at most a window's bytes; larger views are read whole.
    std::span<const std::uint8_t> view(std::uint64_t offset, std::size_t n) override;

private:
    // Makes the window cover the n bytes at offset when the file has them.
    void cover(std::uint64_t offset, std::size_t n) const;

    std::shared_ptr<const ReadOnlyFile> file_;
    // The window's bytes (allocated on first use, never cleared) and how many of them are read.
    mutable std::unique_ptr<std::uint8_t[]> window_;
    mutable std::size_t windowLength_ = 0;
    mutable std::uint64_t windowStart_ = 0;
};

class FileSession {
public:
    // A session for the file at path on the calling thread. Within a session for the same path
    // it adds nothing: the outer one serves.
    explicit FileSession(const char* path);
    ~FileSession();
    FileSession(const FileSession&) = delete;
    FileSession& operator=(const FileSession&) = delete;

    // The calling thread's session for path; null when there is none.
    static FileSession* of(const char* path);

    // The file, opened on first use; null when it cannot be opened (which is not tried again).
    std::shared_ptr<const ReadOnlyFile> file();
    // The file as a source, shared by the codecs' calls within the session (so its window of
    // the file serves them all); null when it cannot be opened.
    std::shared_ptr<FileSource> source();

    // A value a codec keeps under a key for the session's life; null when there is none.
    template <typename Value> std::shared_ptr<const Value> kept(const std::string& key) const {
        const auto found = kept_.find(key);
        return found == kept_.end() ? nullptr
                                    : std::static_pointer_cast<const Value>(found->second);
    }
    void keep(const std::string& key, std::shared_ptr<const void> value) {
        kept_[key] = std::move(value);
    }

private:
    std::string path_;
    bool serves_ = false; // false within a session for the same path
    FileSession* outer_ = nullptr;
    bool opened_ = false;
    std::shared_ptr<const ReadOnlyFile> file_;
    std::shared_ptr<FileSource> source_;
    std::map<std::string, std::shared_ptr<const void>> kept_;
};

// The file at path as a source: the calling thread's session's when it has one for the path,
// else one of its own. Null when the file cannot be opened.
std::shared_ptr<FileSource> openSource(const char* path);

enum class Appended {
    All,
    CannotOpen, // the file could not be opened or created
    NotAll,     // writing failed part of the way
};

// Makes an open file the calling thread's output for a path while it lives.
class OutputScope {
public:
    OutputScope(std::string path, int descriptor);
    ~OutputScope();
    OutputScope(const OutputScope&) = delete;
    OutputScope& operator=(const OutputScope&) = delete;

private:
    std::string path_;
    int descriptor_;
    OutputScope* outer_;
    std::uint64_t written_ = 0; // bytes appended through this scope
    std::uint64_t writing_ = 0; // of which the disk was asked to write this many
    friend Appended appendToFile(const std::string& path, std::span<const std::uint8_t> bytes);
};

// Adds the bytes at the end of the file at path (created when it does not exist): through the
// calling thread's output for the path when there is one, else by opening and closing the file.
Appended appendToFile(const std::string& path, std::span<const std::uint8_t> bytes);

} // namespace kpx
