#include "NewDocFormats.h"

#include "Kfm5ResourceIds.h"
#include "framework/ResourceDialog.h"

#include <algorithm>
#include <string>

namespace kfm::dialogs {

namespace {

std::string valueName(const char* prefix, int n) {
    return prefix + std::to_string(n);
}

bool isSide(int value) {
    return value >= kMinFormatSide && value <= kMaxFormatSide;
}

} // namespace

const std::vector<BannerFormat>& BannerFormats() {
    using namespace kfm5res;
    static const std::vector<BannerFormat> formats = {
        {IDS_BANNER_FIRST + 6, 468, 60},  {IDS_BANNER_FIRST + 5, 392, 72},
        {IDS_BANNER_FIRST + 4, 234, 60},  {IDS_BANNER_FIRST + 0, 120, 40},
        {IDS_BANNER_FIRST + 2, 120, 90},  {IDS_BANNER_FIRST + 1, 120, 60},
        {IDS_BANNER_FIRST + 3, 125, 125}, {IDS_BANNER_FIRST + 7, 88, 31},
    };
    return formats;
}

std::vector<NewDocFormat> ReadUserFormats(const kfm::ui::DialogKit& kit) {
    const int stored = std::clamp(kit.readInt("NumUserDefFormats", 0), 0, kMaxUserFormats);
    std::vector<NewDocFormat> formats;
    for (int n = 0; n < stored; ++n) {
        NewDocFormat format;
        format.name = kit.readString(valueName("ID", n).c_str());
        format.width = kit.readInt(valueName("W", n).c_str(), 0);
        format.height = kit.readInt(valueName("H", n).c_str(), 0);
        if (isSide(format.width) && isSide(format.height))
            formats.push_back(std::move(format));
    }
    return formats;
}

void WriteUserFormats(const kfm::ui::DialogKit& kit, const std::vector<NewDocFormat>& formats) {
    const int count = std::min(static_cast<int>(formats.size()), kMaxUserFormats);
    kit.writeInt("NumUserDefFormats", count);
    for (int n = 0; n < count; ++n) {
        const NewDocFormat& format = formats[static_cast<std::size_t>(n)];
        kit.writeString(valueName("ID", n).c_str(), format.name);
        kit.writeInt(valueName("W", n).c_str(), format.width);
        kit.writeInt(valueName("H", n).c_str(), format.height);
    }
}

} // namespace kfm::dialogs
