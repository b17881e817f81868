#pragma once
// The desktop's services that the editor's windows call: opening a web address in the user's
// browser and the warning beep. Each goes through a replaceable handler, so tests can watch the
// calls without starting a browser or a sound.

#include <functional>
#include <string>

#include "types/Export.h"
#include "types/Win32Types.h"

namespace kfm::shell {

// Opens an address (or a file path) with the desktop's program for it; false when the desktop
// could not open it. Without a handler: QDesktopServices over QUrl::fromUserInput.
using UrlOpener = std::function<bool(const std::string& url)>;
KFM_PLATFORM_API bool openUrl(const std::string& url);
// Replaces the opener; an empty function returns to the desktop's.
KFM_PLATFORM_API void setUrlOpener(UrlOpener opener);

// The beep of a message-box kind (MB_ICONEXCLAMATION ...). The editor installs the window
// system's beep; without a handler the call is silent.
using BeepHandler = std::function<void(UINT kind)>;
KFM_PLATFORM_API void setBeepHandler(BeepHandler handler);

} // namespace kfm::shell

constexpr UINT MB_ICONEXCLAMATION = 0x30;

extern "C" KFM_PLATFORM_API BOOL MessageBeep(UINT kind);
