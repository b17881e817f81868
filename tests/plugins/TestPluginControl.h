#pragma once
// The test plug-in's own export beside the four entry points: KFMTestControl, reached with
// dlsym, chooses what the plug-in describes itself as and what its next run returns, and reads
// back what its last run received. Every copy of the module file is a library of its own (the
// loader tells them apart by file), so each test copies the module and controls its copy.

#include "PluginInterface.h"

#include <cstddef>

// One frame the next run returns: the record as it stands, and how many bytes of its image and
// mask buffers to copy (the palette is copied whole when present). The plug-in copies every
// buffer with its own allocator, so the host's cleanup call frees only the plug-in's memory.
struct TestReturnedFrame {
    PluginFrame record;
    std::size_t imageBytes;
    std::size_t maskBytes;
};

enum class TestRunMode {
    // Null: the user cancelled.
    Cancel,
    // The frames given to setResult.
    Frames,
    // A copy of every input frame, its picture and mask included.
    Identity,
};

struct TestPluginControl {
    // What KFMGetPluginInfo describes (name null: the plug-in lists no name).
    void (*setInfo)(const char* name, const char* category, int minSelectedFrames);
    void (*setMode)(TestRunMode mode);
    // Frames for TestRunMode::Frames (copied; the mode is set too).
    void (*setResult)(const TestReturnedFrame* frames, int count);

    // Runs and cleanup calls so far, and the progress reports of the last run.
    int (*runs)();
    int (*cleanUps)();
    int (*progressReports)();
    // A copy of what the last run received, its buffers included (`frameSlots` copied record by
    // record as they came, buffer pointers untouched); valid until the next run.
    const PluginRunInput* (*received)();
    // The context's size field of the last run.
    int (*contextSize)();
};

using TestPluginControlProc = TestPluginControl* (*)();
constexpr const char* kTestPluginControlName = "KFMTestControl";
