// English texts of the About dialogs, the outside editor's notices, the links and the toolbars'
// context menu.

#include "Kfm5ResourceIds.h"
#include "Kfm5Resources.h"

namespace {

constexpr KfmStringResource kStrings[] = {
    {kfm5res::IDD_ABOUT, "About Keldo Flimmer 5"},
    {kfm5res::IDC_ABOUT_TITLE, "Keldo Flimmer 5"},
    {kfm5res::IDC_ABOUT_VERSION, "Version 5.0 (build 3000.2)"},
    {kfm5res::IDC_ABOUT_COPYRIGHT, "Copyright \xA9 KELDO"},
    {kfm5res::IDC_ABOUT_NOTE, "An editor for animated GIF pictures."},
    {kfm5res::IDC_ABOUT_DETAILS, "&Details..."},
    {kfm5res::IDS_ABOUT_WEB_LINK, "Keldo Flimmer on the web"},
    {kfm5res::IDS_ABOUT_MAIL_LINK, "Write to us"},
    {kfm5res::IDS_ABOUT_MAIL_ADDRESS, "mailto:flimmer@keldo.example"},
    {kfm5res::IDD_ABOUT_DETAILS, "About Keldo Flimmer 5: Details"},
    {kfm5res::IDS_ABOUT_DETAILS_TEXT,
     "Keldo Flimmer 5 is built with Qt, zlib, libpng, libjpeg, libtiff, OpenCV and FFmpeg.\n"
     "Each of these libraries keeps its own licence and copyright."},
    {kfm5res::IDD_MSG_EDITOR, "Outside Editor"},
    {kfm5res::IDS_MSG_EDITOR_TEXT,
     "This frame is already open in the outside editor. That edit ends now: changes saved "
     "there afterwards are no longer taken back into the animation."},
    {kfm5res::IDC_MSG_EDITOR_SHOW_NEXT_TIME, "&Show this message next time"},
    {kfm5res::IDD_FRAME_CHANGED, "Frame Changed"},
    {kfm5res::IDS_FRAME_CHANGED,
     "Frame %d was changed in the outside editor. Do you want to take the changed picture "
     "into the animation?"},
    {kfm5res::IDC_FRAME_CHANGED_END_EDIT, "&End editing this frame outside"},
    {kfm5res::IDS_LINK_OPEN_FAILED,
     "The link could not be opened. Is a web browser set up on this computer?"},
};

constexpr const char kToolbarMenu[] = R"(POPUP "Toolbars"
    MENUITEM "&Standard", 20050
    MENUITEM "&Animation", 20051
    MENUITEM "&Frames", 20049
    MENUITEM SEPARATOR
    MENUITEM "Status &Bar", 59393
END
)";

const KfmBinaryResource kResources[] = {
    {RT_MENU, kfm5res::kToolbarMenu, reinterpret_cast<const unsigned char*>(kToolbarMenu),
     sizeof kToolbarMenu - 1},
};

} // namespace

const KfmStringResource* kfm5AboutStrings(std::uint32_t* count) {
    *count = sizeof kStrings / sizeof kStrings[0];
    return kStrings;
}

const KfmBinaryResource* kfm5AboutResources(std::uint32_t* count) {
    *count = sizeof kResources / sizeof kResources[0];
    return kResources;
}
