#include "ControlItems.h"

namespace kfm::syscontrols {

namespace {

constexpr char kBreak = '\n';
constexpr std::string_view kSeparator = "\n\n";

// Calls take(itemIndex, character) for every character that belongs to an item, in order.
template <class Take> void walkItems(std::string_view text, Take take) {
    long long item = 0;
    bool ended = false; // the current item met its first line feed
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == kBreak) {
            if (i > 0 && text[i - 1] == kBreak) {
                ++item;
                ended = false;
            } else {
                ended = true;
            }
            continue;
        }
        if (!ended)
            take(item, c);
    }
}

} // namespace

std::string JoinItems(const std::vector<std::string>& items) {
    std::string joined;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0)
            joined += kSeparator;
        joined += items[i];
    }
    return joined;
}

std::string ItemFromText(std::string_view text, long long index) {
    std::string item;
    if (index < 0)
        return item;
    walkItems(text, [&](long long n, char c) {
        if (n == index)
            item += c;
    });
    return item;
}

int CountItemsInText(std::string_view text) {
    int breaks = 0;
    for (std::size_t i = 1; i < text.size(); ++i)
        if (text[i] == kBreak && text[i - 1] == kBreak)
            ++breaks;
    const bool endsWithBreak =
        text.size() >= 2 && text[text.size() - 1] == kBreak && text[text.size() - 2] == kBreak;
    return endsWithBreak ? breaks : breaks + 1;
}

std::vector<std::string> ItemsFromText(std::string_view text) {
    std::vector<std::string> items;
    if (text.empty())
        return items;
    items.resize(static_cast<std::size_t>(CountItemsInText(text)));
    walkItems(text, [&](long long n, char c) {
        if (n >= 0 && static_cast<std::size_t>(n) < items.size())
            items[static_cast<std::size_t>(n)] += c;
    });
    return items;
}

ItemRefusal CheckNewItem(const std::vector<std::string>& items, std::string_view item) {
    if (item.empty())
        return ItemRefusal::Empty;
    std::size_t length = item.size();
    for (const std::string& existing : items)
        length += existing.size() + kSeparator.size();
    return length > kMaxRecordText ? ItemRefusal::TooLong : ItemRefusal::None;
}

} // namespace kfm::syscontrols
