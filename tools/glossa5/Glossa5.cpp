// Stand-in for the language-setting program. With "/silent" it chooses a language without
// asking: the suffix in the environment variable GLOSSA5_LANGUAGE, or else the suffix of the
// first language variant of a resource library beside it ("KFM5Res.<suffix>" or
// "Bitra5Res.<suffix>"). It writes the suffix to the registry value named by the guide file.

#include "registry/Registry.h"
#include "resources/LanguageLibrary.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string programFolder(const char* argv0) {
    std::error_code ec;
    const fs::path self = fs::canonical("/proc/self/exe", ec);
    return (ec ? fs::path(argv0).parent_path() : self.parent_path()).string() + "/";
}

std::string guideValueName(const std::string& folder) {
    const std::string guide = kfm::language::findGuideFile(folder);
    if (guide.empty())
        return {};
    std::ifstream in(folder + guide, std::ios::binary);
    std::string line;
    char c = 0;
    while (line.size() < 255 && in.get(c) && static_cast<unsigned char>(c) >= 32)
        line.push_back(c);
    return line;
}

std::string chooseSuffix(const std::string& folder) {
    if (const char* env = std::getenv("GLOSSA5_LANGUAGE"); env && *env)
        return env;
    std::vector<std::string> suffixes;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        const std::string stem = entry.path().stem().string();
        const std::string ext = entry.path().extension().string();
        if ((stem == "KFM5Res" || stem == "Bitra5Res") && ext.size() > 1 && ext != ".so")
            suffixes.push_back(ext.substr(1));
    }
    std::sort(suffixes.begin(), suffixes.end());
    return suffixes.empty() ? std::string() : suffixes.front();
}

} // namespace

int main(int argc, char** argv) {
    const bool silent = argc > 1 && std::string(argv[1]) == "/silent";
    const std::string folder = programFolder(argv[0]);
    const std::string valueName = guideValueName(folder);
    const std::string suffix = chooseSuffix(folder);
    if (valueName.empty() || suffix.empty()) {
        if (!silent)
            std::fprintf(stderr, "Glossa5: no language to choose\n");
        return 1;
    }
    HKEY key = nullptr;
    if (RegCreateKeyA(HKEY_CURRENT_USER, kfm::language::kLanguageKey, &key) != ERROR_SUCCESS)
        return 1;
    RegSetValueExA(key, valueName.c_str(), REG_SZ, reinterpret_cast<const BYTE*>(suffix.c_str()),
                   static_cast<DWORD>(suffix.size() + 1));
    RegCloseKey(key);
    return 0;
}
