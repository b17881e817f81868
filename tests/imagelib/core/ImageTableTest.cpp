#include "ImageCreation.h"
#include "ImageTable.h"

#include <gtest/gtest.h>

TEST(ImageTable, SmokeCreatesAndFrees) {
    const KpxHandle h = KPXCreateImage(4, 4, 8);
    ASSERT_NE(h, 0);
    EXPECT_EQ(KPXWidth(h), 4);
    EXPECT_EQ(KPXDeleteImage(h), 1);
}
