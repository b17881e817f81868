#pragma once
// Where a span-level decoder puts the rows it decodes. The decoder fills rowBuffer() with one
// row (8-bit indices, or blue-green-red or blue-green-red-alpha bytes, as its format says) and
// then calls rowDone with the row's number counted from the top of the picture; false from
// rowDone asks it to stop. The decoder does not know the image's row layout.

#include <cstdint>
#include <new>
#include <span>
#include <vector>

namespace kpx {

class RowSink {
public:
    virtual ~RowSink() = default;
    virtual std::span<std::uint8_t> rowBuffer() = 0;
    // The buffer for a row whose number the decoder knows before it decodes it; a sink may hand
    // out the row's final place so that nothing is copied after.
    virtual std::span<std::uint8_t> rowBuffer(int /*row*/) { return rowBuffer(); }
    virtual bool rowDone(int row) = 0;
};

} // namespace kpx

namespace kpx {

// Where a span-level encoder takes the rows it encodes: row(index) gives the row counted from
// the top of the picture, in the layout the encoder was told; an empty span stops the encoder.
class RowSource {
public:
    virtual ~RowSource() = default;
    virtual std::span<const std::uint8_t> row(int index) = 0;
};

} // namespace kpx

namespace kpx {

// Where a span-level encoder puts the bytes it makes: it appends them to bytes() and calls
// flush() after each piece (a row); a sink may then hand them on and clear them, so a large file
// never sits in memory whole. false from flush: they could not be written, and the encoder
// stops. This base keeps every byte.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    std::vector<std::uint8_t>& bytes() { return bytes_; }
    virtual bool flush() { return true; }
    // Appends a run of bytes and flushes: for encoders whose library hands its output over in
    // pieces of its own. false when the bytes could not be kept or written.
    bool append(std::span<const std::uint8_t> more) {
        try {
            bytes_.insert(bytes_.end(), more.begin(), more.end());
        } catch (const std::bad_alloc&) {
            return false;
        }
        return flush();
    }

protected:
    std::vector<std::uint8_t> bytes_;
};

} // namespace kpx
