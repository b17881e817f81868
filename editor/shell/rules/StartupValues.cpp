#include "StartupValues.h"

#include "AnimationData.h"
#include "AppSettings.h"
#include "registry/RegistryHelpers.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace kfm::shell {

namespace {

constexpr std::array<const char*, 4> kAppPathNames = {"PlugInsAdobe.ini", "PlugInsKeldo.ini",
                                                      "Plug-Ins", "Samples"};
constexpr std::array<int, 12> kThumbnailIds = {80,  96,  112, 128, 144, 160,
                                               170, 180, 181, 182, 183, 184};
constexpr int kLargestGifSide = 65535;
constexpr const char* kUpdateInfo = "UpdateInfo";
constexpr int kAppPathSamples = 3;

} // namespace

int GetAppPath(int kind, char* out, int size) {
    if (!out || kind < 0 || kind >= static_cast<int>(kAppPathNames.size()))
        return 0;
    const std::string path =
        g_AppSettings.programFolder + kAppPathNames[static_cast<std::size_t>(kind)];
    if (size <= 0 || path.size() + 1 > static_cast<std::size_t>(size))
        return 0;
    std::memcpy(out, path.c_str(), path.size() + 1);
    return 1;
}

void InitDefaultFilePaths() {
    char samples[4096];
    if (!GetAppPath(kAppPathSamples, samples, sizeof samples))
        return;
    const std::string folder = std::string(samples) + "/";
    for (const char* section : {"Dlgs\\FileOpenSave", "Dlgs\\FileImportExport"})
        WriteRegString(section, "OpenInitPath", folder.c_str());
}

AnimationSize BoundedAnimationSize(int width, int height) {
    return {std::clamp(width, 1, kLargestGifSide), std::clamp(height, 1, kLargestGifSide)};
}

int BoundedThumbnailId(int id) {
    return std::find(kThumbnailIds.begin(), kThumbnailIds.end(), id) != kThumbnailIds.end()
               ? id
               : kThumbnailIds.front();
}

int BoundedFlag(int value) {
    return value ? 1 : 0;
}

void ApplyNewDocumentDefaults(bool keepSize) {
    if (!g_pAnimationData)
        return;
    CAnimationData& a = *g_pAnimationData;
    if (!keepSize) {
        const AnimationSize size =
            BoundedAnimationSize(g_AppSettings.InitAnimWidth, g_AppSettings.InitAnimHeight);
        a.AnimationWidth = size.width;
        a.AnimationHeight = size.height;
    }
    a.frameCount = 0;
    a.comment.clear();
}

ReminderDate ReadOrStartReminderDate(int today, int thisMonth, int thisYear) {
    ReminderDate date{ReadRegInt(kUpdateInfo, "LastDay", -1, 0, 0),
                      ReadRegInt(kUpdateInfo, "LastMonth", -1, 0, 0),
                      ReadRegInt(kUpdateInfo, "LastYear", -1, 0, 0)};
    if (date.day == -1 || date.month == -1 || date.year == -1) {
        date = {today, thisMonth, thisYear};
        WriteRegInt(kUpdateInfo, "LastDay", today);
        WriteRegInt(kUpdateInfo, "LastMonth", thisMonth);
        WriteRegInt(kUpdateInfo, "LastYear", thisYear);
    }
    return date;
}

} // namespace kfm::shell
