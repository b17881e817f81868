#pragma once
// The Photo CD resolution dialog: the user keeps the default size or picks one of the pack's
// resolutions and a depth (24-bit colour, 8-bit colour or 8-bit grey), and sees the memory the
// picture will take. The dialog's behaviour lives here; the window that shows it is the
// program's: it installs a host that presents the dialog and drives it through the calls below
// (tests install a scripted host). Without a host the dialog answers IDCANCEL.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "types/Export.h"
#include "types/Win32Types.h"

namespace kfm::photocd {

// Depth values of the dialog: 24-bit colour, 8-bit colour, and 9 for 8-bit grey.
constexpr int kDepthColour24 = 24;
constexpr int kDepthColour8 = 8;
constexpr int kDepthGrey8 = 9;

// The block the dialog works on (the caller's values in, the choice out).
struct ResolutionDialogBlock {
    std::int32_t resolution = 8; // a single resolution bit
    std::int32_t depth = kDepthColour24;
    std::int32_t portrait = 0;           // 1 when the picture is taller than wide
    std::array<std::int32_t, 8> slots{}; // combo position -> resolution index
};

// The texts the dialog shows, with printf-style placeholders filled in order: the default choice
// (width, height), a combo entry (width, height) and the memory line (the grouped byte count).
struct ResolutionDialogTexts {
    std::string defaultFormat;
    std::string entryFormat;
    std::string memoryFormat;
};

class KFM_PLATFORM_API ResolutionDialog {
public:
    // Sets the dialog up for a pack offering the resolutions of availableMask: the default
    // choice and 24-bit colour checked, the combo on the Base entry.
    ResolutionDialog(ResolutionDialogBlock& block, unsigned availableMask,
                     ResolutionDialogTexts texts);

    // What the window shows.
    const std::string& defaultText() const { return defaultText_; }
    const std::vector<std::string>& entries() const { return entries_; }
    const std::string& memoryText() const { return memoryText_; }
    bool choosing() const { return choosing_; }
    int selectedEntry() const { return selected_; }
    int depth() const { return depth_; }

    // The user's actions.
    void chooseDefault();
    void chooseResolution();
    void selectEntry(int position);
    void setDepth(int depth);
    // The OK button: writes the choice into the block (the caller of the dialog does this when
    // the host answers IDOK).
    void accept();

private:
    void showMemory(int width, int height, int depth);
    void showSelectedMemory();

    ResolutionDialogBlock& block_;
    ResolutionDialogTexts texts_;
    std::string defaultText_;
    std::vector<std::string> entries_;
    std::string memoryText_;
    bool choosing_ = false;
    int selected_ = 0;
    int depth_ = kDepthColour24;
};

// The digits of a count grouped in threes from the right with blanks; at most 12 digits.
KFM_PLATFORM_API std::string groupDigits(std::int64_t count);

class ResolutionDialogHost {
public:
    virtual ~ResolutionDialogHost() = default;
    // Shows the dialog and lets the user work it; IDOK for the OK button, IDCANCEL otherwise.
    virtual int run(HWND owner, ResolutionDialog& dialog) = 0;
};

// Installs the host (not owned); null removes it.
KFM_PLATFORM_API void setResolutionDialogHost(ResolutionDialogHost* host);
// Runs the dialog through the installed host; IDCANCEL without one.
KFM_PLATFORM_API int runResolutionDialog(HWND owner, ResolutionDialog& dialog);

} // namespace kfm::photocd
