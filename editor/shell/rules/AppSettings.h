#pragma once
// The program's options: read from the registry section "Settings" once at start-up and written
// back once at exit. In between every part of the editor reads and changes them in memory.
// Eighteen of the 51 integer values live in the program-wide animation record, four in the
// model's settings (undo steps, transparency grid, animation background), the rest here.

#include <array>
#include <string>

#include "types/Win32Types.h"

namespace kfm::shell {

constexpr COLORREF RgbColour(int red, int green, int blue) {
    return static_cast<COLORREF>(red) | (static_cast<COLORREF>(green) << 8) |
           (static_cast<COLORREF>(blue) << 16);
}

// The free-standing values, named as stored.
struct AppSettings {
    int ShowState = 1;
    int TopMost = 0;
    int ColorImageView = static_cast<int>(RgbColour(255, 255, 192));
    int ThumbnailCustomWidth = 80;
    int ThumbnailCustomHeight = 80;
    int PrintRim = 1;
    int PrintTitle = 1;
    int PrintRendered = 1;
    int PrintOrderBypass = 1;
    int PrintOrderColumns = 0;
    int PrintOrderRows = 0;
    int InitAnimWidth = 468;
    int InitAnimHeight = 60;
    int InitAnimFormatID = 0;
    int NewFrameWidth = 468;
    int NewFrameHeight = 60;
    int NewFrameColor = 0;
    int NewFrameColorIndex = 0;
    int NewFrameTransparent = 0;
    int NewFrameActual = 0;
    int ThumbnailWidth = 80;
    int ThumbnailHeight = 80;
    int OptionsThumbDispWithPos = 1;
    int OptionsThumbDispTransp = 1;
    int OptionsThumbDispFrame = 1;
    int OptionsDlgRenderFrames = 0;
    int UpdateReminder = 0;
    int BrowserPathAutoDetect = 1;
    int ShowSplash = 1;

    std::string BrowserPathCustom;
    std::string BrowserPathIE;
    std::string BrowserPathNN;
    std::string EditorPath;
    // "UpdateInfo\FirstRun".
    int FirstRun = 1;

    // The folder of the running program with a trailing "/".
    std::string programFolder;
    // The id of the private clipboard format.
    UINT clipboardFormat = 0;
};

extern AppSettings g_AppSettings;

constexpr int kStoredSettingCount = 51;
// The names of the stored integers, in the order they are read and written.
const std::array<const char*, kStoredSettingCount>& StoredSettingNames();

// Sets every default, creates the program-wide animation record, reads the stored values
// (a value of another type or size keeps its default; nothing is limited here, the readers
// apply their bounds), hands the model its settings (the undo ring's length included) and
// registers the private clipboard format.
void LoadSettings();
// Writes every value back and destroys the program-wide animation record.
void SaveSettings();

} // namespace kfm::shell
