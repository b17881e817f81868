#pragma once
// Modules and resource libraries: loading a shared object by path, the module of a running
// binary, and texts and binary resources looked up by id.

#include <string>

#include "types/Export.h"
#include "types/Win32Types.h"

// Loads a shared object (a resource library or a plug-in); null on failure.
extern "C" KFM_PLATFORM_API HMODULE LoadLibraryA(const char* path);
extern "C" KFM_PLATFORM_API BOOL FreeLibrary(HMODULE module);
// Address of an exported function of a loaded module.
extern "C" KFM_PLATFORM_API void* GetProcAddress(HMODULE module, const char* name);
// Full path of a module's file; a null module names the running program. Returns the length
// copied (without the zero), 0 on failure.
extern "C" KFM_PLATFORM_API DWORD GetModuleFileNameA(HMODULE module, char* buffer, DWORD size);
// Copies the text with the given id into buffer (cut to size - 1 characters, zero-terminated);
// returns its length, 0 when the module has no such text.
extern "C" KFM_PLATFORM_API int LoadStringA(HINSTANCE module, UINT id, char* buffer, int size);

namespace kfm::resources {

// The loader's reason why the calling thread's last LoadLibraryA failed.
KFM_PLATFORM_API std::string lastLoadError();

// The module whose code contains the given address (for a library's own instance). When that
// module exports resource tables itself (a plug-in with its own texts), they are its resources.
KFM_PLATFORM_API HMODULE moduleOfAddress(const void* address);
// A text by id as a string; empty when missing.
KFM_PLATFORM_API std::string loadString(HINSTANCE module, UINT id);
// The Windows code page of the module's texts: what its tables tell, 1252 for tables of the
// first version, for tables that say 0 and for a module without tables.
KFM_PLATFORM_API int codePageOf(HINSTANCE module);
// A binary resource; false when missing.
KFM_PLATFORM_API bool findBinary(HINSTANCE module, UINT type, UINT id, const unsigned char** data,
                                 UINT* size);

} // namespace kfm::resources
