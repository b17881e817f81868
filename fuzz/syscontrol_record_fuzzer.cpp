// Fuzz target of what a control frame's record from a file becomes: the record reader over the
// first 104 bytes (short input reads as zeros), the texts from the rest (the first text at most
// 255 bytes, as a GIF block carries it), the unpacking into the settings, the look the live
// controls are made from, and the item texts. Every index the look hands on must lie inside its
// table, and packing the unpacked settings must be stable.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "ControlItems.h"
#include "ControlLook.h"
#include "ObjectRecordBytes.h"
#include "SysControlRecord.h"

namespace {

using namespace kfm::syscontrols;

void check(bool condition) {
    if (!condition)
        std::abort();
}

void checkLook(const ControlLook& look) {
    check(look.type == 0 || IsListedType(look.type));
    check(look.selection >= -1 && look.selection < static_cast<int>(look.items.size()));
    check(look.hotTab >= -1 && look.hotTab < static_cast<int>(look.items.size()));
    check(look.highlightTab >= -1 && look.highlightTab < static_cast<int>(look.items.size()));
    check(look.icon >= -1 && look.icon < kMessageBoxIconCount);
    check(look.buttons.size() <= 3);
    check(look.defaultButton == 0 ||
          (look.defaultButton > 0 && look.defaultButton < static_cast<int>(look.buttons.size())));
    check(look.align >= 0 && look.align <= 2);
    check(look.comboKind >= 0 && look.comboKind <= 2);
    check(look.dateFormat >= 0 && look.dateFormat <= 2);
    if (look.date)
        check(IsValidDate(look.date->year, look.date->month, look.date->day));
    if (look.today)
        check(IsValidDate(look.today->year, look.today->month, look.today->day));
    check(look.position >= look.minimum || look.type == HScrollBar || look.type == VScrollBar);
}

void checkItems(const std::string& text) {
    const std::vector<std::string> items = ItemsFromText(text);
    if (!text.empty())
        check(static_cast<int>(items.size()) == CountItemsInText(text));
    for (std::size_t i = 0; i < items.size() && i < 8; ++i) {
        check(items[i] == ItemFromText(text, static_cast<long long>(i)));
        check(items[i].find('\n') == std::string::npos);
    }
    check(ItemFromText(text, static_cast<long long>(items.size()) + 1).empty());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    ControlObjectRecord record = kfm::records::readControlObjectRecord(bytes);
    const std::size_t rest = std::min(size, kfm::records::kControlObjectRecordSize);
    const std::string tail(reinterpret_cast<const char*>(data) + rest, size - rest);
    if (!tail.empty()) {
        record.text = tail.substr(0, kMaxRecordText);
        if (tail.size() > kMaxRecordText)
            record.caption = tail.substr(kMaxRecordText);
    }
    // The picture's size comes from the first two value words, as any size could.
    const int width = record.values[14];
    const int height = record.values[15];

    SysControlSettings settings = PreviewStartSettings();
    RecordToSettings(settings, record, width, height);
    checkItems(settings.Text);
    const std::vector<std::string> items = ItemsFromText(settings.Text);
    checkLook(LookFromSettings(settings, items));

    // Packing what was unpacked, and again, gives the same record.
    const ControlObjectRecord packed = SettingsToRecord(settings, JoinItems(items));
    SysControlSettings again = PreviewStartSettings();
    RecordToSettings(again, packed, width, height);
    const ControlObjectRecord repacked =
        SettingsToRecord(again, JoinItems(ItemsFromText(again.Text)));
    check(kfm::records::writeControlObjectRecord(packed) ==
          kfm::records::writeControlObjectRecord(repacked));
    return 0;
}
