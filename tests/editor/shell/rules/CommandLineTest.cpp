// The editor's command line: install switches and the file to open.

#include "CommandLine.h"

#include <gtest/gtest.h>

namespace {

using kfm::shell::ParseCommandLine;
using kfm::shell::ShellAction;

TEST(CommandLine, SwitchesAndFileNames) {
    struct Case {
        std::vector<std::string> arguments;
        ShellAction action;
        std::string file;
    };
    const std::string longWord = "/" + std::string(259, 'x');
    const std::string tooLong = "/regserver" + std::string(250, ' ');
    const Case cases[] = {
        {{}, ShellAction::None, ""},
        {{"/regserver"}, ShellAction::RegisterServer, ""},
        {{"-RegServer"}, ShellAction::RegisterServer, ""},
        {{"/UNREGSERVER"}, ShellAction::UnregisterServer, ""},
        {{"-unRegServer", "/regserver"}, ShellAction::UnregisterServer, ""},
        // Without "/" or "-" the word is a file name.
        {{"regserver"}, ShellAction::None, "regserver"},
        // On this system "/" starts absolute paths: they are files, not switches.
        {{"/home/user/anim.gif"}, ShellAction::None, "/home/user/anim.gif"},
        {{"/home/user/a.gif", "/tmp/b.gif"}, ShellAction::None, "/home/user/a.gif"},
        // Other "-" arguments are left alone.
        {{"-style", "anim.gif"}, ShellAction::None, "anim.gif"},
        {{longWord}, ShellAction::None, longWord},
        {{tooLong}, ShellAction::None, tooLong},
        {{"", "x.gif"}, ShellAction::None, "x.gif"},
        {{"/regserver", "x.gif"}, ShellAction::RegisterServer, "x.gif"},
    };
    for (const Case& c : cases) {
        const auto line = ParseCommandLine(c.arguments);
        SCOPED_TRACE(c.arguments.empty() ? std::string("(none)") : c.arguments.front());
        EXPECT_EQ(line.action, c.action);
        EXPECT_EQ(line.fileToOpen, c.file);
    }
}

} // namespace
