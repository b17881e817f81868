#include "DebugOutput.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace kfm::debug {
namespace {

std::mutex& sinkMutex() {
    static std::mutex mutex;
    return mutex;
}
DebugCapture* activeCapture = nullptr;

} // namespace

DebugCapture::DebugCapture() {
    std::lock_guard lock(sinkMutex());
    previous_ = activeCapture;
    activeCapture = this;
}

DebugCapture::~DebugCapture() {
    std::lock_guard lock(sinkMutex());
    activeCapture = previous_;
}

std::string DebugCapture::text() const {
    std::lock_guard lock(mutex_);
    return text_;
}

void DebugCapture::append(const std::string& text) {
    std::lock_guard lock(mutex_);
    text_ += text;
}

void printf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::vector<char> buffer(length > 0 ? static_cast<size_t>(length) + 1 : 1, '\0');
    if (length > 0)
        std::vsnprintf(buffer.data(), buffer.size(), format, args);
    va_end(args);
    OutputDebugStringA(buffer.data());
}

} // namespace kfm::debug

void OutputDebugStringA(const char* text) {
    if (!text)
        return;
    std::lock_guard lock(kfm::debug::sinkMutex());
    std::fputs(text, stderr);
    if (kfm::debug::activeCapture)
        kfm::debug::activeCapture->append(text);
}
