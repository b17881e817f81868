#pragma once
// The items of a list box, a combo box or a tab control as they travel in a control record's
// text: joined by two line feeds, nothing after the last. Reading one back, a line feed that
// directly follows a line feed is an item break, and an item's characters end at its first line
// feed, so an item never holds a line feed.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kfm::syscontrols {

// The longest text a control record carries: the first text travels in one GIF sub-block.
inline constexpr std::size_t kMaxRecordText = 255;

// The items joined with "\n\n".
std::string JoinItems(const std::vector<std::string>& items);
// Item number index (from 0) of a text; empty for an index beyond the last item or below 0.
std::string ItemFromText(std::string_view text, long long index);
// One more than the number of item breaks, except when the text ends with a break.
int CountItemsInText(std::string_view text);
// Every item of a text; none for an empty text.
std::vector<std::string> ItemsFromText(std::string_view text);

// Whether one more item keeps the joined list within what a record carries. An empty item is
// never added: it would not survive the joined form.
enum class ItemRefusal { None, Empty, TooLong };
ItemRefusal CheckNewItem(const std::vector<std::string>& items, std::string_view item);

} // namespace kfm::syscontrols
