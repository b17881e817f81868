#pragma once
// Reading and writing one named value of a section of the program's registry key
// "SOFTWARE\KELDO\Keldo Flimmer 5" in the current user's hive.

#include <string>

#include "types/Win32Types.h"

constexpr int kRegistryPathSize = 260;

// Writes the program key, and "\" + subkey when one is given, into out (260 characters).
void MakeRegistryPath(char* out, const char* subkey);
// Creates or opens the program key; null when that fails. The caller closes it.
HKEY OpenRegistryKey();

void WriteRegInt(const char* section, const char* name, int value);
void WriteRegBool(const char* section, const char* name, int value);
void WriteRegString(const char* section, const char* name, const char* text);
// The stored integer, or the default; clamped to [min, max] when min differs from max.
int ReadRegInt(const char* section, const char* name, int defaultValue, int min, int max);
int ReadRegBool(const char* section, const char* name, int defaultValue);
// The stored text (shorter than 256 bytes), or the default.
std::string ReadRegString(const char* section, const char* name, const char* defaultValue);
// Deletes one value; the platform's error code (0 on success).
LONG DeleteRegValue(const char* section, const char* name);
