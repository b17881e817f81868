#include "HelpContexts.h"

#include <filesystem>
#include <sstream>

namespace kfm::shell {

std::string HelpFolder(const std::string& programPath, const std::string& languageLibraryPath) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::path(programPath).parent_path();
    const std::string stem = fs::path(languageLibraryPath).stem().string();
    std::string out = (folder / (stem + ".help")).string();
    out += '/';
    return out;
}

std::map<unsigned, std::string> ParseHelpContextMap(const std::string& text) {
    std::map<unsigned, std::string> map;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (const auto hash = line.find('#'); hash != std::string::npos)
            line.erase(hash);
        std::istringstream fields(line);
        long long number = -1;
        std::string page;
        std::string extra;
        if (!(fields >> number >> page) || fields >> extra || number < 0 || number > 0xffff ||
            page.find("..") != std::string::npos || page.find('/') != std::string::npos)
            continue;
        map[static_cast<unsigned>(number)] = page;
    }
    return map;
}

std::string HelpPageFor(const std::map<unsigned, std::string>& map, unsigned context) {
    const auto it = map.find(context & 0xffff);
    return it == map.end() ? kHelpContentsPage : it->second;
}

} // namespace kfm::shell
