#include "AppSettings.h"

#include "AnimationData.h"
#include "ProgramState.h"
#include "UndoHistory.h"
#include "clipboard/Clipboard.h"
#include "registry/Registry.h"
#include "registry/RegistryHelpers.h"
#include "resources/ResourceLibrary.h"

#include <cstring>

namespace kfm::shell {

AppSettings g_AppSettings;

namespace {

constexpr const char* kSettings = "Settings";
constexpr const char* kUpdateInfo = "UpdateInfo";

struct StoredInt {
    const char* name;
    std::int32_t* value;
};

using StoredInts = std::array<StoredInt, kStoredSettingCount>;

// Every stored integer with the variable it lives in, in the stored order.
StoredInts storedInts(AppSettings& s, ProgramSettings& model, CAnimationData& a) {
    auto colour = [](COLORREF& c) { return reinterpret_cast<std::int32_t*>(&c); };
    return StoredInts{{
        {"ShowState", &s.ShowState},
        {"TopMost", &s.TopMost},
        {"ColorImageView", &s.ColorImageView},
        {"UndoSteps", &model.undoSteps},
        {"TransparentGridSize", &model.transparentGridSize},
        {"TransparentGridColor", &model.transparentGridColor},
        {"ThumbnailCustomWidth", &s.ThumbnailCustomWidth},
        {"ThumbnailCustomHeight", &s.ThumbnailCustomHeight},
        {"PrintRim", &s.PrintRim},
        {"PrintTitle", &s.PrintTitle},
        {"PrintRendered", &s.PrintRendered},
        {"PrintOrderBypass", &s.PrintOrderBypass},
        {"PrintOrderColumns", &s.PrintOrderColumns},
        {"PrintOrderRows", &s.PrintOrderRows},
        {"InitAnimWidth", &s.InitAnimWidth},
        {"InitAnimHeight", &s.InitAnimHeight},
        {"InitAnimFormatID", &s.InitAnimFormatID},
        {"NewFrameWidth", &s.NewFrameWidth},
        {"NewFrameHeight", &s.NewFrameHeight},
        {"NewFrameColor", &s.NewFrameColor},
        {"NewFrameColorIndex", &s.NewFrameColorIndex},
        {"NewFrameTransparent", &s.NewFrameTransparent},
        {"NewFrameActual", &s.NewFrameActual},
        {"TabPosition", &a.TabPosition},
        {"ThumbnailWidth", &s.ThumbnailWidth},
        {"ThumbnailHeight", &s.ThumbnailHeight},
        {"OptionsThumbDispWithPos", &s.OptionsThumbDispWithPos},
        {"OptionsThumbDispTransp", &s.OptionsThumbDispTransp},
        {"OptionsThumbDispFrame", &s.OptionsThumbDispFrame},
        {"OptionsDlgRenderFrames", &s.OptionsDlgRenderFrames},
        {"OptionsAnimBkColor", colour(model.animBkColor)},
        {"OptimizePalette", &a.OptimizePalette},
        {"OptimizePalAdaptive", &a.OptimizePalAdaptive},
        {"OptimizeDither", &a.OptimizeDither},
        {"OptimizeRedundantPixels", &a.OptimizeRedundantPixels},
        {"OptimizeComment", &a.OptimizeComment},
        {"OptimizeTitle", &a.OptimizeTitle},
        {"OptimizeSpecialInfo", &a.OptimizeSpecialInfo},
        {"OptimizeDiffMethod", &a.OptimizeDiffMethod},
        {"OptimizeBandwidth", &a.OptimizeBandwidth},
        {"OptimizeNumColors", &a.OptimizeNumColors},
        {"AnimationWidth", &a.AnimationWidth},
        {"AnimationHeight", &a.AnimationHeight},
        {"AnimationStateElasticSize", &a.AnimationStateElasticSize},
        {"AnimationStateLockLeft", &a.AnimationStateLockLeft},
        {"AnimationStateLockTop", &a.AnimationStateLockTop},
        {"AnimationStateLockRight", &a.AnimationStateLockRight},
        {"AnimationStateLockBottom", &a.AnimationStateLockBottom},
        {"UpdateReminder", &s.UpdateReminder},
        {"BrowserPathAutoDetect", &s.BrowserPathAutoDetect},
        {"ShowSplash", &s.ShowSplash},
    }};
}

// An open registry key that closes itself.
class SettingsKey {
public:
    SettingsKey() {
        char path[kRegistryPathSize];
        MakeRegistryPath(path, kSettings);
        if (RegCreateKeyA(HKEY_CURRENT_USER, path, &key_) != ERROR_SUCCESS)
            key_ = nullptr;
    }
    ~SettingsKey() {
        if (key_)
            RegCloseKey(key_);
    }
    SettingsKey(const SettingsKey&) = delete;
    SettingsKey& operator=(const SettingsKey&) = delete;

