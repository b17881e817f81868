#pragma once
// The sizes the new-animation dialog offers: eight banner formats of the program, then up to 192
// formats of the user's own, kept in the registry section "Dlgs\\NewDoc".

#include <QString>

#include <vector>

namespace kfm::ui {
class DialogKit;
}

namespace kfm::dialogs {

struct NewDocFormat {
    QString name;
    int width = 0;
    int height = 0;
};

constexpr int kBannerFormatCount = 8;
constexpr int kMaxFormatEntries = 200;
constexpr int kMaxUserFormats = kMaxFormatEntries - kBannerFormatCount;
constexpr int kMinFormatSide = 1;
constexpr int kMaxFormatSide = 9999;

// The banner formats in list order: the text id of each name and its size.
struct BannerFormat {
    unsigned textId;
    int width;
    int height;
};
const std::vector<BannerFormat>& BannerFormats();

// The user formats stored in the kit's section: at most kMaxUserFormats whatever
// "NumUserDefFormats" says, and none with a side outside 1..9999.
std::vector<NewDocFormat> ReadUserFormats(const kfm::ui::DialogKit& kit);
// Writes the user formats ("NumUserDefFormats", "ID"/"W"/"H" + n).
void WriteUserFormats(const kfm::ui::DialogKit& kit, const std::vector<NewDocFormat>& formats);

} // namespace kfm::dialogs
