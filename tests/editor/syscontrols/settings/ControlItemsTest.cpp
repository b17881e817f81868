// Items in the record's text: joining, reading one back, counting, and which new items a list
// can take without the record cutting its text.

#include "ControlItems.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace kfm::syscontrols;

TEST(ControlItemsTest, JoinedItemsReadBackOneByOne) {
    const std::string joined = JoinItems({"a", "b", "c"});
    EXPECT_EQ(joined, "a\n\nb\n\nc");
    EXPECT_EQ(ItemFromText(joined, 0), "a");
    EXPECT_EQ(ItemFromText(joined, 1), "b");
    EXPECT_EQ(ItemFromText(joined, 2), "c");
    EXPECT_EQ(ItemFromText(joined, 3), "");
    EXPECT_EQ(ItemFromText(joined, -1), "");
    EXPECT_EQ(ItemFromText(joined, 1LL << 40), "");
    EXPECT_EQ(JoinItems({}), "");
}

TEST(ControlItemsTest, ItemTextsTable) {
    struct Case {
        const char* text;
        int count;
        std::vector<std::string> items;
    };
    const Case cases[] = {
        {"", 1, {}},
        {"one", 1, {"one"}},
        {"a\n\nb", 2, {"a", "b"}},
        {"a\n\n", 1, {"a"}},
        {"a\nx\n\nb", 2, {"a", "b"}},    // an item ends at its first line feed
        {"a\n\n\nb", 3, {"a", "", "b"}}, // each further line feed starts an empty item
        {"\n\nb", 2, {"", "b"}},
        {"\n", 1, {""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(CountItemsInText(c.text), c.count);
        EXPECT_EQ(ItemsFromText(c.text), c.items);
    }
}

TEST(ControlItemsTest, NewItemsStayWithinWhatARecordCarries) {
    EXPECT_EQ(CheckNewItem({}, ""), ItemRefusal::Empty);
    EXPECT_EQ(CheckNewItem({}, std::string(255, 'x')), ItemRefusal::None);
    EXPECT_EQ(CheckNewItem({}, std::string(256, 'x')), ItemRefusal::TooLong);
    const std::vector<std::string> items = {std::string(250, 'a')};
    EXPECT_EQ(CheckNewItem(items, "bcd"), ItemRefusal::None) << "250 + 2 + 3 = 255";
    EXPECT_EQ(CheckNewItem(items, "bcde"), ItemRefusal::TooLong);
    EXPECT_EQ(JoinItems({std::string(250, 'a'), "bcd"}).size(), kMaxRecordText);
}

} // namespace
