#include "ObjectRecordCompare.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <string>

using namespace kfm::records;

namespace {

TextObjectRecord textRecord() {
    TextObjectRecord r;
    r.left = 3;
    r.color = RGB(1, 2, 3);
    r.font.lfHeight = -12;
    std::strcpy(r.font.lfFaceName, "Tahoma");
    r.text = "Hello";
    return r;
}

struct TextChange {
    const char* name;
    std::function<void(TextObjectRecord&)> change;
    bool staysEqual;
};

} // namespace

TEST(TextRecordEquality, FieldsThatTakePart) {
    const TextChange changes[] = {
        {"reserved bytes", [](auto& r) { r.reserved.fill(0x77); }, true},
        {"face name after its NUL", [](auto& r) { r.font.lfFaceName[20] = 'x'; }, true},
        {"left", [](auto& r) { r.left = 4; }, false},
        {"top", [](auto& r) { r.top = 1; }, false},
        {"colour", [](auto& r) { r.color = 0; }, false},
        {"shadow colour", [](auto& r) { r.shadowColor = 1; }, false},
        {"shadow x", [](auto& r) { r.shadowXOffset = 1; }, false},
        {"shadow y", [](auto& r) { r.shadowYOffset = -1; }, false},
        {"shadow transparency", [](auto& r) { r.shadowTransp = 1; }, false},
        {"blur", [](auto& r) { r.isShadowBlur = 1; }, false},
        {"antialias", [](auto& r) { r.antialias = 1; }, false},
        {"kern", [](auto& r) { r.kern = 1; }, false},
        {"interpolation", [](auto& r) { r.interpolation = 2; }, false},
        {"shadow", [](auto& r) { r.isShadow = 1; }, false},
        {"transparency level", [](auto& r) { r.transparencyLevel = 10; }, false},
        {"matrix by one ulp", [](auto& r) { r.matrix[3] = std::nextafter(1.0, 2.0); }, false},
        {"text", [](auto& r) { r.text = "Hellp"; }, false},
        {"text 255 against 256", [](auto& r) { r.text = std::string(256, 'a'); }, false},
        {"no text", [](auto& r) { r.text.reset(); }, false},
        {"font weight", [](auto& r) { r.font.lfWeight = 700; }, false},
        {"character set", [](auto& r) { r.font.lfCharSet = 161; }, false},
        {"pitch and family", [](auto& r) { r.font.lfPitchAndFamily = 1; }, false},
        {"face name", [](auto& r) { std::strcpy(r.font.lfFaceName, "Tahomb"); }, false},
    };
    TextObjectRecord base = textRecord();
    base.text = std::string(255, 'a');
    for (const auto& c : changes) {
        TextObjectRecord other = base;
        c.change(other);
        EXPECT_EQ(recordsEqual(base, other), c.staysEqual) << c.name;
        EXPECT_EQ(recordsEqual(other, base), c.staysEqual) << c.name;
    }
}

TEST(TextRecordEquality, DifferingOnlyInTheZeroBytesCompareEqual) {
    TextObjectRecord a = textRecord();
    TextObjectRecord b = textRecord();
    b.reserved = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18};
    EXPECT_TRUE(recordsEqual(a, b));
}

TEST(TextRecordEquality, FaceNameWithoutTerminatorIsReadWithinItsField) {
    TextObjectRecord a = textRecord();
    std::memset(a.font.lfFaceName, 'F', LF_FACESIZE);
    TextObjectRecord b = a;
    EXPECT_TRUE(recordsEqual(a, b));
    b.font.lfFaceName[LF_FACESIZE - 1] = 'G';
    EXPECT_FALSE(recordsEqual(a, b));
}

TEST(ControlRecordEquality, LastFourNumbersAndReservedFieldsTakeNoPart) {
    ControlObjectRecord a;
    a.type = 3;
    a.text = "";
    a.caption = "OK";
    ControlObjectRecord b = a;
    b.values[12] = b.values[15] = 99;
    b.reserved8 = 1;
    b.reserved16 = 2;
    b.reserved[0] = 3;
    EXPECT_TRUE(recordsEqual(a, b));

    const std::function<void(ControlObjectRecord&)> changes[] = {
        [](auto& r) { r.type = 4; },       [](auto& r) { r.clientEdge = 1; },
        [](auto& r) { r.staticEdge = 1; }, [](auto& r) { r.modalFrame = 1; },
        [](auto& r) { r.disabled = 1; },   [](auto& r) { r.setFocus = 1; },
        [](auto& r) { r.styleBits = 8; },  [](auto& r) { r.values[0] = 1; },
        [](auto& r) { r.values[11] = 1; }, [](auto& r) { r.text = "x"; },
        [](auto& r) { r.caption = "Ok"; }, [](auto& r) { r.caption.reset(); },
    };
    for (std::size_t i = 0; i < std::size(changes); ++i) {
        ControlObjectRecord c = a;
        changes[i](c);
        EXPECT_FALSE(recordsEqual(a, c)) << "change " << i;
    }
}

TEST(VectorRecordEquality, MetafileAndReservedBytesTakeNoPart) {
    VectorObjectRecord a;
    a.width = 10;
    VectorObjectRecord b = a;
    b.reserved[5] = 1;
    EXPECT_TRUE(recordsEqual(a, b));

    const std::function<void(VectorObjectRecord&)> changes[] = {
        [](auto& r) { r.sourceLeft = 1; },
        [](auto& r) { r.sourceTop = 1; },
        [](auto& r) { r.sourceRight = 1; },
        [](auto& r) { r.sourceBottom = 1; },
        [](auto& r) { r.unitsPerInch = 1; },
        [](auto& r) { r.left = 1; },
        [](auto& r) { r.top = 1; },
        [](auto& r) { r.width = 1; },
        [](auto& r) { r.height = 1; },
        [](auto& r) { r.matrix[1] = 0.25; },
        [](auto& r) { r.interpolation = 1; },
        [](auto& r) { r.antialias = 1; },
        [](auto& r) { r.transparencyLevel = 1; },
    };
    for (std::size_t i = 0; i < std::size(changes); ++i) {
        VectorObjectRecord c = a;
        changes[i](c);
        EXPECT_FALSE(recordsEqual(a, c)) << "change " << i;
    }
}

TEST(NPImageRecordEquality, ComparesTheFiveArrays) {
    NPImageObjectRecord a;
    a.pixels24 = {1, 2, 3};
    a.palette = {7};
    NPImageObjectRecord b = a;
    b.reserved[0] = 9;
    EXPECT_TRUE(recordsEqual(a, b));
    b.palette = {8};
    EXPECT_FALSE(recordsEqual(a, b));
    b = a;
    b.pixels24.push_back(0);
    EXPECT_FALSE(recordsEqual(a, b));
    b = a;
    b.maskPixels = {0};
    EXPECT_FALSE(recordsEqual(a, b));
}

TEST(FrameObjectEquality, AbsentInTheFirstFrameCountsAsEqual) {
    const TextObjectRecord t = textRecord();
    TextObjectRecord other = t;
    other.left = 99;
    EXPECT_TRUE(frameObjectsEqual<TextObjectRecord>(nullptr, nullptr));
    EXPECT_TRUE(frameObjectsEqual<TextObjectRecord>(nullptr, &t));
    EXPECT_FALSE(frameObjectsEqual<TextObjectRecord>(&t, nullptr));
    EXPECT_TRUE(frameObjectsEqual(&t, &t));
    EXPECT_FALSE(frameObjectsEqual(&t, &other));
}
