#pragma once
// The debug-output sink: texts go to stderr, and a test can capture them.

#include <functional>
#include <mutex>
#include <string>

#include "types/Export.h"

extern "C" KFM_PLATFORM_API void OutputDebugStringA(const char* text);

namespace kfm::debug {

// Formats like printf and writes the result to the sink.
KFM_PLATFORM_API __attribute__((format(printf, 1, 2))) void printf(const char* format, ...);

// While alive, every text written to the sink is also appended to this capture (all threads).
class KFM_PLATFORM_API DebugCapture {
public:
    DebugCapture();
    ~DebugCapture();
    DebugCapture(const DebugCapture&) = delete;
    DebugCapture& operator=(const DebugCapture&) = delete;

    std::string text() const;
    void append(const std::string& text);

private:
    mutable std::mutex mutex_;
    std::string text_;
    DebugCapture* previous_;
};

} // namespace kfm::debug
