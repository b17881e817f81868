// The private clipboard block: frames of every object kind written and read back, the fields at
// their offsets, and damaged or truncated blocks, which must read what they can and never read
// outside the block.

#include "ClipboardBlockFixture.h"

#include "ClipboardFramesBlock.h"
#include "ObjectRecordCompare.h"
#include "memory/GlobalMemory.h"

#include <cstring>
#include <filesystem>
#include <iterator>

namespace {

using kfm::model::FramesEntryField;
using Bytes = std::vector<std::uint8_t>;

std::uint32_t u32At(const Bytes& bytes, std::size_t at) {
    std::uint32_t v = 0;
    std::memcpy(&v, bytes.data() + at, 4);
    return v;
}

void putU32(Bytes& bytes, std::size_t at, std::uint32_t v) {
    std::memcpy(bytes.data() + at, &v, 4);
}

std::size_t fieldOffset(FramesEntryField field) {
    return 4 * static_cast<std::size_t>(field);
}

Bytes blockBytes(HGLOBAL block) {
    const auto* p = static_cast<const std::uint8_t*>(GlobalLock(block));
    Bytes bytes(p, p + GlobalSize(block));
    GlobalUnlock(block);
    return bytes;
}

class ClipboardFramesBlockTest : public ClipboardBlockFixture {
protected:
    // The block of the selected frames, as the writer gives it.
    Bytes selectedBlock() {
        const HGLOBAL block = CreateClipboardFramesBlock();
        EXPECT_NE(block, nullptr);
        if (!block)
            return {};
        Bytes bytes = blockBytes(block);
        GlobalFree(block);
        return bytes;
    }
};

TEST_F(ClipboardFramesBlockTest, FramesOfEveryKindComeBackAsTheyWent) {
    addEveryKindOfFrame();
    CObjFrame& unselected = addPatternFrame(0, 0, 3, 3, 8);
    unselected.selected = 0;

    const HGLOBAL block = CreateClipboardFramesBlock();
    ASSERT_NE(block, nullptr);
    // Writing marks exactly the selected frames with a base image.
    for (const CObjFrame& f : animation().frames)
        EXPECT_EQ(f.marked, f.selected && f.GetImage() ? 1 : 0);
    bool complete = false;
    const std::unique_ptr<FrameList> read = ReadClipboardFramesBlock(block, &complete);
    GlobalFree(block);
    ASSERT_TRUE(read);
    EXPECT_TRUE(complete);
    expectSameAsSelected(*read);
    EXPECT_TRUE(shellFake.boxes.empty());
}

TEST_F(ClipboardFramesBlockTest, EntryFieldsSitAtTheirOffsets) {
    CObjFrame& f = addPatternFrame(3, 4, 5, 2, 8);
    f.name = "ab";
    f.delay = 25;
    f.disposal = 2;
    f.transparency = 0x01000005;
    f.softAlpha = 0;
    f.selected = 1;
    const Bytes bytes = selectedBlock();

    const std::uint32_t dib = 8 * 2 + 40 + 1024; // rows of 8 bytes, header, 256 colours
    EXPECT_EQ(u32At(bytes, 0), 666u);
    EXPECT_EQ(u32At(bytes, 4), dib);
    EXPECT_EQ(u32At(bytes, 8), 56u);
    for (std::size_t at = 12; at < 40; at += 4)
        EXPECT_EQ(u32At(bytes, at), 0u) << at;
    EXPECT_EQ(u32At(bytes, 40), 3u); // "ab" and its zero
    EXPECT_EQ(u32At(bytes, 44), 1u); // the empty comment's zero
    for (std::size_t at = 48; at < 60; at += 4)
        EXPECT_EQ(u32At(bytes, at), 0u) << at;
    EXPECT_EQ(u32At(bytes, 60), 40u); // the packed DIB's header
    const std::size_t record = 60 + dib;
    const std::uint32_t expected[] = {5, 2, 3, 4, 25, 2, 0x01000005, 0, 0, 0, 0, 0, 0, 0};
    for (std::size_t i = 0; i < std::size(expected); ++i)
        EXPECT_EQ(u32At(bytes, record + 4 * i), expected[i]) << i;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[record + 56])), "ab");
    EXPECT_EQ(bytes[record + 59], 0);
    ASSERT_EQ(bytes.size(), record + 56 + 3 + 1 + 1);
    EXPECT_EQ(bytes.back(), 0); // the terminating byte
}

