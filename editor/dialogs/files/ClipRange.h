#pragma once
// The range of frames the AVI and FLIC import dialogs choose, counted from 1: start .. end, both
// ends taken, never longer than the import limit and never past the clip's last frame; and the
// minutes-and-seconds texts of positions and lengths.

#include <QString>

namespace kfm::dialogs {

class ClipRange {
public:
    // clipFrames and limit are at least 1.
    ClipRange(int clipFrames, int limit);

    // The range start .. start + count - 1; a count below 1 asks for the whole clip.
    void Reset(int start, int count);
    // The start edit: the end moves along when it would lie before the start.
    void SetStart(int start);
    // The count edit: end = start + count - 1, held to the clip and the limit; the start moves
    // down when the end lies before it.
    void SetCount(int count);
    // The set-range buttons: the slider's position becomes the start or the end, keeping
    // start <= end.
    void SetStartAt(int position);
    void SetEndAt(int position);

    int Start() const { return start_; }
    int End() const { return end_; }
    // Frames of the range, both ends counted.
    int Count() const { return end_ - start_ + 1; }
    int ClipFrames() const { return clipFrames_; }
    int Limit() const { return limit_; }

private:
    int clamp(int position) const;
    void holdEndToLimit();

    int clipFrames_;
    int limit_;
    int start_ = 1;
    int end_ = 1;
};

// Whole seconds of frames shown for frameMs milliseconds each (rounded to the nearest second).
int ClipSeconds(double frameMs, int frames);
// "mm:ss" of those seconds.
QString ClipTimeText(double frameMs, int frames);
// The divisor the dialogs offer when the caller has no count yet: clip frames / limit, at least 1.
int DefaultDivisor(int clipFrames, int limit);

} // namespace kfm::dialogs
