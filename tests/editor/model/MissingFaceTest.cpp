// The installed import readers replace a face this machine lacks through the font library and
// say so for the font report; an installed face stays as it is.

#include "ImportReaders.h"
#include "TestSupport.h"
#include "text/TextFont.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

LOGFONTA fontNamed(const char* face) {
    LOGFONTA font{};
    std::strncpy(font.lfFaceName, face, sizeof font.lfFaceName - 1);
    return font;
}

TEST(MissingFace, IsReplacedInTheRecordAndReportedAsWantedAndChosen) {
    kfm::test::ensureGuiApplication();
    ASSERT_FALSE(kfm::text::facesOfCharset(1).empty()) << "no fonts: the install script adds them";
    LOGFONTA font = fontNamed("Nowhere Grotesk 4711");
    std::string report;
    ASSERT_EQ(importReaders().SubstituteFont(font, report), 1);
    const std::string chosen = font.lfFaceName;
    EXPECT_NE(chosen, "Nowhere Grotesk 4711");
    EXPECT_TRUE(kfm::text::faceExists(chosen, 1)) << chosen;
    EXPECT_EQ(report, "Nowhere Grotesk 4711|" + chosen + "|");

    // The replacement is installed: it is kept as it is, with nothing to report.
    std::string none;
    EXPECT_EQ(importReaders().SubstituteFont(font, none), 0);
    EXPECT_EQ(std::string(font.lfFaceName), chosen);
    EXPECT_TRUE(none.empty());
    LOGFONTA empty = fontNamed("");
    EXPECT_EQ(importReaders().SubstituteFont(empty, none), 0);
}

} // namespace
