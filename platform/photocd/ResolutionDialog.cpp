#include "ResolutionDialog.h"

#include "PhotoCd.h"

#include <cctype>
#include <initializer_list>
#include <mutex>

namespace kfm::photocd {

namespace {

constexpr int kMaxGroupedDigits = 12;

std::mutex hostMutex;
ResolutionDialogHost* installedHost = nullptr;

// Fills the printf-style placeholders of a language-library text with the values in order
// ("%%" is a percent sign). The text is never handed to printf, so a wrong placeholder in a
// translation cannot read what is not there.
std::string format(const std::string& pattern, std::initializer_list<std::string> values) {
    std::string out;
    auto value = values.begin();
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%' || i + 1 == pattern.size()) {
            out += pattern[i];
            continue;
        }
        if (pattern[i + 1] == '%') {
            out += '%';
            ++i;
            continue;
        }
        std::size_t end = i + 1;
        while (end < pattern.size() && !std::isalpha(static_cast<unsigned char>(pattern[end])))
            ++end;
        if (value != values.end())
            out += *value++;
        i = end;
    }
    return out;
}

std::string number(int value) {
    return std::to_string(value);
}

Size shownSize(int resolution, bool portrait) {
    const Size size = landscapeSize(resolution);
    return portrait ? Size{size.height, size.width} : size;
}

// The 8-bit grey rendering takes as much memory as 8-bit colour.
int bitsOf(int depth) {
    return depth == kDepthGrey8 ? 8 : depth;
}

} // namespace

std::string groupDigits(std::int64_t count) {
    std::string digits = std::to_string(count < 0 ? -count : count);
    if (digits.size() > kMaxGroupedDigits)
        digits.erase(0, digits.size() - kMaxGroupedDigits);
    std::string grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            grouped += ' ';
        grouped += digits[i];
    }
    return count < 0 ? "-" + grouped : grouped;
}

ResolutionDialog::ResolutionDialog(ResolutionDialogBlock& block, unsigned availableMask,
                                   ResolutionDialogTexts texts)
    : block_(block), texts_(std::move(texts)) {
    const bool portrait = block_.portrait != 0;
    const Size base = shownSize(kBase, portrait);
    defaultText_ = format(texts_.defaultFormat, {number(base.width), number(base.height)});
    for (int i = 0; i < kResolutionCount; ++i) {
        if (!(availableMask & (1u << i)))
            continue;
        const Size size = shownSize(i, portrait);
        if (i == kBase)
            selected_ = static_cast<int>(entries_.size());
        block_.slots[entries_.size()] = i;
        entries_.push_back(format(texts_.entryFormat, {number(size.width), number(size.height)}));
    }
    showMemory(base.width, base.height, kDepthColour24);
}

void ResolutionDialog::showMemory(int width, int height, int depth) {
    const std::int64_t rowBytes = (std::int64_t{width} * bitsOf(depth) + 31) / 32 * 4;
    memoryText_ = format(texts_.memoryFormat, {groupDigits(rowBytes * height)});
}

void ResolutionDialog::showSelectedMemory() {
    const bool portrait = block_.portrait != 0;
    const Size size = choosing_ && selected_ < static_cast<int>(entries_.size())
                          ? shownSize(block_.slots[selected_], portrait)
                          : shownSize(kBase, portrait);
    showMemory(size.width, size.height, choosing_ ? depth_ : kDepthColour24);
}

void ResolutionDialog::chooseDefault() {
    choosing_ = false;
    showSelectedMemory();
}

void ResolutionDialog::chooseResolution() {
    choosing_ = true;
    showSelectedMemory();
}

void ResolutionDialog::selectEntry(int position) {
    if (!choosing_ || position < 0 || position >= static_cast<int>(entries_.size()))
        return;
    selected_ = position;
    showSelectedMemory();
}

void ResolutionDialog::setDepth(int depth) {
    if (!choosing_ || (depth != kDepthColour24 && depth != kDepthColour8 && depth != kDepthGrey8))
        return;
    depth_ = depth;
    showSelectedMemory();
}

void ResolutionDialog::accept() {
    if (!choosing_ || entries_.empty()) {
        block_.resolution = 1 << kBase;
        block_.depth = kDepthColour24;
        return;
    }
    block_.resolution = 1 << block_.slots[selected_];
    block_.depth = depth_;
}

void setResolutionDialogHost(ResolutionDialogHost* host) {
    const std::lock_guard lock(hostMutex);
    installedHost = host;
}

int runResolutionDialog(HWND owner, ResolutionDialog& dialog) {
    ResolutionDialogHost* host = nullptr;
    {
        const std::lock_guard lock(hostMutex);
        host = installedHost;
    }
    return host ? host->run(owner, dialog) : IDCANCEL;
}

} // namespace kfm::photocd
