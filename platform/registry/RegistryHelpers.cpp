#include "registry/RegistryHelpers.h"

#include "registry/Registry.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kProgramKey = "SOFTWARE\\KELDO\\Keldo Flimmer 5";

// An open registry key that closes itself.
class ScopedKey {
public:
    ScopedKey() = default;
    ~ScopedKey() {
        if (key_)
            RegCloseKey(key_);
    }
    ScopedKey(const ScopedKey&) = delete;
    ScopedKey& operator=(const ScopedKey&) = delete;
    HKEY* out() { return &key_; }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

// Opens (creating when missing) the program key and its section; the section key stays null
// when either cannot be created, so reads give defaults and writes do nothing.
void openSection(const char* section, ScopedKey& program, ScopedKey& sectionKey) {
    *program.out() = OpenRegistryKey();
    if (!program.get())
        return;
    RegCreateKeyA(program.get(), section ? section : "", sectionKey.out());
}

void writeValue(const char* section, const char* name, DWORD type, const BYTE* data, DWORD size) {
    ScopedKey program;
    ScopedKey key;
    openSection(section, program, key);
    if (key.get())
        RegSetValueExA(key.get(), name, type, data, size);
}

} // namespace

void MakeRegistryPath(char* out, const char* subkey) {
    if (!out)
        return;
    if (subkey)
        std::snprintf(out, kRegistryPathSize, "%s\\%s", kProgramKey, subkey);
    else
        std::snprintf(out, kRegistryPathSize, "%s", kProgramKey);
}

HKEY OpenRegistryKey() {
    char path[kRegistryPathSize];
    MakeRegistryPath(path, nullptr);
    HKEY key = nullptr;
    if (RegCreateKeyA(HKEY_CURRENT_USER, path, &key) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

void WriteRegInt(const char* section, const char* name, int value) {
    const DWORD v = static_cast<DWORD>(value);
    writeValue(section, name, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
}

void WriteRegBool(const char* section, const char* name, int value) {
    WriteRegInt(section, name, value);
}

void WriteRegString(const char* section, const char* name, const char* text) {
    const char* t = text ? text : "";
    writeValue(section, name, REG_SZ, reinterpret_cast<const BYTE*>(t),
               static_cast<DWORD>(std::strlen(t) + 1));
}

int ReadRegInt(const char* section, const char* name, int defaultValue, int min, int max) {
    int value = defaultValue;
    {
        ScopedKey program;
        ScopedKey key;
        openSection(section, program, key);
        DWORD stored = 0;
        DWORD size = sizeof stored;
        DWORD type = 0;
        // Only a number counts: a short text stored under the name is no value.
        if (key.get() && RegQueryValueExA(key.get(), name, &type, reinterpret_cast<BYTE*>(&stored),
                                          &size) == ERROR_SUCCESS &&
            type == REG_DWORD && size == sizeof stored)
            value = static_cast<int>(stored);
    }
    if (min != max) {
        if (value < min)
            value = min;
        else if (value > max)
            value = max;
    }
    return value;
}

int ReadRegBool(const char* section, const char* name, int defaultValue) {
    return ReadRegInt(section, name, defaultValue, 0, 0);
}

std::string ReadRegString(const char* section, const char* name, const char* defaultValue) {
    char buffer[256] = {};
    std::snprintf(buffer, sizeof buffer, "%s", defaultValue ? defaultValue : "");
    ScopedKey program;
    ScopedKey key;
    openSection(section, program, key);
    if (key.get()) {
        char stored[256];
        DWORD size = sizeof stored;
        DWORD type = 0;
        if (RegQueryValueExA(key.get(), name, &type, reinterpret_cast<BYTE*>(stored), &size) ==
                ERROR_SUCCESS &&
            type == REG_SZ) {
            // Accept texts stored with or without their terminating zero.
            const size_t n = std::min<size_t>(size, sizeof stored - 1);
            std::memcpy(buffer, stored, n);
            buffer[n] = '\0';
        }
    }
    return std::string(buffer);
}

LONG DeleteRegValue(const char* section, const char* name) {
    char path[kRegistryPathSize];
    std::snprintf(path, sizeof path, "%s\\%s", kProgramKey, section ? section : "");
    HKEY key = nullptr;
    const LONG opened = RegOpenKeyA(HKEY_CURRENT_USER, path, &key);
    if (opened != ERROR_SUCCESS)
        return opened;
    const LONG result = RegDeleteValueA(key, name);
    RegCloseKey(key);
    return result;
}
