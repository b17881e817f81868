// English texts of the update check, its wizard and settings, and of outside editing.

#include "Kfm5ResourceIds.h"
#include "Kfm5Resources.h"

namespace {

constexpr KfmStringResource kStrings[] = {
    // The update settings dialog.
    {kfm5res::IDD_UPDATE_SETTINGS, "Update Settings"},
    {kfm5res::IDC_UPDATE_DIRECT, "&Connect directly to the Internet"},
    {kfm5res::IDC_UPDATE_USE_PROXY, "Connect through a &proxy server"},
    {kfm5res::IDC_UPDATE_PROXY_GROUP, "Proxy server"},
    {kfm5res::IDC_UPDATE_SERVER_LABEL, "&Address:"},
    {kfm5res::IDC_UPDATE_PORT_LABEL, "P&ort:"},
    {kfm5res::IDS_UPDATE_REMINDER_LABEL, "&Remind me to check for updates:"},
    {kfm5res::IDS_UPDATE_REMIND_FIRST, "Never"},
    {kfm5res::IDS_UPDATE_REMIND_FIRST + 1, "Every 30 days"},
    {kfm5res::IDS_UPDATE_REMIND_FIRST + 2, "Every 60 days"},
    {kfm5res::IDS_UPDATE_REMIND_FIRST + 3, "Every 180 days"},

    // The update wizard: introduction and result.
    {kfm5res::IDD_UPDATE_INTRO, "Check for Updates"},
    {kfm5res::IDS_UPDATE_INTRO_TEXT,
     "This wizard asks the Keldo update server whether a newer version of Keldo Flimmer is "
     "available.\n\nConnect to the Internet, then click Next. To connect through a proxy "
     "server, click Settings first."},
    {kfm5res::IDC_UPDATE_SETTINGS_BUTTON, "&Settings..."},
    {kfm5res::IDD_UPDATE_RESULT, "Result"},
    {kfm5res::IDC_UPDATE_CHECKING,
     "Asking the update server whether a newer version is available. Please wait..."},
    {kfm5res::IDC_UPDATE_NEWS_LABEL, "What is new:"},
    {kfm5res::IDC_UPDATE_LINK, "Keldo Flimmer on the web"},
    {kfm5res::IDS_UPDATE_LINK_URL, "http://www.keldo-software.com/"},
    {kfm5res::IDS_UPDATE_NEWER_BUILD, "A newer build of Keldo Flimmer is available."},
    {kfm5res::IDS_UPDATE_NEWER_VERSION, "A newer version of Keldo Flimmer is available."},
    {kfm5res::IDS_UPDATE_CURRENT, "You are using the latest version of Keldo Flimmer."},
    {kfm5res::IDS_UPDATE_NO_REPLY,
     "The update server could not be reached, or its answer could not be read. Please check "
     "your connection settings and try again later."},

    // Outside editing.
    {kfm5res::IDS_EDITOR_START_FAILED,
     "The outside bitmap editor could not be started for the file\n%s\n\nChoose the editor in "
     "the preferences."},
    {kfm5res::IDS_EDITOR_FILE_NOT_WRITTEN,
     "The frame could not be written to the temporary file\n%s\n\nThe outside editor was not "
     "started."},
};

} // namespace

const KfmStringResource* kfm5UpdateStrings(std::uint32_t* count) {
    *count = sizeof kStrings / sizeof kStrings[0];
    return kStrings;
}
