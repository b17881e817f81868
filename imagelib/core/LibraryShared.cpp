#include "LibraryShared.h"

namespace {

struct SharedState {
    HINSTANCE resourceInstance = nullptr;
    bool errorSlotAllocated = false;
};

// Both live until the library's unload: images freed during shutdown still reach them.
SharedState& state() {
    static auto* s = new SharedState;
    return *s;
}

struct BreakTable {
    std::recursive_mutex mutex;
    std::int16_t slots[kpx::kBreakTableSize] = {};
};

BreakTable& breakTableState() {
    static auto* t = new BreakTable;
    return *t;
}

thread_local int threadErrorCode = 0;

} // namespace

namespace kpx {

HINSTANCE resourceInstance() {
    return state().resourceInstance;
}
void setResourceInstance(HINSTANCE instance) {
    state().resourceInstance = instance;
}

void setErrorSlotAllocated(bool allocated) {
    state().errorSlotAllocated = allocated;
}

void setLastError(int code) {
    if (state().errorSlotAllocated)
        threadErrorCode = code;
}

int lastError() {
    return state().errorSlotAllocated ? threadErrorCode : -1;
}

std::recursive_mutex& breakTableMutex() {
    return breakTableState().mutex;
}
std::int16_t* breakTable() {
    return breakTableState().slots;
}

void clearBreakTable() {
    std::lock_guard lock(breakTableMutex());
    for (std::int16_t& slot : breakTableState().slots)
        slot = 0;
}

void clearBreakTableSlots(std::int16_t image) {
    std::lock_guard lock(breakTableMutex());
    for (std::int16_t& slot : breakTableState().slots)
        if (slot == image)
            slot = 0;
}

} // namespace kpx
