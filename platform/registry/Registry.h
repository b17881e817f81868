#pragma once
// The registry of the current user, kept in an ini file through QSettings. Key paths, value names
// and value types are the system's own ("SOFTWARE\KELDO\Keldo Flimmer 5\Settings" ...).
// Texts are stored as UTF-8 (a byte sequence that is no UTF-8 is stored with U+FFFD in its
// place); texts written by earlier versions, one Latin-1 character per byte, still read back as
// the bytes they were written from.
// The file lives in the user's configuration folder, or in the folder named by the environment
// variable KFM5_REGISTRY_DIR (tests use a temporary folder).

#include <string>

#include "types/Export.h"
#include "types/Win32Types.h"

// Predefined root key of the current user's hive.
inline const HKEY HKEY_CURRENT_USER =
    reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000001));

constexpr LONG ERROR_SUCCESS = 0;
constexpr LONG ERROR_FILE_NOT_FOUND = 2;
constexpr LONG ERROR_INVALID_HANDLE = 6;
constexpr LONG ERROR_MORE_DATA = 234;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_DWORD = 4;

// Opens the subkey of parent, creating it (and its parents) when missing.
extern "C" KFM_PLATFORM_API LONG RegCreateKeyA(HKEY parent, const char* subkey, HKEY* out);
// Opens the subkey of parent; ERROR_FILE_NOT_FOUND when it does not exist.
extern "C" KFM_PLATFORM_API LONG RegOpenKeyA(HKEY parent, const char* subkey, HKEY* out);
extern "C" KFM_PLATFORM_API LONG RegCloseKey(HKEY key);
// Reads a value. With data null only *type and *size are filled; a buffer smaller than the value
// gives ERROR_MORE_DATA. Texts come back with their terminating zero.
extern "C" KFM_PLATFORM_API LONG RegQueryValueExA(HKEY key, const char* name, DWORD* type,
                                                  BYTE* data, DWORD* size);
extern "C" KFM_PLATFORM_API LONG RegSetValueExA(HKEY key, const char* name, DWORD type,
                                                const BYTE* data, DWORD size);
extern "C" KFM_PLATFORM_API LONG RegDeleteValueA(HKEY key, const char* name);

namespace kfm::registry {
// The ini file behind the registry, for tests and diagnostics.
KFM_PLATFORM_API std::string storagePath();
// Points the registry at another folder (tests); an empty text returns to the default.
KFM_PLATFORM_API void setStorageFolder(const std::string& folder);
} // namespace kfm::registry
