#pragma once
// The distortion effect's computation, without widgets: the run object that holds the first
// selected frame as grids, the displacement fields, the key-frame sequence that blends them, the
// output frames and their difference masks, and the preview pictures.
//
// Every output pixel is taken from the source frame at a position displaced by a horizontal and
// a vertical field. The fields change from key frame to key frame and each frame blends the two
// keys around it; the last key reuses the first, so the sequence loops. The same settings always
// give the same frames.

#include "Grid.h"
#include "PluginInterface.h"

#include <QImage>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace kfm::shiver {

using kfm::noise::CGrid;

// What the dialog sets; the defaults are the dialog's.
struct ShiverSettings {
    int duration = 100; // the whole sequence in 1/100 s, 10..100000
    int frameCount = 8; // N, 1..200
    int keyCount = 2;   // K, 1..200
    int sequence = 1;   // the seed s, 1..32767
    int type = 5;       // the displacement type 0..8; others give no displacement
    bool firstUndeformed = false;
    int horizontalMin = -100;
    int horizontalMax = 100;
    int verticalMin = -25;
    int verticalMax = 25;
    bool differencesOnly = false;
};

// The ranges of the dialog's fields.
struct SettingRange {
    int min;
    int max;
};
inline constexpr SettingRange kDurationRange{10, 100000};
inline constexpr SettingRange kFrameCountRange{1, 200};
inline constexpr SettingRange kKeyCountRange{1, 200};
inline constexpr SettingRange kSequenceRange{1, 32767};
inline constexpr SettingRange kShiftRange{-1000, 1000};
inline constexpr int kTypeCount = 9;
// The most preview pictures a dialog keeps.
inline constexpr int kMaxPreviewPictures = 256;

// The delay of each output frame: the duration over the frame count (integer division).
int FrameDelay(const ShiverSettings& settings);

// The first selected frame of a run, as the effect computes on it.
class CShiverRun {
public:
    // Null when the input has no frame (count below 1, no records), its first frame cannot be
    // read (no pixels or palette, a side below 1, rows shorter than the width) or memory runs
    // out. A mask of 8 bits and the frame's own size comes along; any other mask is ignored.
    static std::unique_ptr<CShiverRun> create(const PluginRunInput* input);

    int width() const { return width_; }
    int height() const { return height_; }
    // Colours 0x00BBGGRR of the palette entries, the transparent index as white (the preview).
    const CGrid& colours() const { return colours_; }
    // The raw palette indices (the output).
    const CGrid& indices() const { return indices_; }
    // The source's transparency, 255 fully transparent, row by row; empty without a mask.
    const std::vector<std::uint8_t>& mask() const { return mask_; }
    bool hasMask() const { return !mask_.empty(); }
    const std::array<PALETTEENTRY, 256>& palette() const { return palette_; }
    int transparentIndex() const { return transparentIndex_; }
    int left() const { return left_; }
    int top() const { return top_; }

private:
    CShiverRun() = default;

    CGrid colours_;
    CGrid indices_;
    std::vector<std::uint8_t> mask_;
    std::array<PALETTEENTRY, 256> palette_{};
    int transparentIndex_ = -1;
    int width_ = 0;
    int height_ = 0;
    int left_ = 0;
    int top_ = 0;
};

// Fills the grid with the displacement field of the type for the seed over the grid's size:
// 0 and 1 cellular noise (nearest and fourth nearest point, wrapped), 2..6 two octaves of
// gradient noise at frequency 0x10000 << (type - 2), 7 one octave at 0x200000, 8 two octaves of
// absolute signed noise; every other type gives zeros. The field is then made zero-mean (the
// integer average of the rows' integer averages is subtracted) and each cell taken modulo 255
// (the sign of the cell kept), the form in which the frames read it. Reseeds the generator.
void MakeShiverField(CGrid& field, int type, int seed);

