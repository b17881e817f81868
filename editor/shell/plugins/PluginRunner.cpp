#include "PluginRunner.h"

#include "EdgeLocks.h"
#include "Kfm5ResourceIds.h"
#include "PluginFrames.h"
#include "PluginLibrary.h"
#include "ProgramState.h"
#include "ShellServices.h"
#include "shell/Process.h"

#include <algorithm>
#include <iterator>
#include <new>
#include <vector>

namespace kfm::plugins {

namespace {

constexpr const char* kErrorCaption = "Error";
constexpr const char* kUnsupportedDepth = "Unsupported bit depth!";

// The two record arrays of one run, with the buffers of every record freed at the end.
class InputRecords {
public:
    explicit InputRecords(std::size_t count) : frames_(count), slots_(count) {}
    ~InputRecords() {
        for (PluginFrame& f : frames_)
            FreePluginFrameBuffers(&f);
        for (PluginFrame& f : slots_)
            FreePluginFrameBuffers(&f);
    }
    InputRecords(const InputRecords&) = delete;
    InputRecords& operator=(const InputRecords&) = delete;

    std::vector<PluginFrame>& frames() { return frames_; }
    std::vector<PluginFrame>& slots() { return slots_; }

private:
    std::vector<PluginFrame> frames_;
    std::vector<PluginFrame> slots_;
};

// The normal cursor while the plug-in's own dialog runs, the wait cursor again afterwards.
class PluginDialogCursor {
public:
    PluginDialogCursor() { ::shell().setWaitCursor(false); }
    ~PluginDialogCursor() { ::shell().setWaitCursor(true); }
    PluginDialogCursor(const PluginDialogCursor&) = delete;
    PluginDialogCursor& operator=(const PluginDialogCursor&) = delete;
};

void showError(const std::string& text) {
    MessageBoxA(nullptr, text.c_str(), kErrorCaption, MB_OK | MB_ICONERROR);
}

// The selected real frames that have a picture, with their indices, in list order.
std::vector<std::pair<int, const CObjFrame*>> selectedFramesWithPicture(const FrameList& frames) {
    std::vector<std::pair<int, const CObjFrame*>> out;
    if (frames.empty())
        return out;
    int index = 0;
    for (auto it = frames.begin(); it != std::prev(frames.end()); ++it, ++index)
        if (it->selected && it->GetImage())
            out.emplace_back(index, &*it);
    return out;
}

// Fills the i-th records from the frame; false when its picture cannot be converted.
bool fillInput(const CObjFrame& frame, int index, PluginFrame& record, PluginFrame& slot) {
    slot.frameIndex = index;
    const ScopedImage copy = MakePluginCopy(frame.GetImage());
    if (!copy.get() || !PackPluginFrame(copy.get(), record))
        return false;
    record.delay = frame.delay;
    record.left = frame.left;
    record.top = frame.top;
    record.disposal = frame.disposal;
    record.frameIndex = index;
    return true;
}

// Puts the returned frames into the animation after position `first`, in order.
void insertResult(const PluginResult& result, int first) {
    if (!result.frames || result.count <= 0)
        return;
    int inserted = 0;
    for (int j = 0; j < result.count; ++j) {
        ReturnedFrame frame = UnpackPluginFrame(result.frames[j]);
        if (frame.status == ReturnedFrame::Status::UnsupportedDepth)
            showError(kUnsupportedDepth);
        if (frame.status != ReturnedFrame::Status::Ok)
            continue;
        InsertReturnedFrame(g_pAnimationData->frames, first + inserted, std::move(frame));
        ++inserted;
    }
}

void refreshViews() {
    g_pAnimationData->UpdateFrameCount();
    ::shell().refreshStripView();
    ::shell().redrawViews(1, 1);
    ::shell().updateAnimationPage();
    ::shell().updateOptimizeState();
}

int runLoaded(const PluginInterface& table) {
    CAnimationData& animation = *g_pAnimationData;
    const auto selected = selectedFramesWithPicture(animation.frames);
    InputRecords records(selected.size());
    for (std::size_t i = 0; i < selected.size(); ++i)
        if (!fillInput(*selected[i].second, selected[i].first, records.frames()[i],
                       records.slots()[i]))
            return 0;

    PluginRunInput input{};
    input.width = animation.AnimationWidth;
    input.height = animation.AnimationHeight;
    input.background = g_Settings.animBkColor;
    input.count = static_cast<std::int32_t>(selected.size());
    input.frames = records.frames().data();
    input.frameSlots = records.slots().data();
    PluginRunContext context{kPluginRunContextSize, 0, PluginProgressCallback};

    PluginResult* result = nullptr;
    {
        const PluginDialogCursor cursor;
        result = table.pfnRunPlugin(&input, &context);
    }
    if (!result)
        return 1;
    const RECT whole{0, 0, animation.AnimationWidth - 1, animation.AnimationHeight - 1};
    if (CheckEdgeLocks(nullptr, &whole))
        insertResult(*result, selected.empty() ? 0 : selected.front().first);
    DeleteEmptyFrames();
    refreshViews();
    if (table.pfnCleanUp)
        table.pfnCleanUp(result);
    return 1;
}

} // namespace

void PluginProgressCallback(int, int current, int total) {
    ProgressSetPosTotal(current, total);
}

int RunPlugin(const std::string& path) {
    if (!g_pAnimationData)
        return 0;
    const ShownProgress progress(kfm5res::IDS_CAPTION_RENDERING);
    std::string reason;
    const HMODULE module = LoadPluginModule(path, &reason);
    if (!module) {
        showError("The plug-in \"" + path + "\" could not be loaded: " + reason);
        return 0;
    }
    PluginInterface table{};
    if (!GetPluginTable(module, table) || !table.pfnRunPlugin)
        return 0;
    PluginInfo info{};
    GetPluginInfo(table, info);
    int result = 0;
    try {
        result = runLoaded(table);
    } catch (const std::bad_alloc&) {
        result = 0;
    }
    PluginProgressCallback(0, 1, 1);
    return result;
}

int CountSelectedFramesWithPicture(const FrameList& frames) {
    return static_cast<int>(selectedFramesWithPicture(frames).size());
}

bool IsPluginCommandEnabled(bool hasDocument, bool hasMainWindow, int selectedWithPicture,
                            int minSelectedFrames, bool previewing) {
    return hasDocument && hasMainWindow && selectedWithPicture >= minSelectedFrames && !previewing;
}

bool IsFilterCommandEnabled(bool hasDocument, bool hasMainWindow, const FrameList& frames,
                            bool previewing) {
    if (!hasDocument || !hasMainWindow || previewing || frames.size() < 2)
        return false;
    if (frames.back().selected)
        return false;
    const auto current = std::find_if(frames.begin(), std::prev(frames.end()),
                                      [](const CObjFrame& f) { return f.current != 0; });
    return current != std::prev(frames.end()) && current->selected && !current->hasVector;
}

} // namespace kfm::plugins