    // Leaves value alone unless a 4-byte number is stored under name.
    void read(const char* name, std::int32_t& value) const {
        if (!key_)
            return;
        DWORD type = 0;
        DWORD stored = 0;
        DWORD size = sizeof stored;
        if (RegQueryValueExA(key_, name, &type, reinterpret_cast<BYTE*>(&stored), &size) ==
                ERROR_SUCCESS &&
            type == REG_DWORD && size == sizeof stored)
            value = static_cast<std::int32_t>(stored);
    }
    void write(const char* name, std::int32_t value) const {
        if (!key_)
            return;
        const DWORD stored = static_cast<DWORD>(value);
        RegSetValueExA(key_, name, REG_DWORD, reinterpret_cast<const BYTE*>(&stored),
                       sizeof stored);
    }

private:
    HKEY key_ = nullptr;
};

std::string folderOfProgram() {
    char path[4096];
    if (!GetModuleFileNameA(nullptr, path, sizeof path))
        return {};
    const char* slash = std::strrchr(path, '/');
    return slash ? std::string(path, static_cast<std::size_t>(slash - path + 1)) : std::string();
}

struct PathSetting {
    const char* name;
    std::string AppSettings::*value;
};

constexpr PathSetting kPaths[] = {
    {"BrowserPathCustom", &AppSettings::BrowserPathCustom},
    {"BrowserPathIE", &AppSettings::BrowserPathIE},
    {"BrowserPathNN", &AppSettings::BrowserPathNN},
    {"EditorPath", &AppSettings::EditorPath},
};

} // namespace

const std::array<const char*, kStoredSettingCount>& StoredSettingNames() {
    static const std::array<const char*, kStoredSettingCount> names = [] {
        AppSettings s;
        ProgramSettings model;
        CAnimationData a;
        std::array<const char*, kStoredSettingCount> out{};
        const StoredInts ints = storedInts(s, model, a);
        for (std::size_t i = 0; i < ints.size(); ++i)
            out[i] = ints[i].name;
        return out;
    }();
    return names;
}

void LoadSettings() {
    g_AppSettings = AppSettings{};
    g_AppSettings.programFolder = folderOfProgram();
    g_Settings = ProgramSettings{};
    g_bStartingUp = 0;
    g_bPreviewPlaying = 0;
    DestroyProgramAnimation();
    CAnimationData& animation = CreateProgramAnimation();
    animation.sizeBefore = animation.sizeAfter = 0;
    animation.reserved = 0;
    {
        const SettingsKey key;
        for (const StoredInt& entry : storedInts(g_AppSettings, g_Settings, animation))
            key.read(entry.name, *entry.value);
    }
    g_AppSettings.FirstRun = ReadRegBool(kUpdateInfo, "FirstRun", 1);
    for (const PathSetting& path : kPaths)
        g_AppSettings.*path.value = ReadRegString(kSettings, path.name, "");
    TheUndoHistory().SetSize(g_Settings.undoSteps);
    g_AppSettings.clipboardFormat = RegisterClipboardFormatA(kPrivateClipboardFormat);
    g_cfPrivateFormat = g_AppSettings.clipboardFormat;
}

void SaveSettings() {
    if (g_pAnimationData) {
        const SettingsKey key;
        for (const StoredInt& entry : storedInts(g_AppSettings, g_Settings, *g_pAnimationData))
            key.write(entry.name, *entry.value);
    }
    WriteRegBool(kUpdateInfo, "FirstRun", g_AppSettings.FirstRun);
    for (const PathSetting& path : kPaths)
        WriteRegString(kSettings, path.name, (g_AppSettings.*path.value).c_str());
    DestroyProgramAnimation();
}

} // namespace kfm::shell
