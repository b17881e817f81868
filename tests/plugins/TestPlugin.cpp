// A plug-in for the host's tests: it does what KFMTestControl asks and remembers what it was
// given. Built as several ".kfp" modules; two variants are broken on purpose:
// KFM_TEST_NULL_RUN gives a table without a run entry, KFM_TEST_NULL_NAME describes itself
// without a name.

#include "PluginInterface.h"
#include "TestPluginControl.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Described {
    std::string name = "Test Plug-in";
    bool hasName = true;
    std::string category;
    int minSelectedFrames = 0;
};

struct State {
    Described info;
    TestRunMode mode = TestRunMode::Cancel;
    std::vector<TestReturnedFrame> result;
    int runs = 0;
    int cleanUps = 0;
    int progressReports = 0;
    int contextSize = 0;
    PluginRunInput received{};
    std::vector<PluginFrame> receivedFrames;
    std::vector<PluginFrame> receivedSlots;
    std::vector<std::vector<unsigned char>> receivedBuffers;
};

State& state() {
    static State s;
    return s;
}

std::size_t imageBytesOf(const PluginFrame& f) {
    return f.image.bmBits && f.image.bmHeight > 0
               ? static_cast<std::size_t>(f.image.bmWidthBytes) * f.image.bmHeight
               : 0;
}

std::size_t maskBytesOf(const PluginFrame& f) {
    return f.mask.bmBits && f.mask.bmHeight > 0
               ? static_cast<std::size_t>(f.mask.bmWidthBytes) * f.mask.bmHeight
               : 0;
}

// A copy of `bytes` bytes with this module's allocator; null for null or nothing.
void* mallocCopy(const void* source, std::size_t bytes) {
    if (!source || bytes == 0)
        return nullptr;
    void* copy = std::malloc(bytes);
    if (copy)
        std::memcpy(copy, source, bytes);
    return copy;
}

// A copy kept by the state (for what was received).
void* keptCopy(const void* source, std::size_t bytes) {
    if (!source || bytes == 0)
        return nullptr;
    auto& buffer = state().receivedBuffers.emplace_back(bytes);
    std::memcpy(buffer.data(), source, bytes);
    return buffer.data();
}

void remember(const PluginRunInput& input, const PluginRunContext* context) {
    State& s = state();
    s.receivedBuffers.clear();
    s.receivedFrames.clear();
    s.receivedSlots.clear();
    s.contextSize = context ? context->size : 0;
    s.received = input;
    for (int i = 0; input.frames && i < input.count; ++i) {
        PluginFrame f = input.frames[i];
        f.image.bmBits = keptCopy(f.image.bmBits, imageBytesOf(f));
        f.mask.bmBits = keptCopy(f.mask.bmBits, maskBytesOf(f));
        f.palette = static_cast<PALETTEENTRY*>(keptCopy(f.palette, kPluginPaletteBytes));
        s.receivedFrames.push_back(f);
    }
    for (int i = 0; input.frameSlots && i < input.count; ++i)
        s.receivedSlots.push_back(input.frameSlots[i]);
    s.received.frames = s.receivedFrames.data();
    s.received.frameSlots = s.receivedSlots.data();
}

PluginFrame copiedFrame(const PluginFrame& source, std::size_t imageBytes, std::size_t maskBytes) {
    PluginFrame f = source;
    f.image.bmBits = mallocCopy(source.image.bmBits, imageBytes);
    f.mask.bmBits = mallocCopy(source.mask.bmBits, maskBytes);
    f.palette = static_cast<PALETTEENTRY*>(mallocCopy(source.palette, kPluginPaletteBytes));
    return f;
}

PluginResult* newResult(const std::vector<PluginFrame>& frames) {
    auto* result = static_cast<PluginResult*>(std::calloc(1, sizeof(PluginResult)));
    if (!result)
        return nullptr;
    result->count = static_cast<int>(frames.size());
    if (!frames.empty()) {
        result->frames = static_cast<PluginFrame*>(std::calloc(frames.size(), sizeof(PluginFrame)));
        if (result->frames)
            std::memcpy(result->frames, frames.data(), frames.size() * sizeof(PluginFrame));
    }
    return result;
}

