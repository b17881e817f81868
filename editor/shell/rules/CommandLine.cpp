#include "CommandLine.h"

#include <algorithm>
#include <cctype>

namespace kfm::shell {

namespace {

// The install action named by an argument, or None.
ShellAction switchOf(const std::string& argument) {
    if (argument.size() < 2 || (argument[0] != '/' && argument[0] != '-'))
        return ShellAction::None;
    std::string word = argument.substr(1);
    if (word.size() > kLongestSwitch)
        return ShellAction::None;
    std::transform(word.begin(), word.end(), word.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (word == "regserver")
        return ShellAction::RegisterServer;
    if (word == "unregserver")
        return ShellAction::UnregisterServer;
    return ShellAction::None;
}

} // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    for (const std::string& argument : arguments) {
        const ShellAction action = switchOf(argument);
        if (action != ShellAction::None) {
            if (line.action == ShellAction::None)
                line.action = action;
            continue;
        }
        if (argument.empty() || argument[0] == '-')
            continue;
        if (line.fileToOpen.empty())
            line.fileToOpen = argument;
    }
    return line;
}

bool SplashWanted(int showSplash, const CommandLine& commandLine) {
    return showSplash != 0 && commandLine.action == ShellAction::None &&
           commandLine.fileToOpen.empty();
}

} // namespace kfm::shell
