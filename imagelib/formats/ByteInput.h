#pragma once
// Where a span-level decoder over an outside library takes its bytes, and where its encoder puts
// them: memory (fuzzing, tests) or an open file, read and written as the library asks, so a
// large file is never held whole. None of the calls throws: they are called from inside the
// libraries.

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <span>
#include <vector>

namespace kpx {

class ByteInput {
public:
    virtual ~ByteInput() = default;
    // Up to out.size() bytes; fewer only at the end.
    virtual std::size_t read(std::span<std::uint8_t> out) = 0;
    // Skips forward; false when the source ends first.
    virtual bool skip(std::uint64_t count) = 0;
};

class MemoryByteInput final : public ByteInput {
public:
    explicit MemoryByteInput(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::size_t read(std::span<std::uint8_t> out) override {
        const std::size_t count = std::min(out.size(), bytes_.size() - position_);
        std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(position_), count, out.begin());
        position_ += count;
        return count;
    }
    bool skip(std::uint64_t count) override {
        const bool within = count <= bytes_.size() - position_;
        position_ = within ? position_ + static_cast<std::size_t>(count) : bytes_.size();
        return within;
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t position_ = 0;
};

// An open file from its current position; the file stays the caller's.
class FileByteInput final : public ByteInput {
public:
    explicit FileByteInput(std::FILE* file) : file_(file) {}
    std::size_t read(std::span<std::uint8_t> out) override {
        return out.empty() ? 0 : std::fread(out.data(), 1, out.size(), file_);
    }
    bool skip(std::uint64_t count) override {
        return count <= static_cast<std::uint64_t>(LONG_MAX) &&
               std::fseek(file_, static_cast<long>(count), SEEK_CUR) == 0;
    }

private:
    std::FILE* file_;
};

} // namespace kpx
