#pragma once
// Loading the language resource library of a binary: base name plus the language suffix chosen
// in the registry, found beside the binary. Every failure is fatal: a fixed English message and
// the end of the process with exit code -1.

#include <string>

#include "types/Win32Types.h"

// The module whose folder holds the libraries; null (the default) means the running program.
void SetLanguageBaseModule(HMODULE module);

HRESULT LoadLanguageLibrary(const char* baseName, HMODULE* out);
HRESULT FreeLanguageLibrary(HMODULE module);
HRESULT RunLanguageSetup(int silent);
void ReportLanguageError(int code, int fatal, const char* detail);

namespace kfm::language {

// The name of the language-setting program beside the binaries.
constexpr const char* kSetupProgram = "Glossa5";
// The registry key that holds the language choices.
constexpr const char* kLanguageKey = "SOFTWARE\\KELDO\\Language";

// The folder of the base module with a trailing "/"; empty when it cannot be found.
std::string baseFolder();
// The text shown for an error code (without the module lines).
std::string errorMessage(int code, const char* detail);
// The library path the language choice names, or empty when there is no usable choice.
std::string pathFromLanguageChoice(const std::string& folder, const std::string& guideFile,
                                   const char* baseName);
// The first "*.lng" file of the folder (by name), or empty.
std::string findGuideFile(const std::string& folder);
// The user's language choice: the suffix stored for the guide file beside the binaries, or empty
// when there is no guide file or no choice.
std::string languageChoice();

} // namespace kfm::language
