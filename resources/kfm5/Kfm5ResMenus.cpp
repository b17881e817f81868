// The editor's menus, toolbars and accelerators in English.
//
// Menu grammar, one statement a line: POPUP "text" ... END, MENUITEM "text", id and
// MENUITEM SEPARATOR; "\t" in a text separates the shortcut shown beside it.
// Toolbar grammar: BUTTON id or SEPARATOR; the n-th button shows picture n of the bitmap with
// the toolbar's id. Accelerator grammar: "key", id, with keys written as "Ctrl+Shift+N", "Del".

#include "Kfm5ResourceIds.h"
#include "Kfm5Resources.h"

#include <cstring>

namespace {

constexpr const char kMainMenu[] = R"(POPUP "&File"
    MENUITEM "&New\tCtrl+N", 57600
    MENUITEM "New &Animation...", 20006
    MENUITEM "&Open...\tCtrl+O", 57601
    MENUITEM "&Revert", 20008
    MENUITEM SEPARATOR
    MENUITEM "&Save\tCtrl+S", 57603
    MENUITEM "Save &As...", 57604
    MENUITEM "Save &Frame As...", 20011
    MENUITEM SEPARATOR
    MENUITEM "&Import Files...", 20018
    MENUITEM "Insert &Vector Files...", 20021
    MENUITEM "GIF &Details...", 20005
    MENUITEM SEPARATOR
    MENUITEM "&Print...\tCtrl+P", 57607
    MENUITEM "Print &Options...", 20007
    MENUITEM "Sen&d...", 20009
    MENUITEM SEPARATOR
    MENUITEM "Recent File", 57616
    MENUITEM SEPARATOR
    MENUITEM "E&xit", 57665
END
POPUP "&Edit"
    MENUITEM "&Undo\tCtrl+Z", 57643
    MENUITEM SEPARATOR
    MENUITEM "Cu&t\tCtrl+X", 57635
    MENUITEM "&Copy\tCtrl+C", 57634
    MENUITEM "&Paste\tCtrl+V", 57637
    MENUITEM "Paste &Special...", 57639
    MENUITEM "&Delete\tDel", 20004
    MENUITEM SEPARATOR
    MENUITEM "Select &All\tCtrl+A", 57642
    MENUITEM "Select P&revious Frame", 20058
    MENUITEM "Select &Next Frame", 20055
    MENUITEM SEPARATOR
    MENUITEM "Edit &Label\tF2", 20000
END
POPUP "F&rame"
    MENUITEM "New &Frame...", 20017
    MENUITEM "New &Text Object...", 20020
    MENUITEM "New C&ontrol Object...", 20019
    MENUITEM "&Edit Object...", 20012
    MENUITEM SEPARATOR
    MENUITEM "&Palette...", 20013
    MENUITEM "Mirror &Horizontally", 20014
    MENUITEM "Mirror &Vertically", 20015
    MENUITEM "R&otate...", 20027
    MENUITEM "Re&size...", 20025
    MENUITEM "&Crop", 20028
    MENUITEM SEPARATOR
    MENUITEM "Adjust &Delays...", 20016
    MENUITEM "T&ween...", 20029
    MENUITEM SEPARATOR
    MENUITEM "Objects to &Images", 20024
    MENUITEM "&Merge Frames", 20152
    MENUITEM "Render Animation &States", 20156
    MENUITEM "D&uplicate Frames", 20026
    MENUITEM "Move &Earlier", 20023
    MENUITEM "Move &Later", 20022
    MENUITEM SEPARATOR
    POPUP "&Align"
        MENUITEM "&Left Edges", 20032
        MENUITEM "&Right Edges", 20033
        MENUITEM "&Top Edges", 20034
        MENUITEM "&Bottom Edges", 20031
        MENUITEM SEPARATOR
        MENUITEM "Centre &Horizontally", 20035
        MENUITEM "Centre &Vertically", 20036
        MENUITEM SEPARATOR
        MENUITEM "Space &Across", 20037
        MENUITEM "Space &Down", 20038
    END
END
POPUP "&View"
    POPUP "&Toolbars"
        MENUITEM "&Standard", 20050
        MENUITEM "&Animation", 20051
        MENUITEM "&Frames", 20049
    END
    MENUITEM "&Status Bar", 59393
    MENUITEM SEPARATOR
    MENUITEM "Zoom &In", 20078
    MENUITEM "Zoom &Out", 20077
    MENUITEM "Actual Si&ze", 20076
    MENUITEM SEPARATOR
    POPUP "T&humbnails"
        MENUITEM "&80 x 80", 20063
        MENUITEM "&96 x 96", 20064
        MENUITEM "11&2 x 112", 20059
        MENUITEM "12&8 x 128", 20060
        MENUITEM "14&4 x 144", 20061
        MENUITEM "16&0 x 160", 20062
        MENUITEM "&Custom", 20069
        MENUITEM SEPARATOR
        MENUITEM "Animation &Size", 20065
        MENUITEM "&Three Quarters", 20068
        MENUITEM "&Half", 20067
        MENUITEM "&Quarter", 20066
        MENUITEM "&Fit to Strip", 20071
        MENUITEM SEPARATOR
        MENUITEM "C&ustom Size...", 20070
    END
    POPUP "&Layout"
        MENUITEM "&Stacked", 20073
        MENUITEM "Side &by Side", 20074
    END
    MENUITEM "Arrange &Panes", 1225
END
POPUP "&Animation"
    MENUITEM "&Preview", 20056
    MENUITEM SEPARATOR
    MENUITEM "P&lay", 20044
    MENUITEM "P&ause", 20045
    MENUITEM "&First Frame", 20039
    MENUITEM "P&revious Frame", 20041
    MENUITEM "&Next Frame", 20043
    MENUITEM "&Last Frame", 20042
    MENUITEM "F&ill", 20040
    MENUITEM SEPARATOR
    MENUITEM "&Browser Preview", 20052
    MENUITEM "Browser Preview &1", 20053
    MENUITEM "Browser Preview &2", 20054
END
POPUP "&Tools"
    MENUITEM "&Preferences...", 20057
    MENUITEM SEPARATOR
    MENUITEM "Check for &Updates...", 20030
END
POPUP "&Plug-ins"
    MENUITEM "Plug-in P&references...", 20010
END
POPUP "&Help"
    MENUITEM "&Help Topics", 57667
    MENUITEM "&Web Page", 20075
    MENUITEM SEPARATOR
    MENUITEM "&About KFM5...", 57664
END
)";