// The key frames of one sequence over a picture of width x height: the fields and amplitudes of
// the key before and the key after the current frame, and the blend position between them.
class CShiverKeys {
public:
    // Makes key 0 and draws the random table (2·N + 2 numbers: key changes may draw two more
    // than 2·N). Null when memory runs out.
    static std::unique_ptr<CShiverKeys> create(const ShiverSettings& settings, int width,
                                               int height);

    // Moves on to the next frame: the blend position grows by K / N, and when it passes 1 the
    // next key is made (at most once a frame). Kept as an exact fraction of N, so K key
    // changes over N frames close the loop exactly.
    void advance();

    // The source positions of row y: x + dx and y + dy for each column, clamped to a source of
    // sourceWidth x sourceHeight.
    void sourceRow(int y, int sourceWidth, int sourceHeight, std::int32_t* xs,
                   std::int32_t* ys) const;

    // The blend position h (0 the key before, 1 the key after).
    double blend() const { return static_cast<double>(blendNumerator_) / frameCount_; }
    // The keys made so far, key 0 included.
    int keysMade() const { return keyIndex_ + 1; }

private:
    struct Key {
        CGrid horizontal;
        CGrid vertical;
        float ax = 0;
        float ay = 0;
    };
    CShiverKeys() = default;
    bool makeFields(Key& key, int seed) const;
    float amplitude(int min, int max, bool firstKey);

    ShiverSettings settings_;
    int width_ = 0;
    int height_ = 0;
    int frameCount_ = 1;
    Key from_;
    Key to_;
    std::vector<int> randoms_;
    std::size_t nextRandom_ = 0;
    int seed_ = 1;
    int keyIndex_ = 0;
    float firstAx_ = 0;
    float firstAy_ = 0;
    // h = blendNumerator_ / N.
    long long blendNumerator_ = 0;
};

// What a generation reports to and asks of its caller.
struct ShiverHooks {
    // Step j of N before each frame (may be null).
    PluginProgressProc progress = nullptr;
    // Runs before every third frame (j mod 3 = 0): lets the window system deliver what waits.
    std::function<void()> pump;
    // Set (by Esc, or by the dialog's OK or Cancel) to end the generation with no result.
    const std::atomic<bool>* cancel = nullptr;
};

// The N output frames: 8 bits, the source's size, position, palette and transparent index, a
// delay of duration / N and disposal 3; with a source mask an 8-bit mask (255 opaque) from the
// source mask at each source position, and pixels the mask hides cleared to 0. With
// differencesOnly each frame's mask is then its difference mask and its disposal 1. Null when
// cancelled or when memory runs out (what was built is freed). Free with FreePluginResult.
PluginResult* MakeFrames(const CShiverRun& run, const ShiverSettings& settings,
                         const ShiverHooks& hooks = {});

// One output frame at the keys' current position: the source's index at each displaced
// position and, with a source mask, its complement as the frame's mask (hidden pixels 0). xs and
// ys hold a row of the source's width each.
void DistortFrame(const CShiverKeys& keys, const CShiverRun& run, PluginFrame& frame,
                  std::int32_t* xs, std::int32_t* ys);

// Replaces each frame's mask by 255 where its pixel differs from the picture before it (the
// source's indices before the first frame) and 0 where it is equal, and gives it disposal 1
// ("do not dispose"), so the frames drawn over each other show the full pictures. A pixel the
// frame's own mask hides stays hidden (0) and leaves the picture before it as it was. False
// when memory runs out (the masks made so far stay).
bool MarkChangedPixels(PluginResult& result, const CShiverRun& run);

// The preview pictures: the first min(N, 256) frames over the top-left previewWidth x
// previewHeight of the source (limited to its size) with fields made at that size, in colours,
// masked pixels blended with white, and the counter "%.2d/%.2d" (frame, N) at (5, height - 15).
// frameDone(j) runs after picture j. Empty when cancelled or when memory runs out.
std::vector<QImage> MakePreviewPictures(const CShiverRun& run, const ShiverSettings& settings,
                                        int previewWidth, int previewHeight,
                                        const std::atomic<bool>* cancel,
                                        const std::function<void(int)>& frameDone = {});

} // namespace kfm::shiver
