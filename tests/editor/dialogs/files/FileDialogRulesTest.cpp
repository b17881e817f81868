// The rules of the file dialogs without their windows: the clip range of the import dialogs and
// its time texts, the compression options per format and depth, and the font report's rows.

#include "ClipRange.h"
#include "CompressionOptions.h"
#include "DlgFontSubst.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using kfm::dialogs::ClipRange;
using kfm::dialogs::ClipSeconds;
using kfm::dialogs::ClipTimeText;
using kfm::dialogs::DefaultDivisor;
using kfm::dialogs::FirstCompressionChoice;
using kfm::dialogs::FontReportRow;
using kfm::dialogs::OfferedCompressionOptions;
using kfm::dialogs::SplitFontReport;

// One edit of a range of a clip of 50 frames with an import limit of 20.
struct RangeCase {
    const char* what;
    int start, count; // Reset
    char edit;        // 's' start edit, 'c' count edit, 'S' set start, 'E' set end, '-' none
    int value;
    int wantStart, wantEnd;
};

TEST(ClipRange, EditsKeepTheRangeInsideTheClipAndTheLimitCountingBothEnds) {
    const RangeCase cases[] = {
        {"a count ends one before start + count", 5, 10, '-', 0, 5, 14},
        {"no count yet takes the clip up to the limit", 1, -1, '-', 0, 1, 20},
        {"a start beyond the clip is held to its last frame", 80, 3, '-', 0, 50, 50},
        {"a start of 0 is held to the first frame", 0, 3, '-', 0, 1, 3},
        {"a count past the clip's end stops at the end", 45, 10, '-', 0, 45, 50},
        {"a count past the limit stops at the limit", 10, 30, '-', 0, 10, 29},
        {"the count edit recounts from the start", 5, 10, 'c', 3, 5, 7},
        {"a count of 0 keeps one frame", 5, 10, 'c', 0, 5, 5},
        {"a count past the end shortens the range", 40, 5, 'c', 30, 40, 50},
        {"a start after the end carries the end along", 5, 3, 's', 12, 12, 12},
        {"a start before the end keeps the end", 5, 10, 's', 8, 8, 14},
        {"set start after the end moves the end to it", 5, 3, 'S', 30, 30, 30},
        {"set end before the start moves the start to it", 20, 5, 'E', 10, 10, 10},
        {"set end far from the start pulls the start to the limit", 1, 5, 'E', 50, 31, 50},
        {"set end beyond the clip is held to its last frame", 45, 2, 'E', 99, 45, 50},
    };
    for (const RangeCase& c : cases) {
        SCOPED_TRACE(c.what);
        ClipRange range(50, 20);
        range.Reset(c.start, c.count);
        switch (c.edit) {
        case 's':
            range.SetStart(c.value);
            break;
        case 'c':
            range.SetCount(c.value);
            break;
        case 'S':
            range.SetStartAt(c.value);
            break;
        case 'E':
            range.SetEndAt(c.value);
            break;
        default:
            break;
        }
        EXPECT_EQ(range.Start(), c.wantStart);
        EXPECT_EQ(range.End(), c.wantEnd);
        EXPECT_EQ(range.Count(), c.wantEnd - c.wantStart + 1);
        EXPECT_LE(range.Count(), 20);
    }
}

TEST(ClipRange, AClipOfOneFrameHasARangeOfOneFrame) {
    ClipRange range(1, 200);
    range.Reset(1, -1);
    EXPECT_EQ(range.Start(), 1);
    EXPECT_EQ(range.End(), 1);
    range.SetCount(5);
    EXPECT_EQ(range.Count(), 1);
}

