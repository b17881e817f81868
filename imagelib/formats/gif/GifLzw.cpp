#include "GifLzw.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <memory>
#include <new>

namespace kpx::gif {

static_assert(std::endian::native == std::endian::little,
              "the bit reader loads little-endian words");

namespace {

constexpr int kMaxCodes = 4096;
constexpr int kMaxCodeWidth = 12;

constexpr std::array<int, 4> kPassStart = {0, 4, 2, 1};
constexpr std::array<int, 4> kPassStep = {8, 8, 4, 2};

// Reads codes least-significant bit first from a chain of data sub-blocks, which arrives in
// pieces (one piece when it is in memory; a sub-block may span two pieces). The chain ends at a
// zero length byte or at the end of the last piece; a sub-block announcing more bytes than
// remain yields the bytes that are there.
// The one reader of the library that does not go through ByteReader: decoding speed rests on its
// fast path, which loads eight bytes at a time from inside a sub-block; every load is bounded by
// the sub-block's own remaining length and by the piece's end.
class SubBlockBitReader {
public:
    explicit SubBlockBitReader(ByteChunks& pieces) : pieces_(pieces) {}

    // Makes at least `bits` bits available; false when the chain ends first.
    bool ensure(int bits) {
        if (nbits_ >= bits)
            return true;
        refill();
        return nbits_ >= bits;
    }

    std::uint32_t take(int width) {
        const auto code = static_cast<std::uint32_t>(acc_ & ((1u << width) - 1));
        acc_ >>= width;
        nbits_ -= width;
        return code;
    }

private:
    void refill() {
        while (nbits_ <= 56) {
            if (blockLeft_ == 0 && !openBlock())
                return;
            if (blockLeft_ >= 8 && nbits_ < 56) {
                std::uint64_t word;
                std::memcpy(&word, p_, sizeof word); // all 8 bytes lie inside this sub-block
                const int n = (63 - nbits_) >> 3;
                acc_ |= (word & ((std::uint64_t{1} << (8 * n)) - 1)) << nbits_;
                p_ += n;
                blockLeft_ -= static_cast<std::size_t>(n);
                nbits_ += 8 * n;
            } else {
                acc_ |= std::uint64_t{*p_++} << nbits_;
                nbits_ += 8;
                --blockLeft_;
            }
        }
    }

    // Starts the next run of bytes to read: the rest of a sub-block that went on past the end of
    // the last piece, or the next sub-block. blockLeft_ counts the bytes of the run that lie in
    // the current piece; the rest of the sub-block waits in blockRest_.
    bool openBlock() {
        if (ended_)
            return false;
        if (blockRest_ == 0) {
            if (p_ == end_ && !nextPiece())
                return end();
            blockRest_ = *p_++;
            if (blockRest_ == 0)
                return end();
        }
        if (p_ == end_ && !nextPiece())
            return end();
        blockLeft_ = std::min(blockRest_, static_cast<std::size_t>(end_ - p_));
        blockRest_ -= blockLeft_;
        return true;
    }

    bool end() {
        ended_ = true;
        return false;
    }

    [[gnu::noinline]] bool nextPiece() {
        const std::span<const std::uint8_t> piece = pieces_.next();
        p_ = piece.data();
        end_ = piece.data() + piece.size();
        return !piece.empty();
    }

