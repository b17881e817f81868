#include "resources/LanguageLibrary.h"

#include "registry/Registry.h"
#include "resources/ResourceLibrary.h"
#include "shell/Process.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

HMODULE baseModule = nullptr;

constexpr int kErrorSetupFailed = 2;
constexpr int kErrorNoResources = 7;
constexpr int kErrorNoGuideNoDefault = 8;
constexpr int kErrorLoadFailed = 9;

std::string modulePath(HMODULE module) {
    char buffer[4096];
    return GetModuleFileNameA(module, buffer, sizeof buffer) ? std::string(buffer) : std::string();
}

// A file counts as present when it can be opened.
bool filePresent(const std::string& path) {
    return !path.empty() && access(path.c_str(), R_OK) == 0;
}

// The guide file's first line: at most 255 bytes, up to the first byte below 32.
std::string readGuideLine(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    char buffer[255];
    in.read(buffer, sizeof buffer);
    const std::streamsize n = in.gcount();
    std::string line;
    for (std::streamsize i = 0; i < n; ++i) {
        if (static_cast<unsigned char>(buffer[i]) < 32)
            break;
        line.push_back(buffer[i]);
    }
    return line;
}

std::string readLanguageValue(const std::string& valueName) {
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_CURRENT_USER, kfm::language::kLanguageKey, &key) != ERROR_SUCCESS)
        return {};
    char value[256] = {};
    DWORD size = sizeof value - 1;
    DWORD type = 0;
    const LONG result =
        RegQueryValueExA(key, valueName.c_str(), &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_SZ)
        return {};
    return std::string(value);
}

} // namespace

namespace kfm::language {

std::string baseFolder() {
    const std::string path = modulePath(baseModule);
    if (path.empty())
        return {};
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string errorMessage(int code, const char* detail) {
    switch (code) {
    case kErrorSetupFailed:
        return "Failed to start language setting application!";
    case kErrorNoResources:
        return "Failed to load resources!";
    case kErrorNoGuideNoDefault:
        return "GuideFile and DefaultResources(.dll) are missing!";
    case kErrorLoadFailed: {
        char text[4400];
        std::snprintf(text, sizeof text, "Failed to load resource file: %s", detail ? detail : "");
        return text;
    }
    default:
        return "Unknown error";
    }
}

std::string findGuideFile(const std::string& folder) {
    std::error_code ec;
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder.empty() ? "." : folder, ec)) {
        if (entry.path().extension() == ".lng")
            names.push_back(entry.path().filename().string());
    }
    if (names.empty())
        return {};
    std::sort(names.begin(), names.end());
    return names.front();
}

std::string pathFromLanguageChoice(const std::string& folder, const std::string& guideFile,
                                   const char* baseName) {
    const std::string valueName = readGuideLine(folder + guideFile);
    if (valueName.size() < 10)
        return {};
    const std::string suffix = readLanguageValue(valueName);
    if (suffix.empty())
        return {};
    return folder + baseName + "." + suffix;
}

std::string languageChoice() {
    const std::string folder = baseFolder();
    const std::string guide = findGuideFile(folder);
    if (guide.empty())
        return {};
    const std::string valueName = readGuideLine(folder + guide);
    return valueName.size() < 10 ? std::string() : readLanguageValue(valueName);
}

} // namespace kfm::language

void SetLanguageBaseModule(HMODULE module) {
    baseModule = module;
}

HRESULT LoadLanguageLibrary(const char* baseName, HMODULE* out) {
    using namespace kfm::language;
    if (out)
        *out = nullptr;
    const std::string folder = baseFolder();
    const std::string guide = findGuideFile(folder);
    std::string path;
    if (guide.empty()) {
        path = folder + baseName + ".so";
        if (!filePresent(path))
            ReportLanguageError(kErrorNoGuideNoDefault, 1, nullptr);
    } else {
        path = pathFromLanguageChoice(folder, guide, baseName);
        if (!filePresent(path)) {
            if (RunLanguageSetup(1) != S_OK)
                ReportLanguageError(kErrorSetupFailed, 1, nullptr);
            path = pathFromLanguageChoice(folder, guide, baseName);
            if (!filePresent(path))
                ReportLanguageError(kErrorNoResources, 1, nullptr);
        }
    }
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module)
        ReportLanguageError(kErrorLoadFailed, 1, path.c_str());
    if (out)
        *out = module;
    return S_OK;
}

HRESULT FreeLanguageLibrary(HMODULE module) {
    if (module)
        FreeLibrary(module);
    return S_OK;
}

HRESULT RunLanguageSetup(int silent) {
    const std::string folder = kfm::language::baseFolder();
    if (folder.empty())
        return E_FAIL;
    std::vector<std::string> args;
    if (silent)
        args.push_back("/silent");
    const int code = kfm::shell::runAndWait(folder + kfm::language::kSetupProgram, args);
    return code < 0 ? E_FAIL : S_OK;
}

void ReportLanguageError(int code, int fatal, const char* detail) {
    std::string text = kfm::language::errorMessage(code, detail);
    text += "\nCurrent module:" + modulePath(nullptr);
    char handleText[64];
    std::snprintf(handleText, sizeof handleText, " (HINSTANCE=%i)",
                  static_cast<int>(reinterpret_cast<std::intptr_t>(baseModule)));
    text += "\nBasePath extract from HINSTANCE = " + modulePath(baseModule) + handleText;
    MessageBoxA(nullptr, text.c_str(), nullptr, MB_ICONERROR);
    if (fatal)
        ExitProcess(static_cast<UINT>(-1));
}
