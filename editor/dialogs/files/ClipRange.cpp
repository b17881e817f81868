#include "ClipRange.h"

#include <algorithm>
#include <cmath>

namespace kfm::dialogs {

ClipRange::ClipRange(int clipFrames, int limit)
    : clipFrames_(std::max(clipFrames, 1)), limit_(std::max(limit, 1)) {
    Reset(1, -1);
}

int ClipRange::clamp(int position) const {
    return std::clamp(position, 1, clipFrames_);
}

void ClipRange::holdEndToLimit() {
    end_ = std::min(end_, start_ + limit_ - 1);
}

void ClipRange::Reset(int start, int count) {
    start_ = clamp(start);
    end_ = start_;
    SetCount(count < 1 ? clipFrames_ : count);
}

void ClipRange::SetStart(int start) {
    start_ = clamp(start);
    end_ = std::max(end_, start_);
    holdEndToLimit();
}

void ClipRange::SetCount(int count) {
    const long long wanted = static_cast<long long>(start_) + std::max(count, 1) - 1;
    end_ = static_cast<int>(std::min<long long>(wanted, clipFrames_));
    holdEndToLimit();
    start_ = std::min(start_, end_);
}

void ClipRange::SetStartAt(int position) {
    start_ = clamp(position);
    end_ = std::max(end_, start_);
    holdEndToLimit();
}

void ClipRange::SetEndAt(int position) {
    end_ = clamp(position);
    start_ = std::min(start_, end_);
    start_ = std::max(start_, end_ - limit_ + 1);
}

int ClipSeconds(double frameMs, int frames) {
    return static_cast<int>(std::floor((frameMs * frames + 500.0) / 1000.0));
}

QString ClipTimeText(double frameMs, int frames) {
    const int seconds = ClipSeconds(frameMs, frames);
    return QString::asprintf("%.2d:%.2d", seconds / 60, seconds % 60);
}

int DefaultDivisor(int clipFrames, int limit) {
    return std::max(1, clipFrames / std::max(limit, 1));
}

} // namespace kfm::dialogs