    ByteChunks& pieces_;
    const std::uint8_t* p_ = nullptr;
    const std::uint8_t* end_ = nullptr;
    std::size_t blockLeft_ = 0;
    std::size_t blockRest_ = 0;
    std::uint64_t acc_ = 0;
    int nbits_ = 0;
    bool ended_ = false;
};

// A coder's tables, taken from those the thread keeps for the next image and given back to them
// afterwards: a load or save of many small frames would otherwise allocate (and fault in) tens
// of KiB for every frame. A coder started while another runs on the thread gets tables of its
// own. Empty when they cannot be allocated.
template <typename Tables> class ThreadTables {
public:
    ThreadTables() : tables_(std::move(kept())), reused_(tables_ != nullptr) {
        if (!tables_)
            tables_.reset(new (std::nothrow) Tables);
    }
    ~ThreadTables() {
        if (tables_ && !kept())
            kept() = std::move(tables_);
    }
    ThreadTables(const ThreadTables&) = delete;
    ThreadTables& operator=(const ThreadTables&) = delete;

    Tables* get() const { return tables_.get(); }
    Tables* operator->() const { return tables_.get(); }
    explicit operator bool() const { return tables_ != nullptr; }
    // Whether the tables served an image before (and hold what it left).
    bool reused() const { return reused_; }

private:
    static std::unique_ptr<Tables>& kept() {
        thread_local std::unique_ptr<Tables> tables;
        return tables;
    }

    std::unique_ptr<Tables> tables_;
    bool reused_;
};

struct DecoderTables {
    std::array<std::uint16_t, kMaxCodes> prefix;
    std::array<std::uint16_t, kMaxCodes> length;
    std::array<std::uint8_t, kMaxCodes> suffix;
    std::array<std::uint8_t, kMaxCodes> first;
    std::array<std::uint8_t, kMaxCodes> stack;
    // The root entries below this code hold their single pixels; string entries overwrite the
    // roots from clear + 2 up. Tables that serve many small images set up only the roots an
    // image's code size needs and an earlier image overwrote.
    int rootsReady = 0;

    // Makes the codes 0..clear - 1 the single pixels, and records that codes from clear + 2
    // up will be overwritten by the image.
    void prepareRoots(int clear) {
        for (int c = rootsReady; c < clear; ++c) {
            const auto i = static_cast<std::size_t>(c);
            prefix[i] = 0;
            length[i] = 1;
            suffix[i] = static_cast<std::uint8_t>(c);
            first[i] = static_cast<std::uint8_t>(c);
        }
        rootsReady = clear;
    }
};

// Places decoded strings into the sink's rows in file order.
class RowWriter {
public:
    RowWriter(LzwRowSink& sink, int width, int height, RowOrder order)
        : sink_(sink), width_(width), rows_(height, order) {
        if (width <= 0 || height <= 0)
            rows_ = RowSequence(0, order);
    }

    // Opens the first row; false when the sink refuses it.
    bool start() { return rows_.done() || openRow(); }
    bool discarding() const { return rows_.done(); }
    std::size_t left() const { return rowLeft_; }
    std::uint8_t* cursor() const { return cursor_; }
    int rowsDone() const { return rowsDone_; }

    // Accounts for n bytes written at the cursor; false when the sink asked to stop.
    bool advance(std::size_t n) {
        cursor_ += n;
        rowLeft_ -= n;
        return rowLeft_ != 0 || finishRow();
    }

    // Copies bytes across rows; false when the sink asked to stop.
    bool write(const std::uint8_t* src, std::size_t n) {
        while (n != 0 && !discarding()) {
            const std::size_t chunk = std::min(n, rowLeft_);
            std::memcpy(cursor_, src, chunk);
            src += chunk;
            n -= chunk;
            if (!advance(chunk))
                return false;
        }
        return true;
    }

private:
    bool openRow() {
        const std::span<std::uint8_t> row = sink_.rowBuffer(rows_.row());
        if (row.size() < static_cast<std::size_t>(width_))
            return false;
        cursor_ = row.data();
        rowLeft_ = static_cast<std::size_t>(width_);
        return true;
    }

    bool finishRow() {
        if (!sink_.rowDone(rows_.row()))
            return false;
        ++rowsDone_;
        rows_.advance();
        return rows_.done() || openRow();
    }