TEST(ClipRange, TimesAreMinutesAndSecondsRoundedToTheNearestSecond) {
    struct Case {
        double frameMs;
        int frames;
        int seconds;
        const char* text;
    } const cases[] = {
        {40.0, 0, 0, "00:00"},       {40.0, 12, 0, "00:00"},    {40.0, 13, 1, "00:01"},
        {40.0, 25, 1, "00:01"},      {40.0, 1500, 60, "01:00"}, {100.0, 6015, 602, "10:02"},
        {33.3667, 300, 10, "00:10"}, {0.0, 50, 0, "00:00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ClipSeconds(c.frameMs, c.frames), c.seconds);
        EXPECT_EQ(ClipTimeText(c.frameMs, c.frames).toStdString(), c.text);
    }
}

TEST(ClipRange, TheDefaultDivisorSpreadsTheClipOverTheLimit) {
    EXPECT_EQ(DefaultDivisor(450, 200), 2);
    EXPECT_EQ(DefaultDivisor(199, 200), 1);
    EXPECT_EQ(DefaultDivisor(1000, 200), 5);
    EXPECT_EQ(DefaultDivisor(10, 0), 10);
}

TEST(CompressionOptions, EveryFormatOffersItsByteForTheDepth) {
    struct Case {
        int formatId;
        unsigned depth1, depth4, depth8, depth24;
    } const cases[] = {
        {10, 0x02, 0x02, 0x02, 0x02},
        {20, 0x84, 0x84, 0x84, 0x00},
        {30, 0x0F, 0x07, 0x07, 0x57},
        {40, 0x01, 0x01, 0x01, 0x01},
        {50, 0x02, 0x02, 0x02, 0x00},
        {60, 0, 0, 0, 0},
        {70, 0, 0, 0, 0},
        {80, 0x01, 0x00, 0x01, 0x01},
        {90, 0, 0, 0, 0x10},
        {100, 0x84, 0x84, 0x84, 0x84},
        {110, 0x05, 0x05, 0x05, 0x05},
        {0, 0, 0, 0, 0},
        {15, 0, 0, 0, 0},
        {120, 0, 0, 0, 0},
        {-10, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.formatId);
        EXPECT_EQ(OfferedCompressionOptions(c.formatId, 1), c.depth1);
        EXPECT_EQ(OfferedCompressionOptions(c.formatId, 4), c.depth4);
        EXPECT_EQ(OfferedCompressionOptions(c.formatId, 8), c.depth8);
        EXPECT_EQ(OfferedCompressionOptions(c.formatId, 24), c.depth24);
        for (const int other : {0, 2, 15, 16, 32})
            EXPECT_EQ(OfferedCompressionOptions(c.formatId, other), 0u) << other << " bits";
    }
}

TEST(CompressionOptions, TheFirstChoiceFollowsTheOrderFourSixteenTwoOneEight) {
    struct Case {
        unsigned offered, first;
    } const cases[] = {
        {0x0F, 4}, {0x57, 4}, {0x10, 16}, {0x13, 16}, {0x03, 2},
        {0x09, 1}, {0x08, 8}, {0x84, 4},  {0xC0, 0},  {0x00, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FirstCompressionChoice(c.offered), c.first) << std::hex << c.offered;
}

TEST(FontReport, RowsAreWholeGroupsOfThreeFields) {
    struct Case {
        const char* what;
        std::string report;
        std::vector<FontReportRow> rows;
    } const cases[] = {
        {"three fields each ended by a bar",
         "1|Arial|Liberation Sans|",
         {{"1", "Arial", "Liberation Sans"}}},
        {"two rows", "1|A|B|3|C|D|", {{"1", "A", "B"}, {"3", "C", "D"}}},
        {"a field without its bar is no field", "1|A|B", {}},
        {"a row short of a field is left out", "1|A|B|2|C|", {{"1", "A", "B"}}},
        {"four fields make one row", "1|A|B|2|", {{"1", "A", "B"}}},
        {"empty fields count", "|||", {{"", "", ""}}},
        {"nothing", "", {}},
        {"no bar", "text", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(SplitFontReport(c.report), c.rows);
    }
}

} // namespace
