#pragma once
// The editor's command line: the install switches "regserver" and "unregserver" (after "/" or
// "-", any case) and the name of an animation to open.

#include <string>
#include <vector>

namespace kfm::shell {

enum class ShellAction { None, RegisterServer, UnregisterServer };

struct CommandLine {
    // The first install switch found, in argument order.
    ShellAction action = ShellAction::None;
    // The first argument that is neither a switch nor empty; empty means "new document".
    std::string fileToOpen;
};

// The longest switch word examined after its "/" or "-"; longer arguments are never switches.
constexpr std::size_t kLongestSwitch = 259;

// Reads the arguments after the program name. A "/" also starts every absolute path here, so
// only the two install words count as switches; other "/" arguments are file names and other
// "-" arguments are left alone.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The splash window shows at start-up when the setting "ShowSplash" is on and the program starts
// with a new animation: no file named, no install switch.
bool SplashWanted(int showSplash, const CommandLine& commandLine);

} // namespace kfm::shell
