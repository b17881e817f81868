// File-dialog filters of the resources in the form Qt's dialog reads.

#include "FileDialogFilters.h"

#include <gtest/gtest.h>

namespace {

using namespace kfm::shell;

TEST(FileDialogFilters, PairsBecomeNamedPatternLists) {
    const std::vector<std::string> expected = {"GIF Animations (*.gif)",
                                               "Pictures (*.gif *.bmp *.png)", "All Files (*.*)"};
    EXPECT_EQ(ConvertFileFilter("GIF Animations (*.gif)|*.gif|Pictures (*.gif;*.bmp)|"
                                "*.gif;*.bmp; *.png|All Files (*.*)|*.*||"),
              expected);
    EXPECT_EQ(ConvertFileFilter("Vector|*.wmf;*.emf|"),
              std::vector<std::string>{"Vector (*.wmf *.emf)"});
    EXPECT_TRUE(ConvertFileFilter("").empty());
    EXPECT_TRUE(ConvertFileFilter("No patterns||").empty());
    EXPECT_EQ(ConvertFileFilter("A|*.a||B|*.b|").size(), 1u);
}

TEST(FileDialogFilters, DefaultSuffix) {
    EXPECT_EQ(DefaultSuffixOf("*.gif"), "gif");
    EXPECT_EQ(DefaultSuffixOf("*.wmf|*.emf"), "wmf");
    EXPECT_EQ(DefaultSuffixOf("gif"), "gif");
    EXPECT_EQ(DefaultSuffixOf("*.*"), "");
    EXPECT_EQ(DefaultSuffixOf(""), "");
}

} // namespace
