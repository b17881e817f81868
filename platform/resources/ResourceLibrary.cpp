#include "ResourceLibrary.h"

#include "ResourceTable.h"

#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

namespace {

// The object behind an HMODULE: a dlopen handle (or none for a module found by address) and
// the resource tables it exports, if any.
struct Module {
    void* handle = nullptr;
    bool owned = false;
    std::string path;
    const KfmResourceTables* tables = nullptr;
};

Module* asModule(HMODULE module) {
    return reinterpret_cast<Module*>(module);
}

const KfmResourceTables* tablesOf(void* handle) {
    if (!handle)
        return nullptr;
    auto proc = reinterpret_cast<KfmGetResourceTablesProc>(dlsym(handle, kKfmResourceTablesSymbol));
    if (!proc)
        return nullptr;
    const KfmResourceTables* tables = proc();
    if (!tables)
        return nullptr;
    const bool known = tables->version == kKfmResourceTablesVersion1 ||
                       tables->version == kKfmResourceTablesVersion;
    return known ? tables : nullptr;
}

// The tables a module of the running process exports itself (a plug-in carrying its own texts),
// looked up in that module alone: dlsym on a handle also searches the module's dependencies.
const KfmResourceTables* ownTablesOf(const std::string& path, const void* base) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!handle)
        return nullptr;
    const KfmResourceTables* tables = nullptr;
    if (void* proc = dlsym(handle, kKfmResourceTablesSymbol)) {
        Dl_info info{};
        if (dladdr(proc, &info) && info.dli_fbase == base)
            tables = tablesOf(handle);
    }
    // The module stays loaded by whoever loaded it; the tables are its static data.
    dlclose(handle);
    return tables;
}

std::string programPath() {
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
}

const KfmStringResource* findString(const KfmResourceTables* tables, UINT id) {
    if (!tables)
        return nullptr;
    for (std::uint32_t i = 0; i < tables->stringCount; ++i)
        if (tables->strings[i].id == id)
            return &tables->strings[i];
    return nullptr;
}

// Why the calling thread's last LoadLibraryA failed.
thread_local std::string lastLoadFailure;

// Modules made for addresses live as long as the process; one per file.
std::mutex& addressModulesMutex() {
    static std::mutex mutex;
    return mutex;
}

} // namespace

HMODULE LoadLibraryA(const char* path) {
    if (!path || !*path) {
        lastLoadFailure = "no file name";
        return nullptr;
    }
    void* handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* reason = dlerror();
        lastLoadFailure = reason ? reason : "unknown reason";
        return nullptr;
    }
    auto module = std::unique_ptr<Module>(new (std::nothrow) Module);
    if (!module) {
        dlclose(handle);
        return nullptr;
    }
    module->handle = handle;
    module->owned = true;
    module->path = path;
    module->tables = tablesOf(handle);
    return reinterpret_cast<HMODULE>(module.release());
}

BOOL FreeLibrary(HMODULE module) {
    Module* m = asModule(module);
    if (!m || !m->owned)
        return FALSE;
    dlclose(m->handle);
    delete m;
    return TRUE;
}

void* GetProcAddress(HMODULE module, const char* name) {
    Module* m = asModule(module);
    if (!m || !m->handle || !name)
        return nullptr;
    return dlsym(m->handle, name);
}

DWORD GetModuleFileNameA(HMODULE module, char* buffer, DWORD size) {
    if (!buffer || size == 0)
        return 0;
    const std::string path = module ? asModule(module)->path : programPath();
    if (path.empty())
        return 0;
    const size_t n = std::min<size_t>(path.size(), size - 1);
    std::memcpy(buffer, path.data(), n);
    buffer[n] = '\0';
    return static_cast<DWORD>(n);
}

int LoadStringA(HINSTANCE module, UINT id, char* buffer, int size) {
    if (!buffer || size <= 0)
        return 0;
    buffer[0] = '\0';
    Module* m = asModule(module);
    const KfmStringResource* entry = m ? findString(m->tables, id) : nullptr;
    if (!entry || !entry->text)
        return 0;
    const size_t n = std::min<size_t>(std::strlen(entry->text), static_cast<size_t>(size - 1));
    std::memcpy(buffer, entry->text, n);
    buffer[n] = '\0';
    return static_cast<int>(n);
}

namespace kfm::resources {

std::string lastLoadError() {
    return lastLoadFailure;
}

HMODULE moduleOfAddress(const void* address) {
    Dl_info info{};
    if (!dladdr(address, &info) || !info.dli_fname)
        return nullptr;
    char resolved[PATH_MAX];
    const std::string path = realpath(info.dli_fname, resolved) ? resolved : info.dli_fname;
    std::lock_guard lock(addressModulesMutex());
    static std::vector<std::unique_ptr<Module>> modules;
    for (const auto& m : modules)
        if (m->path == path)
            return reinterpret_cast<HMODULE>(m.get());
    auto module = std::make_unique<Module>();
    module->path = path;
    module->tables = ownTablesOf(info.dli_fname, info.dli_fbase);
    modules.push_back(std::move(module));
    return reinterpret_cast<HMODULE>(modules.back().get());
}

std::string loadString(HINSTANCE module, UINT id) {
    Module* m = asModule(module);
    const KfmStringResource* entry = m ? findString(m->tables, id) : nullptr;
    return entry && entry->text ? std::string(entry->text) : std::string();
}

int codePageOf(HINSTANCE module) {
    Module* m = asModule(module);
    if (!m || !m->tables || m->tables->version == kKfmResourceTablesVersion1 ||
        m->tables->codePage == 0)
        return kKfmDefaultResourceCodePage;
    return static_cast<int>(m->tables->codePage);
}

bool findBinary(HINSTANCE module, UINT type, UINT id, const unsigned char** data, UINT* size) {
    Module* m = asModule(module);
    if (!m || !m->tables)
        return false;
    for (std::uint32_t i = 0; i < m->tables->binaryCount; ++i) {
        const KfmBinaryResource& r = m->tables->binaries[i];
        if (r.type == type && r.id == id) {
            if (data)
                *data = r.data;
            if (size)
                *size = r.size;
            return true;
        }
    }
    return false;
}

} // namespace kfm::resources
