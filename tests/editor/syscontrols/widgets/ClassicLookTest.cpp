// The classic look's control font and palette: the same on every desktop. Here the program's
// application object goes before the program ends, so the font loaded from its file is released
// in order.

#include "gdi/SystemLook.h"

#include <QFont>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPalette>

#include <gtest/gtest.h>

namespace {

TEST(SystemLookTest, TheControlFontIsLiberationSansAt11PixelsWithoutSmoothing) {
    const QFont font = kfm::gdi::ControlFont();
    EXPECT_EQ(font.pixelSize(), 11);
    EXPECT_TRUE(font.styleStrategy() & QFont::NoAntialias);
    EXPECT_EQ(QFontInfo(font).family(), QString("Liberation Sans"));
    EXPECT_EQ(kfm::gdi::StockFont(DEFAULT_GUI_FONT), font);
    EXPECT_EQ(kfm::gdi::StockFont(ANSI_VAR_FONT), font);
    EXPECT_TRUE(kfm::gdi::ControlFont(kfm::gdi::FontWeight::Bold).bold());
    EXPECT_GT(QFontMetrics(font).height(), 8);
}

TEST(SystemLookTest, ThePaletteHoldsTheClassicColoursInEveryGroup) {
    const QPalette p = kfm::gdi::ClassicPalette();
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        EXPECT_EQ(p.color(group, QPalette::Button), QColor(212, 208, 200));
        EXPECT_EQ(p.color(group, QPalette::Base), QColor(255, 255, 255));
        EXPECT_EQ(p.color(group, QPalette::Shadow), QColor(64, 64, 64));
        EXPECT_EQ(p.color(group, QPalette::Dark), QColor(128, 128, 128));
        EXPECT_EQ(p.color(group, QPalette::Highlight), QColor(10, 36, 106));
    }
    EXPECT_EQ(p.color(QPalette::Disabled, QPalette::ButtonText), QColor(128, 128, 128));
    EXPECT_EQ(p.color(QPalette::Disabled, QPalette::Base), QColor(212, 208, 200));
}

} // namespace
