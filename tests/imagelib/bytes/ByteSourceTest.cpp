// Reading a source that is not all in memory: the source reader behaves as the byte reader does
// whatever pieces the source hands out, finds the end of a source that turns out shorter than
// its size said, and the chunks of a range arrive whole and in order.

#include "ByteSource.h"
#include "ByteReader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

// Bytes in memory that a source hands out as copies and views, without showing its memory, and
// whose size may claim more bytes than it has (a file cut while it is read).
class CopySource final : public kpx::ByteSource {
public:
    explicit CopySource(Bytes bytes, std::uint64_t claimedSize = 0)
        : bytes_(std::move(bytes)), size_(claimedSize ? claimedSize : bytes_.size()) {}
    std::uint64_t size() const override { return size_; }
    std::size_t read(std::uint64_t offset, std::span<std::uint8_t> out) override {
        ++reads;
        if (offset >= bytes_.size())
            return 0;
        const std::size_t n = std::min<std::size_t>(out.size(), bytes_.size() - offset);
        std::copy_n(bytes_.begin() + static_cast<long>(offset), n, out.begin());
        return n;
    }
    std::span<const std::uint8_t> view(std::uint64_t offset, std::size_t n) override {
        ++views;
        if (offset >= bytes_.size())
            return {};
        return std::span(bytes_).subspan(static_cast<std::size_t>(offset),
                                         std::min<std::size_t>(n, bytes_.size() - offset));
    }
    int reads = 0;
    int views = 0;

private:
    Bytes bytes_;
    std::uint64_t size_;
};

Bytes countingBytes(std::size_t n) {
    Bytes b(n);
    std::iota(b.begin(), b.end(), std::uint8_t{0});
    return b;
}

// One step of a walk through the data, done the same way by both readers.
enum class Step { U8, U16, I16, U32, Bytes3, Bytes70, Skip5, Skip40, Peek };

template <typename Reader>
std::vector<std::int64_t> walk(Reader& in, const std::vector<Step>& steps) {
    std::vector<std::int64_t> seen;
    for (const Step s : steps) {
        switch (s) {
        case Step::U8:
            seen.push_back(in.u8());
            break;
        case Step::U16:
            seen.push_back(in.u16le());
            break;
        case Step::I16:
            seen.push_back(in.i16le());
            break;
        case Step::U32:
            seen.push_back(in.u32le());
            break;
        case Step::Bytes3:
        case Step::Bytes70: {
            const auto b = in.bytes(s == Step::Bytes3 ? 3 : 70);
            seen.push_back(static_cast<std::int64_t>(b.size()));
            seen.push_back(std::accumulate(b.begin(), b.end(), std::int64_t{0}));
            break;
        }
        case Step::Skip5:
            in.skip(5);
            break;
        case Step::Skip40:
            in.skip(40);
            break;
        case Step::Peek:
            seen.push_back(in.peek());
            break;
        }
        seen.push_back(static_cast<std::int64_t>(in.position()));
        seen.push_back(in.truncated());
    }
    return seen;
}

} // namespace

TEST(SourceReader, ReadsAsTheByteReaderDoesWhateverItsWindow) {
    const Bytes data = countingBytes(150);
    const std::vector<Step> steps = {Step::U8,     Step::U16,     Step::Peek,    Step::U32,
                                     Step::Skip5,  Step::Bytes70, Step::I16,     Step::Bytes3,
                                     Step::Skip40, Step::U32,     Step::Bytes70, Step::U8,
                                     Step::Peek};
    kpx::ByteReader reference(data);
    const auto expected = walk(reference, steps);
    for (const std::size_t window : {1u, 2u, 7u, 64u, 4096u}) {
        SCOPED_TRACE(window);
        CopySource copies(data);
        kpx::SourceReader in(copies, 0, window);
        EXPECT_EQ(walk(in, steps), expected);
        kpx::SpanSource memory(data);
        kpx::SourceReader inMemory(memory);
        EXPECT_EQ(walk(inMemory, steps), expected);
    }
}

TEST(SourceReader, SourceShorterThanItsSizeEndsWhereTheBytesEnd) {
    // The size claims 100 bytes; there are 30.
    CopySource cut(countingBytes(30), 100);
    kpx::SourceReader in(cut, 0, 8);
    EXPECT_EQ(in.remaining(), 100u);
    in.skip(28);
    EXPECT_EQ(in.u16le(), 28 | (29 << 8));
    EXPECT_FALSE(in.truncated());
    EXPECT_EQ(in.u8(), 0); // past the real end
    EXPECT_TRUE(in.truncated());
    EXPECT_TRUE(in.atEnd());
    EXPECT_EQ(in.position(), 30u);
}

TEST(SourceReader, PassedRunComesBackWhole) {
    CopySource copies(countingBytes(300));
    kpx::SourceReader in(copies, 10, 16);
    in.skip(200);
    const auto run = in.passed(10);
    ASSERT_EQ(run.size(), 200u);
    EXPECT_EQ(run.front(), 10);
    EXPECT_EQ(run.back(), 209);
    EXPECT_EQ(in.u8(), 210); // the reader goes on after the run
}

TEST(SourceChunks, RangeArrivesInOrderAndStopsAtItsEnd) {
    const Bytes data = countingBytes(200);
    struct Case {
        std::size_t piece;
        std::uint64_t from, to;
        std::size_t expected;
    } const cases[] = {{7, 5, 150, 145}, {4096, 0, 200, 200}, {16, 190, 400, 10}, {3, 250, 300, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.piece);
        CopySource copies(data);
        kpx::SourceChunks chunks(copies, c.from, c.to, c.piece);
        Bytes got;
        for (auto piece = chunks.next(); !piece.empty(); piece = chunks.next()) {
            EXPECT_LE(piece.size(), c.piece);
            got.insert(got.end(), piece.begin(), piece.end());
        }
        ASSERT_EQ(got.size(), c.expected);
        for (std::size_t i = 0; i < got.size(); ++i)
            EXPECT_EQ(got[i], data[c.from + i]);
        EXPECT_TRUE(chunks.next().empty());
    }
}