    LzwRowSink& sink_;
    int width_;
    RowSequence rows_;
    std::uint8_t* cursor_ = nullptr;
    std::size_t rowLeft_ = 0;
    int rowsDone_ = 0;
};

class BufferSink final : public LzwRowSink {
public:
    BufferSink(std::span<std::uint8_t> pixels, int width) : pixels_(pixels), width_(width) {}
    std::span<std::uint8_t> rowBuffer(int row) override {
        const std::size_t offset = static_cast<std::size_t>(row) * static_cast<std::size_t>(width_);
        if (offset + static_cast<std::size_t>(width_) > pixels_.size())
            return {};
        return pixels_.subspan(offset, static_cast<std::size_t>(width_));
    }
    bool rowDone(int) override { return true; }

private:
    std::span<std::uint8_t> pixels_;
    int width_;
};

class BufferSource final : public LzwRowSource {
public:
    BufferSource(std::span<const std::uint8_t> pixels, int width)
        : pixels_(pixels), width_(width) {}
    std::span<const std::uint8_t> row(int row) override {
        const std::size_t offset = static_cast<std::size_t>(row) * static_cast<std::size_t>(width_);
        if (offset + static_cast<std::size_t>(width_) > pixels_.size())
            return {};
        return pixels_.subspan(offset, static_cast<std::size_t>(width_));
    }

private:
    std::span<const std::uint8_t> pixels_;
    int width_;
};

// Packs codes least-significant bit first into 255-byte sub-blocks appended to the output. The
// codes gather in a 64-bit word that goes out four bytes at a time.
class CodeWriter {
public:
    explicit CodeWriter(std::vector<std::uint8_t>& out) : out_(out) {}

    void put(std::uint32_t code, int width) {
        acc_ |= std::uint64_t{code} << nbits_;
        nbits_ += width;
        if (nbits_ >= 32)
            emitWord();
    }

    // Writes the bits still held, the last sub-block and the terminator.
    void finish() {
        while (nbits_ > 0) {
            emitByte(static_cast<std::uint8_t>(acc_));
            acc_ >>= 8;
            nbits_ -= 8;
        }
        acc_ = 0;
        nbits_ = 0;
        if (used_ != 0)
            flushBlock();
        out_.push_back(0);
    }

private:
    void emitWord() {
        if (used_ + 4 <= block_.size()) {
            const auto word = static_cast<std::uint32_t>(acc_);
            for (int i = 0; i < 4; ++i)
                block_[used_ + static_cast<std::size_t>(i)] =
                    static_cast<std::uint8_t>(word >> (8 * i));
            used_ += 4;
            if (used_ == block_.size())
                flushBlock();
        } else {
            for (int i = 0; i < 4; ++i)
                emitByte(static_cast<std::uint8_t>(acc_ >> (8 * i)));
        }
        acc_ >>= 32;
        nbits_ -= 32;
    }

    void emitByte(std::uint8_t byte) {
        block_[used_++] = byte;
        if (used_ == block_.size())
            flushBlock();
    }

    void flushBlock() {
        out_.push_back(static_cast<std::uint8_t>(used_));
        out_.insert(out_.end(), block_.begin(), block_.begin() + static_cast<long>(used_));
        used_ = 0;
    }

    std::vector<std::uint8_t>& out_;
    std::array<std::uint8_t, 255> block_{};
    std::size_t used_ = 0;
    std::uint64_t acc_ = 0;
    int nbits_ = 0;
};

// The encoder's string table: open addressing over (prefix code, pixel) keys. Entries carry a
// generation stamp so that a reset only bumps the generation.
class EncoderTable {
public:
    static constexpr int kBits = 13;
    static constexpr std::uint32_t kSize = 1u << kBits;
    static constexpr std::uint32_t kMask = kSize - 1;

    EncoderTable() { keys_.fill(0); }

    void reset() {
        if (++generation_ == (1u << 12)) {
            keys_.fill(0);
            generation_ = 1;
        }
    }

    // The slot of key (20 bits), found or empty; `found` tells which.
    std::uint32_t find(std::uint32_t key, bool& found) const {
        const std::uint32_t stamped = key | (generation_ << 20);
        std::uint32_t h = (key * 2654435761u) >> (32 - kBits);
        for (;;) {
            const std::uint32_t entry = keys_[h];
            if (entry == stamped) {
                found = true;
                return h;
            }
            if ((entry >> 20) != generation_) {
                found = false;
                return h;
            }
            h = (h + 1) & kMask;
        }
    }

