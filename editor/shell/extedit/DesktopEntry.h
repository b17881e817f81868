#pragma once
// Finding the outside programs through the desktop's own choices: the program that opens
// ".bmp" pictures (the bitmap editor) and the web browsers. The desktop names a desktop entry
// ("xdg-mime query default image/bmp", "xdg-settings get default-web-browser"); its Exec line,
// without the field codes the desktop would fill in, becomes a command line that
// splitCommandLine reads back into the program and its arguments.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kfm::extedit {

// The value of the key "Exec" in the group "Desktop Entry" of an entry's text, with the
// entry's escapes (\s \n \t \r \\) resolved; nullopt when there is none.
std::optional<std::string> DesktopEntryExec(std::string_view entryText);
// An Exec value split into its arguments by the entry's quoting rules, without field codes (an
// argument that is only a field code goes; "%%" is a "%"); nullopt when the quoting is broken
// or nothing is left.
std::optional<std::vector<std::string>> ExecArguments(std::string_view exec);
// The arguments as one command line: an argument with blanks (or an empty one) in double
// quotes. Empty when an argument holds a double quote, which the command line cannot carry.
std::string JoinCommandLine(const std::vector<std::string>& arguments);
// The three together: an entry's text to its command line (empty when unusable).
std::string CommandLineFromDesktopEntry(std::string_view entryText);

// Runs a desktop tool and returns its first output line (empty when it cannot run or fails).
using ToolRunner =
    std::function<std::string(const std::string& program, const std::vector<std::string>& args)>;
// Runs the tool through QProcess.
std::string RunDesktopTool(const std::string& program, const std::vector<std::string>& args);

// The path of a desktop entry by its id in the XDG data folders' "applications" (a "-" in the
// id may stand for a sub-folder); empty when none.
std::string FindDesktopEntry(const std::string& desktopId);
// The command line of the entry the tool names; empty when the tool names none or the entry is
// missing or unusable.
std::string DefaultApplicationCommand(const ToolRunner& run, const std::string& program,
                                      const std::vector<std::string>& args);

// The command line of the desktop's program for "image/bmp" (empty when there is none).
std::string DetectBitmapEditor(const ToolRunner& run);
// The desktop's default web browser and a second browser found on PATH, as command lines
// (empty when there are none). Neither detection touches the settings.
std::pair<std::string, std::string> DetectBrowsers(const ToolRunner& run);

// When "EditorPath" is empty: the command line of the desktop's program for "image/bmp" (stays
// empty when there is none). A stored path is never looked up.
void FindBitmapEditor(const ToolRunner& run = RunDesktopTool);
// When "BrowserPathAutoDetect" is set: the desktop's default web browser and a second browser
// found on PATH become "BrowserPathIE" and "BrowserPathNN" (empty when there are none).
void FindBrowsers(const ToolRunner& run = RunDesktopTool);

// The program of a stored command line and its arguments: a line that names an existing file as
// a whole is that program (a path with blanks needs no quotes), else the line is split.
std::vector<std::string> ProgramAndArguments(const std::string& commandLine);

} // namespace kfm::extedit