TEST_F(ClipboardFramesBlockTest, ObjectSizesFollowTheSources) {
    CObjFrame& control = addPatternFrame(0, 0, 4, 4, 8);
    control.hasControl = 1;
    control.control.type = 3;
    control.control.text = "OK";
    control.selected = 1;
    CObjFrame& masked = addPatternFrame(0, 0, 4, 4, 8);
    masked.alphaValue = 0; // a mask without an alpha value does not travel
    masked.SetMaskImage(static_cast<std::uint16_t>(KPXCreateImage(4, 4, 8)));
    masked.selected = 1;
    const Bytes bytes = selectedBlock();

    EXPECT_EQ(u32At(bytes, fieldOffset(FramesEntryField::ControlRecordSize)), 104u);
    EXPECT_EQ(u32At(bytes, fieldOffset(FramesEntryField::ControlString1Length)), 3u);
    EXPECT_EQ(u32At(bytes, fieldOffset(FramesEntryField::ControlString2Length)), 0u);
    const auto read = ReadClipboardFramesBytes(bytes);
    ASSERT_EQ(read.frames->size(), 2u);
    const CObjFrame& back = read.frames->front();
    ASSERT_TRUE(back.hasControl);
    EXPECT_EQ(back.control.text, "OK");
    EXPECT_FALSE(back.control.caption.has_value());
    const CObjFrame& noPair = read.frames->back();
    EXPECT_EQ(noPair.alphaValue, 0);
    EXPECT_EQ(noPair.GetMaskImage(), 0);
}

TEST_F(ClipboardFramesBlockTest, SoftAlphaComesFromTheTransparencyImageUnlessTextOrVector) {
    CObjFrame& plain = addPatternFrame(0, 0, 4, 4, 8);
    giveTransparencyImage(plain);
    plain.softAlpha = 0;
    plain.selected = 1;
    CObjFrame& text = addPatternFrame(0, 0, 4, 4, 8);
    giveTransparencyImage(text);
    giveText(text, "T");
    text.softAlpha = 0;
    text.selected = 1;
    const auto read = ReadClipboardFramesBytes(selectedBlock());
    ASSERT_EQ(read.frames->size(), 2u);
    EXPECT_EQ(read.frames->front().softAlpha, 1);
    EXPECT_EQ(read.frames->back().softAlpha, 0);
    EXPECT_NE(KPXGetImageTransparentImageEx(read.frames->back().GetImage()), 0);
}

TEST_F(ClipboardFramesBlockTest, NothingSelectedGivesNoBlockAndNoMessage) {
    addPatternFrame(0, 0, 2, 2, 8).selected = 0;
    animation().frames.back().selected = 1; // the placeholder has no image
    EXPECT_EQ(CreateClipboardFramesBlock(), nullptr);
    EXPECT_TRUE(shellFake.boxes.empty());
}

TEST_F(ClipboardFramesBlockTest, EmptyAndNullBlocks) {
    EXPECT_EQ(ReadClipboardFramesBlock(nullptr), nullptr);
    const HGLOBAL zero = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 16);
    bool complete = false;
    const auto read = ReadClipboardFramesBlock(zero, &complete);
    GlobalFree(zero);
    ASSERT_TRUE(read);
    EXPECT_TRUE(read->empty());
    EXPECT_TRUE(complete);
}

// Damage to the second of two entries: the first frame is kept and the reading says it stopped.
struct Damage {
    const char* name;
    FramesEntryField field;
    std::uint32_t value;
};