    std::uint16_t code(std::uint32_t slot) const { return codes_[slot]; }
    void store(std::uint32_t slot, std::uint32_t key, std::uint16_t code) {
        keys_[slot] = key | (generation_ << 20);
        codes_[slot] = code;
    }

private:
    std::array<std::uint32_t, kSize> keys_;
    std::array<std::uint16_t, kSize> codes_{};
    std::uint32_t generation_ = 1;
};

} // namespace

RowSequence::RowSequence(int height, RowOrder order)
    : height_(height), interlaced_(order == RowOrder::Interlaced), row_(height > 0 ? 0 : -1) {}

void RowSequence::advance() {
    if (row_ < 0)
        return;
    if (!interlaced_) {
        row_ = row_ + 1 < height_ ? row_ + 1 : -1;
        return;
    }
    row_ += kPassStep[static_cast<std::size_t>(pass_)];
    while (row_ >= height_) {
        if (++pass_ == 4) {
            row_ = -1;
            return;
        }
        row_ = kPassStart[static_cast<std::size_t>(pass_)];
    }
}

LzwDecodeResult decodeLzw(std::span<const std::uint8_t> subBlocks, int minimumCodeSize, int width,
                          int height, RowOrder order, LzwRowSink& sink) {
    SpanChunks pieces(subBlocks);
    return decodeLzw(pieces, minimumCodeSize, width, height, order, sink);
}

LzwDecodeResult decodeLzw(ByteChunks& subBlocks, int minimumCodeSize, int width, int height,
                          RowOrder order, LzwRowSink& sink) {
    if (minimumCodeSize < 1 || minimumCodeSize > 8)
        return {CodecStatus::Damaged, 0};
    const ThreadTables<DecoderTables> tables;
    if (!tables)
        return {CodecStatus::OutOfMemory, 0};
    auto& prefix = tables->prefix;
    auto& length = tables->length;
    auto& suffix = tables->suffix;
    auto& first = tables->first;

    const int clear = 1 << minimumCodeSize;
    const int end = clear + 1;
    tables->prepareRoots(clear);
    int next = clear + 2;
    int codeWidth = minimumCodeSize + 1;
    int limit = 1 << codeWidth;
    int old = -1;

    RowWriter rows(sink, width, height, order);
    auto result = [&rows](CodecStatus status) { return LzwDecodeResult{status, rows.rowsDone()}; };
    if (!rows.start())
        return result(CodecStatus::Stopped);

    SubBlockBitReader bits(subBlocks);
    for (;;) {
        if (!bits.ensure(codeWidth))
            return result(CodecStatus::Damaged);
        const int code = static_cast<int>(bits.take(codeWidth));
        if (code == clear) {
            next = clear + 2;
            codeWidth = minimumCodeSize + 1;
            limit = 1 << codeWidth;
            old = -1;
            continue;
        }
        if (code == end)
            return result(CodecStatus::Ok);

        std::uint8_t firstByte;
        if (code < next) {
            firstByte = first[static_cast<std::size_t>(code)];
        } else if (code == next && old >= 0) {
            firstByte = first[static_cast<std::size_t>(old)];
        } else {
            return result(CodecStatus::Damaged);
        }
        if (old >= 0 && next < kMaxCodes) {
            const auto n = static_cast<std::size_t>(next);
            const auto o = static_cast<std::size_t>(old);
            prefix[n] = static_cast<std::uint16_t>(old);
            suffix[n] = firstByte;
            first[n] = first[o];
            length[n] = static_cast<std::uint16_t>(length[o] + 1);
            if (++next == limit && codeWidth < kMaxCodeWidth) {
                ++codeWidth;
                limit <<= 1;
            }
        }
        old = code;

        if (rows.discarding())
            continue;
        // Every chain of a code reaches a root after length - 1 steps (lengths grow by one
        // along each prefix link), so walking exactly `len` entries stays inside the table.
        const std::size_t len = length[static_cast<std::size_t>(code)];
        std::size_t c = static_cast<std::size_t>(code);
        if (len <= rows.left()) {
            std::uint8_t* const begin = rows.cursor();
            std::uint8_t* p = begin + len;
            do {
                *--p = suffix[c];
                c = prefix[c];
            } while (p != begin);
            if (!rows.advance(len))
                return result(CodecStatus::Stopped);
        } else {
            std::uint8_t* const begin = tables->stack.data();
            std::uint8_t* p = begin + len;
            do {
                *--p = suffix[c];
                c = prefix[c];
            } while (p != begin);
            if (!rows.write(begin, len))
                return result(CodecStatus::Stopped);
        }
    }
}

LzwDecodeResult decodeLzwImage(std::span<const std::uint8_t> subBlocks, int minimumCodeSize,
                               int width, int height, RowOrder order,
                               std::span<std::uint8_t> pixels) {
    BufferSink sink(pixels, width);
    return decodeLzw(subBlocks, minimumCodeSize, width, height, order, sink);
}

CodecStatus encodeLzw(LzwRowSource& source, int width, int height, int minimumCodeSize,
                      RowOrder order, std::vector<std::uint8_t>& out) {
    if (minimumCodeSize == 1)
        minimumCodeSize = 2;
    if (minimumCodeSize < 2 || minimumCodeSize > 8 || width < 0 || height < 0)
        return CodecStatus::Unsupported;
    const ThreadTables<EncoderTable> table;
    if (!table)
        return CodecStatus::OutOfMemory;
    if (table.reused())
        table->reset();

    const std::uint32_t clear = 1u << minimumCodeSize;
    const std::uint32_t end = clear + 1;
    int codeWidth = minimumCodeSize + 1;
    std::uint32_t next = clear + 2;

    out.push_back(static_cast<std::uint8_t>(minimumCodeSize));
    CodeWriter writer(out);
    writer.put(clear, codeWidth);

    bool havePrefix = false;
    std::uint32_t prefix = 0;
    if (width > 0) {
        for (RowSequence rows(height, order); !rows.done(); rows.advance()) {
            const std::span<const std::uint8_t> row = source.row(rows.row());
            if (row.size() < static_cast<std::size_t>(width))
                return CodecStatus::Stopped;
            const std::uint8_t* p = row.data();
            const std::uint8_t* const rowEnd = p + width;
            if (!havePrefix) {
                prefix = *p++;
                if (prefix >= clear)
                    return CodecStatus::Unsupported;
                havePrefix = true;
            }
            for (; p != rowEnd; ++p) {
                const std::uint32_t k = *p;
                if (k >= clear)
                    return CodecStatus::Unsupported;
                const std::uint32_t key = (prefix << 8) | k;
                bool found;
                const std::uint32_t slot = table->find(key, found);
                if (found) {
                    prefix = table->code(slot);
                    continue;
                }
                writer.put(prefix, codeWidth);
                prefix = k;
                if (next == kMaxCodes - 1) {
                    // The table holds codes up to 4094: start over. Clearing here rather than
                    // right after storing 4094 lets that last entry serve one more match.
                    writer.put(clear, codeWidth);
                    codeWidth = minimumCodeSize + 1;
                    next = clear + 2;
                    table->reset();
                    continue;
                }
                table->store(slot, key, static_cast<std::uint16_t>(next));
                if (next == (1u << codeWidth))
                    ++codeWidth;
                ++next;
            }
        }
    }
    if (havePrefix) {
        writer.put(prefix, codeWidth);
        // The decoder adds an entry for this last code; it widens its codes when that entry
        // fills the current width, so the end code must follow at the wider width too.
        if (next == (1u << codeWidth) && codeWidth < kMaxCodeWidth)
            ++codeWidth;
    }
    writer.put(end, codeWidth);
    writer.finish();
    return CodecStatus::Ok;
}

CodecStatus encodeLzwImage(std::span<const std::uint8_t> pixels, int width, int height,
                           int minimumCodeSize, RowOrder order, std::vector<std::uint8_t>& out) {
    BufferSource source(pixels, width);
    return encodeLzw(source, width, height, minimumCodeSize, order, out);
}

} // namespace kpx::gif
