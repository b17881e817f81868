#include "DesktopRegistration.h"

#include "types/Win32Types.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace fs = std::filesystem;

namespace kfm::shell {

namespace {

constexpr const char* kAddedAssociations = "[Added Associations]";

// One argument of an Exec line: quoted, with the characters the desktop entry format reserves
// escaped inside the quotes, and backslashes doubled once more for the string value.
std::string execArgument(const std::string& path) {
    std::string quoted = "\"";
    for (const char c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += "\\\\";
        if (c == '%')
            quoted += '%';
        quoted += c;
    }
    return quoted + "\"";
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

bool isSectionHeader(const std::string& line) {
    return !line.empty() && line.front() == '[';
}

// The ids of a "type=id1;id2;" line.
std::vector<std::string> idsOf(const std::string& value) {
    std::vector<std::string> ids;
    std::istringstream in(value);
    for (std::string id; std::getline(in, id, ';');)
        if (!id.empty())
            ids.push_back(id);
    return ids;
}

std::string idList(const std::vector<std::string>& ids) {
    std::string value;
    for (const std::string& id : ids)
        value += id + ";";
    return value;
}

bool writeFile(const std::string& path, const std::string& text) {
    std::error_code ec;
    fs::create_directories(fs::path(path).parent_path(), ec);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out.flush());
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

std::string UserDataFolder() {
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && data[0] == '/')
        return fs::path(data).lexically_normal().string();
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "") + "/.local/share";
}

std::string DesktopEntryPath() {
    return UserDataFolder() + "/applications/" + kDesktopEntryName;
}

std::string MimeAppsListPath() {
    return UserDataFolder() + "/applications/mimeapps.list";
}

std::string DesktopEntryText(const std::string& programPath) {
    return std::string("[Desktop Entry]\n"
                       "Type=Application\n"
                       "Name=Keldo Flimmer 5\n"
                       "GenericName=GIF Animation Editor\n"
                       "Comment=Create and edit animated GIF images\n") +
           "Exec=" + execArgument(programPath) + " %f\n" +
           "Terminal=false\n"
           "Categories=Graphics;2DGraphics;RasterGraphics;\n"
           "MimeType=" +
           kGifMimeType + ";\n";
}

std::string WithAssociation(const std::string& listText, const std::string& mimeType,
                            const std::string& desktopId) {
    std::vector<std::string> all = lines(listText);
    const std::string key = mimeType + "=";
    auto section = std::find(all.begin(), all.end(), kAddedAssociations);
    if (section == all.end()) {
        if (!all.empty() && !all.back().empty())
            all.emplace_back();
        all.emplace_back(kAddedAssociations);
        all.push_back(key + desktopId + ";");
        return joined(all);
    }
    for (auto it = section + 1; it != all.end() && !isSectionHeader(*it); ++it) {
        if (it->rfind(key, 0) != 0)
            continue;
        std::vector<std::string> ids = idsOf(it->substr(key.size()));
        ids.erase(std::remove(ids.begin(), ids.end(), desktopId), ids.end());
        ids.insert(ids.begin(), desktopId);
        *it = key + idList(ids);
        return joined(all);
    }
    all.insert(section + 1, key + desktopId + ";");
    return joined(all);
}

std::string WithoutAssociation(const std::string& listText, const std::string& desktopId) {
    std::vector<std::string> out;
    bool inAdded = false;
    for (const std::string& line : lines(listText)) {
        if (isSectionHeader(line))
            inAdded = line == kAddedAssociations;
        const std::size_t equals = line.find('=');
        if (!inAdded || equals == std::string::npos) {
            out.push_back(line);
            continue;
        }
        std::vector<std::string> ids = idsOf(line.substr(equals + 1));
        ids.erase(std::remove(ids.begin(), ids.end(), desktopId), ids.end());
        if (!ids.empty())
            out.push_back(line.substr(0, equals + 1) + idList(ids));
    }
    return joined(out);
}

HRESULT RegisterDesktopEntry(const std::string& programPath) {
    if (!writeFile(DesktopEntryPath(), DesktopEntryText(programPath)))
        return E_FAIL;
    const std::string list = MimeAppsListPath();
    return writeFile(list, WithAssociation(readFile(list), kGifMimeType, kDesktopEntryName))
               ? S_OK
               : E_FAIL;
}

HRESULT UnregisterDesktopEntry() {
    std::error_code ec;
    fs::remove(DesktopEntryPath(), ec);
    HRESULT result = ec ? E_FAIL : S_OK;
    const std::string list = MimeAppsListPath();
    if (fs::exists(list, ec) &&
        !writeFile(list, WithoutAssociation(readFile(list), kDesktopEntryName)))
        result = E_FAIL;
    return result;
}

} // namespace kfm::shell