TEST_F(ClipboardFramesBlockTest, DamagedSecondEntryKeepsTheFirstFrame) {
    addPatternFrame(0, 0, 3, 3, 8).selected = 1;
    CObjFrame& second = addPatternFrame(0, 0, 3, 3, 8);
    giveText(second, "text");
    second.selected = 1;
    const Bytes good = selectedBlock();
    const std::size_t secondAt = 60 + u32At(good, 4) + 56 + 1 + 1;
    ASSERT_EQ(u32At(good, secondAt), 666u);

    const Damage damages[] = {
        {"wrong magic", FramesEntryField::Magic, 667},
        {"DIB past the end", FramesEntryField::DibSize, 0xFFFFFFF0u},
        {"DIB smaller than its header", FramesEntryField::DibSize, 12},
        {"frame record of another size", FramesEntryField::FrameRecordSize, 88},
        {"text record of another size", FramesEntryField::TextRecordSize, 200},
        {"text without its record", FramesEntryField::TextRecordSize, 0},
        {"text length past the end", FramesEntryField::TextLength, 0x7FFFFFFFu},
        {"control record without strings", FramesEntryField::ControlRecordSize, 104},
        {"second string without a first", FramesEntryField::ControlString2Length, 5},
        {"vector record without bits", FramesEntryField::VectorRecordSize, 100},
        {"name without its zero", FramesEntryField::NameLength, 0},
        {"comment past the end", FramesEntryField::CommentLength, 0xFFFFFFFFu},
        {"alpha pair of another size", FramesEntryField::AlphaPairSize, 4},
        {"alpha DIB without the pair", FramesEntryField::AlphaDibSize, 1064},
        {"transparency DIB past the end", FramesEntryField::TransparencyDibSize, 1u << 30},
    };
    for (const Damage& d : damages) {
        SCOPED_TRACE(d.name);
        Bytes bytes = good;
        putU32(bytes, secondAt + fieldOffset(d.field), d.value);
        const auto read = ReadClipboardFramesBytes(bytes);
        EXPECT_EQ(read.frames->size(), 1u);
        EXPECT_FALSE(read.complete);
    }
}

TEST_F(ClipboardFramesBlockTest, DamagedContentEndsTheReadingWithoutLeaks) {
    CObjFrame& f = addPatternFrame(0, 0, 3, 3, 8);
    giveText(f, "hello");
    f.selected = 1;
    const Bytes good = selectedBlock();
    const std::size_t dibAt = 60;
    const std::size_t nameAt = dibAt + u32At(good, 4) + 56;

    struct Edit {
        const char* name;
        std::size_t at;
        std::uint32_t value;
    };
    const Edit edits[] = {
        {"DIB header of another size", dibAt, 12},
        {"DIB of a huge width", dibAt + 4, 0x7FFF},
        {"DIB of a negative height", dibAt + 8, 0xFFFFFFFDu},
        {"DIB compressed", dibAt + 16, 1},
        {"name without its zero", nameAt, 0x41414141u},
    };
    for (const Edit& e : edits) {
        SCOPED_TRACE(e.name);
        Bytes bytes = good;
        putU32(bytes, e.at, e.value);
        const auto read = ReadClipboardFramesBytes(bytes);
        EXPECT_TRUE(read.frames->empty());
        EXPECT_FALSE(read.complete);
    }
}

TEST_F(ClipboardFramesBlockTest, EveryTruncationReadsOnlyWholeEntries) {
    addEveryKindOfFrame();
    const Bytes good = selectedBlock();
    const std::size_t frames = ReadClipboardFramesBytes(good).frames->size();
    for (std::size_t length = 0; length < good.size(); ++length) {
        const Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length));
        const auto read = ReadClipboardFramesBytes(cut);
        ASSERT_TRUE(read.frames);
        EXPECT_LE(read.frames->size(), frames) << length;
    }
    // Without its terminating byte the block still gives every frame.
    const Bytes unterminated(good.begin(), good.end() - 1);
    EXPECT_EQ(ReadClipboardFramesBytes(unterminated).frames->size(), frames);
}

// The files of the damaged-block corpus, which the fuzz target also starts from.
TEST_F(ClipboardFramesBlockTest, DamagedCorpusReadsWithoutFault) {
    const std::filesystem::path folder = kfm::test::testDataPath("clipboard-damaged");
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (!entry.is_regular_file() || entry.path().filename().string().front() == '.')
            continue;
        SCOPED_TRACE(entry.path().filename().string());
        const Bytes bytes = kfm::test::readFileBytes(entry.path());
        const auto read = ReadClipboardFramesBytes(bytes);
        ASSERT_TRUE(read.frames);
        const bool valid = entry.path().filename().string().starts_with("valid");
        EXPECT_EQ(read.complete, valid);
        if (valid) {
            EXPECT_EQ(read.frames->size(), 2u);
        }
        ++files;
    }
    EXPECT_GT(files, 0);
}

} // namespace