PluginResult* run(const PluginRunInput& input) {
    std::vector<PluginFrame> out;
    switch (state().mode) {
    case TestRunMode::Cancel:
        return nullptr;
    case TestRunMode::Frames:
        for (const TestReturnedFrame& f : state().result)
            out.push_back(copiedFrame(f.record, f.imageBytes, f.maskBytes));
        break;
    case TestRunMode::Identity:
        for (int i = 0; input.frames && i < input.count; ++i) {
            const PluginFrame& f = input.frames[i];
            out.push_back(copiedFrame(f, imageBytesOf(f), maskBytesOf(f)));
        }
        break;
    }
    return newResult(out);
}

// ---- KFMTestControl

void setInfo(const char* name, const char* category, int minSelectedFrames) {
    Described& d = state().info;
    d.hasName = name != nullptr;
    d.name = name ? name : "";
    d.category = category ? category : "";
    d.minSelectedFrames = minSelectedFrames;
}

void setMode(TestRunMode mode) {
    state().mode = mode;
}

void setResult(const TestReturnedFrame* frames, int count) {
    state().result.assign(frames, frames + count);
    state().mode = TestRunMode::Frames;
}

int runs() {
    return state().runs;
}

int cleanUps() {
    return state().cleanUps;
}

int progressReports() {
    return state().progressReports;
}

const PluginRunInput* received() {
    return &state().received;
}

int contextSize() {
    return state().contextSize;
}

TestPluginControl control{setInfo,  setMode,         setResult, runs,
                          cleanUps, progressReports, received,  contextSize};

} // namespace

KFM_PLUGIN_EXPORT int KFM_PLUGIN_CALL KFMGetPluginInterface(PluginInterface* table);
KFM_PLUGIN_EXPORT PluginResult* KFM_PLUGIN_CALL KFMRunPlugin(PluginRunInput* input,
                                                             PluginRunContext* context);
KFM_PLUGIN_EXPORT int KFM_PLUGIN_CALL KFMCleanUp(PluginResult* result);
KFM_PLUGIN_EXPORT int KFM_PLUGIN_CALL KFMGetPluginInfo(PluginInfo* info);
KFM_PLUGIN_EXPORT TestPluginControl* KFMTestControl();

int KFMGetPluginInterface(PluginInterface* table) {
#ifdef KFM_TEST_NULL_RUN
    const PluginRunProc run = nullptr;
#else
    const PluginRunProc run = KFMRunPlugin;
#endif
    return WritePluginInterface(table, KFMGetPluginInterface, run, KFMGetPluginInfo, KFMCleanUp);
}

PluginResult* KFMRunPlugin(PluginRunInput* input, PluginRunContext* context) {
    try {
        if (!input)
            return nullptr;
        ++state().runs;
        state().progressReports = 0;
        remember(*input, context);
        for (int i = 0; i < input->count; ++i)
            if (context && context->progress) {
                context->progress(0, i + 1, input->count);
                ++state().progressReports;
            }
        return run(*input);
    } catch (...) {
        return nullptr;
    }
}

int KFMCleanUp(PluginResult* result) {
    ++state().cleanUps;
    return FreePluginResult(result);
}

int KFMGetPluginInfo(PluginInfo* info) {
    if (!info)
        return 0;
    const Described& d = state().info;
    *info = PluginInfo{};
    info->version = kPluginInfoVersion;
#ifdef KFM_TEST_NULL_NAME
    info->name = nullptr;
#else
    info->name = d.hasName ? d.name.c_str() : nullptr;
#endif
    info->category = d.category.c_str();
    info->author = "KFM5 tests";
    info->minSelectedFrames = d.minSelectedFrames;
    return 1;
}

TestPluginControl* KFMTestControl() {
    return &control;
}
