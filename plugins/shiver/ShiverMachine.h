#pragma once
// The plug-in as a "machine" for another kind of host: an 8-bit picture of a requested size
// that the effect runs on. No host here gives a machine a window, so a render makes the frames
// and hands them back to the plug-in's clean-up without drawing them.

#include "Grid.h"

#include <memory>

namespace kfm::shiver {

class CShiverMachine {
public:
    // The largest side of the machine's picture.
    static constexpr int kMaxSide = 2048;

    // A machine for a picture of width x height (each side clamped to 1..2048); null when
    // memory runs out. The picture starts black.
    static std::unique_ptr<CShiverMachine> Create(int width, int height);
    virtual ~CShiverMachine() = default;

    const char* Name() const { return "shiver"; }
    // The size asked for, and the picture's (clamped) size.
    int RequestedWidth() const { return requestedWidth_; }
    int RequestedHeight() const { return requestedHeight_; }
    // Grey levels 0..255, one cell per pixel.
    kfm::noise::CGrid& Picture() { return picture_; }
    bool Changed() const { return changed_; }
    void SetChanged(bool changed) { changed_ = changed; }

    // Runs the plug-in's own entry points on the picture as one grey 8-bit frame (palette entry
    // i is (i, i, i), delay 100) with no progress procedure, and gives the result to the
    // plug-in's clean-up. The number of frames the run made (0 when it was cancelled).
    int Render();

private:
    CShiverMachine() = default;

    int requestedWidth_ = 0;
    int requestedHeight_ = 0;
    kfm::noise::CGrid picture_;
    bool changed_ = false;
};

} // namespace kfm::shiver
