#include "FileDialogFilters.h"

#include <sstream>

namespace kfm::shell {

namespace {

std::string trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The description without a trailing "(...)", which the patterns replace.
std::string descriptionOf(const std::string& text) {
    std::string d = trimmed(text);
    if (!d.empty() && d.back() == ')') {
        const std::size_t open = d.rfind('(');
        if (open != std::string::npos)
            d = trimmed(d.substr(0, open));
    }
    return d;
}

} // namespace

std::vector<std::string> ConvertFileFilter(const std::string& filter) {
    std::vector<std::string> parts;
    std::istringstream in(filter);
    for (std::string part; std::getline(in, part, '|');)
        parts.push_back(part);
    std::vector<std::string> out;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        // "||" ends the list.
        if (parts[i].empty())
            break;
        std::string patterns;
        std::istringstream list(parts[i + 1]);
        for (std::string pattern; std::getline(list, pattern, ';');) {
            pattern = trimmed(pattern);
            if (pattern.empty())
                continue;
            if (!patterns.empty())
                patterns += ' ';
            patterns += pattern;
        }
        if (patterns.empty())
            continue;
        out.push_back(descriptionOf(parts[i]) + " (" + patterns + ")");
    }
    return out;
}

std::string DefaultSuffixOf(const std::string& defaultExtension) {
    std::string first = defaultExtension.substr(0, defaultExtension.find_first_of("|;"));
    const std::size_t dot = first.rfind('.');
    if (dot != std::string::npos)
        first = first.substr(dot + 1);
    if (first.find_first_of("*?") != std::string::npos)
        return {};
    return first;
}

} // namespace kfm::shell
