#pragma once
// Where help comes from: each language library brings a folder of HTML pages beside the program,
// named after the library's file name without its extension ("KFM5Res.help" for "KFM5Res.so").
// The folder holds the contents page "index.html" and "contexts.map", which maps context
// numbers (dialog template ids and command ids) to pages, one "number page" pair a line.

#include <map>
#include <string>

namespace kfm::shell {

constexpr const char* kHelpContentsPage = "index.html";
constexpr const char* kHelpContextMap = "contexts.map";

// The help folder (with a trailing "/") for the program and language library paths.
std::string HelpFolder(const std::string& programPath, const std::string& languageLibraryPath);

// Reads the map's text; lines that are not a number and a page name are skipped ("#" starts a
// comment).
std::map<unsigned, std::string> ParseHelpContextMap(const std::string& text);

// The page of a context: its mapped page, or the contents page when it has none.
std::string HelpPageFor(const std::map<unsigned, std::string>& map, unsigned context);

} // namespace kfm::shell
