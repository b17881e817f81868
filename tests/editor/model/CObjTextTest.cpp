#include "CObjText.h"
#include "Geometry.h"

#include "ImageCreation.h"
#include "ObjectRecordCompare.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(CObjText, StartsEmptyWithTheIdentity) {
    CObjText a;
    CObjText b;
    EXPECT_EQ(b.GetId(), a.GetId() + 1);
    EXPECT_TRUE(a.m_strText.empty());
    EXPECT_EQ(a.m_Color, 0u);
    EXPECT_EQ(a.GetImage(), 0);
    EXPECT_EQ(a.GetAngle(), 0);
    EXPECT_EQ(a.IsMirrored(), 0);
}

TEST(CObjText, MirroredMatrix) {
    CObjText t;
    t.m_Matrix[0] = -1;
    EXPECT_EQ(t.IsMirrored(), 1);
    EXPECT_EQ(t.GetAngle(), 0);
    TextObjectRecord r;
    r.matrix[0] = -1;
    EXPECT_EQ(IsMatrixMirrored(r.matrix), 1);
    r.matrix[0] = 1;
    EXPECT_EQ(IsMatrixMirrored(r.matrix), 0);
}

TEST(CObjText, FillRecordCopiesSettingsAndKeepsTheCallersFields) {
    CObjText t;
    t.m_strText = "Gr\xFC\xDF"; // bytes in code page 1252
    t.m_Color = RGB(1, 2, 3);
    t.m_IsShadow = 0x101;
    t.m_ShadowColor = RGB(4, 5, 6);
    t.m_ShadowXOffset = -5;
    t.m_ShadowYOffset = 6;
    t.m_ShadowTransp = 40;
    t.m_IsShadowBlur = 1;
    t.m_Antialias = 1;
    t.m_Kern = 1;
    t.m_nInterpolation = 2;
    t.m_Matrix[1] = 0.5;
    t.m_LogFont.lfHeight = -20;
    std::strcpy(t.m_LogFont.lfFaceName, "Verdana");

    TextObjectRecord r;
    r.left = 11;
    r.top = 12;
    r.transparencyLevel = 50;
    r.reserved[0] = 7;
    t.FillRecord(r);
    EXPECT_EQ(r.left, 11);
    EXPECT_EQ(r.top, 12);
    EXPECT_EQ(r.transparencyLevel, 50);
    EXPECT_EQ(r.reserved[0], 7);
    EXPECT_EQ(r.isShadow, 1); // low byte
    EXPECT_EQ(r.shadowXOffset, -5);
    EXPECT_EQ(r.shadowTransp, 40);
    EXPECT_EQ(r.matrix[1], 0.5);
    ASSERT_TRUE(r.text);
    EXPECT_EQ(*r.text, "Gr\xFC\xDF");
    EXPECT_STREQ(r.font.lfFaceName, "Verdana");

    TextObjectRecord again = r;
    t.FillRecord(again);
    EXPECT_TRUE(kfm::records::recordsEqual(r, again));
}

TEST(CObjText, OwnsItsPreviewImage) {
    const KpxHandle first = KPXCreateImage(2, 2, 8);
    const KpxHandle second = KPXCreateImage(2, 2, 8);
    {
        CObjText t;
        t.SetImage(first);
        t.SetImage(first); // the same image again is kept
        EXPECT_EQ(KPXWidth(first), 2);
        t.SetImage(second);
        EXPECT_EQ(KPXWidth(first), 0);
    }
    EXPECT_EQ(KPXWidth(second), 0);
}