constexpr const char kStripMenu[] = R"(POPUP "Frames"
    MENUITEM "Edit &Label\tF2", 20000
    MENUITEM "&Edit Object...", 20012
    MENUITEM SEPARATOR
    MENUITEM "Cu&t", 57635
    MENUITEM "&Copy", 57634
    MENUITEM "&Paste", 57637
    MENUITEM "&Delete", 20004
    MENUITEM SEPARATOR
    MENUITEM "D&uplicate Frames", 20026
    MENUITEM "Move &Earlier", 20023
    MENUITEM "Move L&ater", 20022
    MENUITEM SEPARATOR
    MENUITEM "Select &All", 57642
END
)";

constexpr const char kDropMenu[] = R"(POPUP "Drop"
    MENUITEM "&Move Here", 20002
    MENUITEM "&Copy Here", 20001
    MENUITEM SEPARATOR
    MENUITEM "Cancel", 2
END
)";

constexpr const char kImageEditMenu[] = R"(POPUP "Zoom"
    MENUITEM "Zoom &In", 20078
    MENUITEM "Zoom &Out", 20077
    MENUITEM "Actual Si&ze", 20076
END
)";

// Pictures 23 and 27 show the outside editor and the custom browser.
constexpr const char kToolbarStandard[] = R"(BUTTON 57600
BUTTON 57601
BUTTON 57603
SEPARATOR
BUTTON 20018
BUTTON 20021
SEPARATOR
BUTTON 57635
BUTTON 57634
BUTTON 57637
BUTTON 20004
BUTTON 57643
SEPARATOR
BUTTON 20017
BUTTON 20020
BUTTON 20019
SEPARATOR
BUTTON 20014
BUTTON 20015
BUTTON 20027
BUTTON 20025
BUTTON 20028
SEPARATOR
BUTTON 20016
BUTTON 20029
BUTTON 20013
SEPARATOR
BUTTON 20078
BUTTON 20077
BUTTON 20012
SEPARATOR
BUTTON 20053
BUTTON 20054
BUTTON 57607
BUTTON 20052
)";

constexpr const char kToolbarAnimation[] = R"(BUTTON 20056
SEPARATOR
BUTTON 20039
BUTTON 20041
BUTTON 20044
BUTTON 20045
BUTTON 20043
BUTTON 20042
BUTTON 20040
SEPARATOR
BUTTON 20058
BUTTON 20055
BUTTON 20072
)";

constexpr const char kToolbarFrames[] = R"(BUTTON 20032
BUTTON 20033
BUTTON 20034
BUTTON 20031
SEPARATOR
BUTTON 20035
BUTTON 20036
BUTTON 20037
BUTTON 20038
SEPARATOR
BUTTON 20023
BUTTON 20022
)";

constexpr const char kAccelerators[] = R"("Ctrl+N", 57600
"Ctrl+O", 57601
"Ctrl+S", 57603
"Ctrl+P", 57607
"Ctrl+Z", 57643
"Alt+Backspace", 57643
"Ctrl+X", 57635
"Shift+Del", 57635
"Ctrl+C", 57634
"Ctrl+Ins", 57634
"Ctrl+V", 57637
"Shift+Ins", 57637
"Del", 20004
"Ctrl+A", 57642
"F2", 20000
"F1", 57670
"Shift+F1", 57669
)";

template <std::size_t N> constexpr std::uint32_t textSize(const char (&)[N]) {
    return N - 1;
}

const unsigned char* bytes(const char* text) {
    return reinterpret_cast<const unsigned char*>(text);
}

const KfmBinaryResource kResources[] = {
    {RT_MENU, kfm5res::kMainMenu, bytes(kMainMenu), textSize(kMainMenu)},
    {RT_MENU, kfm5res::kMenuImageEdit, bytes(kImageEditMenu), textSize(kImageEditMenu)},
    {RT_TOOLBAR, kfm5res::kToolbarStandard, bytes(kToolbarStandard), textSize(kToolbarStandard)},
    {RT_TOOLBAR, kfm5res::kToolbarAnimation, bytes(kToolbarAnimation), textSize(kToolbarAnimation)},
    {RT_TOOLBAR, kfm5res::kToolbarFrames, bytes(kToolbarFrames), textSize(kToolbarFrames)},
    {RT_ACCELERATOR, kfm5res::kMainAccelerators, bytes(kAccelerators), textSize(kAccelerators)},
    {RT_MENU, kfm5res::kStripMenu, bytes(kStripMenu), textSize(kStripMenu)},
    {RT_MENU, kfm5res::kDropMenu, bytes(kDropMenu), textSize(kDropMenu)},
};

} // namespace

const KfmBinaryResource* kfm5TextResources(std::uint32_t* count) {
    *count = sizeof kResources / sizeof kResources[0];
    return kResources;
}
