#pragma once
// Starting outside programs, message boxes and ending the process.

#include <functional>
#include <string>
#include <vector>

#include "types/Export.h"
#include "types/Win32Types.h"

namespace kfm::shell {

// Starts the program with its arguments and waits for it to end. Returns its exit code, or -1
// when it could not be started, did not exit normally or its exit code cannot be learned.
KFM_PLATFORM_API int runAndWait(const std::string& program, const std::vector<std::string>& args);

// Starts the program with its arguments, each handed over whole (no shell reads them, so blanks
// and quotes in a path stay part of it), and does not wait for it. False when it could not start.
KFM_PLATFORM_API bool startDetached(const std::string& program,
                                    const std::vector<std::string>& args);

// Splits a Windows-style command line ("path arg1 arg2") at blanks, keeping quoted parts whole.
KFM_PLATFORM_API std::vector<std::string> splitCommandLine(const std::string& commandLine);

// How message boxes are shown. Without a handler (no user interface yet, or headless) the text
// goes to stderr and the box answers IDOK. The editor installs a handler that shows a real box.
using MessageBoxHandler =
    std::function<int(HWND owner, const std::string& text, const std::string& caption, UINT flags)>;
KFM_PLATFORM_API void setMessageBoxHandler(MessageBoxHandler handler);

} // namespace kfm::shell

constexpr UINT MB_OK = 0x0;
constexpr UINT MB_ICONERROR = 0x10;
constexpr UINT MB_ICONWARNING = 0x30;
constexpr UINT MB_ICONINFORMATION = 0x40;

extern "C" KFM_PLATFORM_API int MessageBoxA(HWND owner, const char* text, const char* caption,
                                            UINT flags);
// Ends the process at once with the given exit code (as the Windows function does).
extern "C" [[noreturn]] KFM_PLATFORM_API void ExitProcess(UINT code);
