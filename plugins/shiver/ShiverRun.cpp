#include "ShiverRun.h"

#include "CellularNoise.h"
#include "GradientNoise.h"
#include "Random.h"

#include <QPainter>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace kfm::shiver {

namespace {

using kfm::noise::CellCoefficients;
using kfm::noise::CellWrap;
using kfm::noise::NoiseFlags;
using kfm::noise::NoiseForm;
using kfm::noise::NoiseTables;

// Whether a working set of this many bytes may be taken: at most half the machine's memory, so
// that a frame at the image library's largest size is refused with a null result instead of
// being killed for memory it was promised but does not get.
bool affordable(unsigned long long bytes) {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || pageSize <= 0)
        return true;
    return bytes <=
           static_cast<unsigned long long>(pages) * static_cast<unsigned long long>(pageSize) / 2;
}

unsigned long long pixelCount(int width, int height) {
    return static_cast<unsigned long long>(width) * static_cast<unsigned long long>(height);
}

int rowBytesOf(const BITMAP& bitmap, int bits) {
    const long long computed = (static_cast<long long>(bitmap.bmWidth) * bits + 31) / 32 * 4;
    return bitmap.bmWidthBytes > 0 ? bitmap.bmWidthBytes : static_cast<int>(computed);
}

std::uint8_t* rowOf(const BITMAP& bitmap, int rowBytes, int y) {
    return static_cast<std::uint8_t*>(bitmap.bmBits) + static_cast<std::ptrdiff_t>(rowBytes) * y;
}

std::uint32_t colourOf(const PALETTEENTRY& entry) {
    return static_cast<std::uint32_t>(entry.peRed) |
           (static_cast<std::uint32_t>(entry.peGreen) << 8) |
           (static_cast<std::uint32_t>(entry.peBlue) << 16);
}

// The one set of noise tables of the plug-in; every field rebuilds them.
NoiseTables& fieldTables() {
    static NoiseTables tables;
    return tables;
}

// An 8-bit mask buffer of the frame's size in the record (the old one freed); false when memory
// runs out.
bool allocateMask8(PluginFrame& frame) {
    std::free(frame.mask.bmBits);
    frame.mask.bmBits = nullptr;
    const int width = frame.image.bmWidth;
    const int height = frame.image.bmHeight;
    const long long row = (static_cast<long long>(width) * 8 + 31) / 32 * 4;
    frame.mask.bmType = 0;
    frame.mask.bmWidth = width;
    frame.mask.bmHeight = height;
    frame.mask.bmWidthBytes = static_cast<LONG>(row);
    frame.mask.bmPlanes = 1;
    frame.mask.bmBitsPixel = 8;
    frame.mask.bmBits =
        std::malloc(static_cast<std::size_t>(row) * static_cast<std::size_t>(height));
    return frame.mask.bmBits != nullptr;
}

PluginResult* newResult(int count) {
    auto* result = static_cast<PluginResult*>(std::calloc(1, sizeof(PluginResult)));
    if (!result)
        return nullptr;
    result->frames = static_cast<PluginFrame*>(
        std::calloc(static_cast<std::size_t>(count), sizeof(PluginFrame)));
    if (!result->frames) {
        std::free(result);
        return nullptr;
    }
    result->count = count;
    return result;
}

// Frees a result being built on every road out unless released.
struct ResultGuard {
    PluginResult* result;
    ~ResultGuard() { FreePluginResult(result); }
    PluginResult* release() { return std::exchange(result, nullptr); }
};

bool cancelled(const std::atomic<bool>* cancel) {
    return cancel && cancel->load();
}

} // namespace

int FrameDelay(const ShiverSettings& settings) {
    return settings.duration / std::max(1, settings.frameCount);
}

std::unique_ptr<CShiverRun> CShiverRun::create(const PluginRunInput* input) {
    if (!input || input->count < 1 || !input->frames)
        return nullptr;
    const PluginFrame& frame = input->frames[0];
    const int width = frame.image.bmWidth;
    const int height = frame.image.bmHeight;
    if (!frame.image.bmBits || !frame.palette || frame.image.bmBitsPixel != 8 || width < 1 ||
        height < 1)
        return nullptr;
    const int rowBytes = rowBytesOf(frame.image, 8);
    if (rowBytes < width)
        return nullptr;
    if (!affordable(pixelCount(width, height) * 9))
        return nullptr;

    std::unique_ptr<CShiverRun> run(new (std::nothrow) CShiverRun);
    if (!run)
        return nullptr;
    auto colours = CGrid::create(width, height);
    auto indices = CGrid::create(width, height);
    if (!colours || !indices)
        return nullptr;
    run->colours_ = std::move(*colours);
    run->indices_ = std::move(*indices);
    run->width_ = width;
    run->height_ = height;
    run->left_ = frame.left;
    run->top_ = frame.top;
    run->transparentIndex_ = frame.transparentIndex;
    std::memcpy(run->palette_.data(), frame.palette, kPluginPaletteBytes);

    for (int y = 0; y < height; ++y) {
        const std::uint8_t* source = rowOf(frame.image, rowBytes, y);
        std::int32_t* colourRow = run->colours_.row(y);
        std::int32_t* indexRow = run->indices_.row(y);
        for (int x = 0; x < width; ++x) {
            const int index = source[x];
            indexRow[x] = index;
            colourRow[x] = index == frame.transparentIndex
                               ? 0xFFFFFF
                               : static_cast<std::int32_t>(colourOf(frame.palette[index]));
        }
    }

    const BITMAP& mask = frame.mask;
    if (mask.bmBits && mask.bmBitsPixel == 8 && mask.bmWidth == width && mask.bmHeight == height &&
        rowBytesOf(mask, 8) >= width) {
        try {
            run->mask_.resize(pixelCount(width, height));
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
        const int maskRow = rowBytesOf(mask, 8);
        for (int y = 0; y < height; ++y)
            std::memcpy(run->mask_.data() + pixelCount(width, y), rowOf(mask, maskRow, y),
                        static_cast<std::size_t>(width));
    }
    return run;
}

void MakeShiverField(CGrid& field, int type, int seed) {
    const int width = field.width();
    const int height = field.height();
    if (field.isUniform() || width < 1 || height < 1)
        return;
    NoiseFlags perlin;
    perlin.normalise = true;
    perlin.weighting = true;
    NoiseFlags absolute = perlin;
    absolute.signedValues = true;
    absolute.absolute = true;
    switch (type) {
    case 0:
        kfm::noise::CellularNoise(field, NoiseForm::Distortion, seed,
                                  CellCoefficients{1.0, 0, 0, 0}, CellWrap::On);
        break;
    case 1:
        kfm::noise::CellularNoise(field, NoiseForm::Distortion, seed,
                                  CellCoefficients{0, 0, 0, 1.0}, CellWrap::On);
        break;
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
        kfm::noise::OctaveNoiseAt(fieldTables(), field, NoiseForm::Distortion, seed, width, height,
                                  0x10000 << (type - 2), 2, perlin);
        break;
    case 7:
        kfm::noise::OctaveNoiseAt(fieldTables(), field, NoiseForm::Distortion, seed, width, height,
                                  0x200000, 1, perlin);
        break;
    case 8:
        kfm::noise::OctaveNoiseAt(fieldTables(), field, NoiseForm::Distortion, seed, width, height,
                                  0x10000, 2, absolute);
        break;
    default:
        field.fill(0);
        return;
    }
    // Zero-mean: the integer average of the rows' integer averages.
    long long total = 0;
    for (int y = 0; y < height; ++y) {
        const std::int32_t* row = field.row(y);
        long long sum = 0;
        for (int x = 0; x < width; ++x)
            sum += row[x];
        total += sum / width;
    }
    const auto mean = static_cast<std::int32_t>(total / height);
    for (int y = 0; y < height; ++y) {
        std::int32_t* row = field.row(y);
        for (int x = 0; x < width; ++x)
            row[x] = (row[x] - mean) % 255;
    }
}

std::unique_ptr<CShiverKeys> CShiverKeys::create(const ShiverSettings& settings, int width,
                                                 int height) {
    std::unique_ptr<CShiverKeys> keys(new (std::nothrow) CShiverKeys);
    if (!keys || width < 1 || height < 1)
        return nullptr;
    keys->settings_ = settings;
    keys->width_ = width;
    keys->height_ = height;
    keys->frameCount_ = std::max(1, settings.frameCount);
    keys->seed_ = settings.sequence;
    keys->settings_.keyCount = std::max(1, settings.keyCount);
    for (Key* key : {&keys->from_, &keys->to_}) {
        auto horizontal = CGrid::create(width, height);
        auto vertical = CGrid::create(width, height);
        if (!horizontal || !vertical)
            return nullptr;
        key->horizontal = std::move(*horizontal);
        key->vertical = std::move(*vertical);
    }
    keys->from_.horizontal.fill(0);
    keys->from_.vertical.fill(0);
    // Key 0 is the key after the first frame's start; the key before it is never weighed (h = 1).
    keys->makeFields(keys->to_, keys->seed_);
    // The noise reseeds the generator, so the table is drawn after key 0's fields.
    kfm::noise::SeedRandom(static_cast<std::uint32_t>(settings.sequence));
    try {
        keys->randoms_.resize(2 * static_cast<std::size_t>(keys->frameCount_) + 2);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    for (int& r : keys->randoms_)
        r = kfm::noise::NextRandom();
    if (settings.firstUndeformed) {
        keys->to_.ax = 0;
        keys->to_.ay = 0;
    } else {
        keys->to_.ax = keys->amplitude(settings.horizontalMin, settings.horizontalMax, true);
        keys->to_.ay = keys->amplitude(settings.verticalMin, settings.verticalMax, true);
    }
    keys->firstAx_ = keys->to_.ax;
    keys->firstAy_ = keys->to_.ay;
    keys->blendNumerator_ = keys->frameCount_;
    return keys;
}

bool CShiverKeys::makeFields(Key& key, int seed) const {
    MakeShiverField(key.horizontal, settings_.type, seed);
    MakeShiverField(key.vertical, settings_.type, 13 * seed);
    return true;
}

float CShiverKeys::amplitude(int min, int max, bool firstKey) {
    if (max == min)
        return firstKey ? 0.0f : static_cast<float>(max) / 255.0f;
    // The table holds what the key changes can draw; past its end (never) the draw is 0.
    const int r = nextRandom_ < randoms_.size() ? randoms_[nextRandom_++] : 0;
    return static_cast<float>(r % (max - min)) / 255.0f;
}

void CShiverKeys::advance() {
    blendNumerator_ += settings_.keyCount;
    if (blendNumerator_ <= frameCount_)
        return;
    // The key before is no longer needed: the next key is made in its grids.
    Key& next = from_;
    if (keyIndex_ + 1 == settings_.keyCount) {
        // The last key is the first again, so the sequence closes on itself.
        makeFields(next, settings_.sequence);
        next.ax = firstAx_;
        next.ay = firstAy_;
    } else {
        ++seed_;
        makeFields(next, seed_);
        next.ax = amplitude(settings_.horizontalMin, settings_.horizontalMax, false);
        next.ay = amplitude(settings_.verticalMin, settings_.verticalMax, false);
    }
    ++keyIndex_;
    blendNumerator_ -= frameCount_;
    // The key after becomes the key before, the new one the key after.
    std::swap(from_, to_);
}

void CShiverKeys::sourceRow(int y, int sourceWidth, int sourceHeight, std::int32_t* xs,
                            std::int32_t* ys) const {
    const float h = static_cast<float>(blendNumerator_) / static_cast<float>(frameCount_);
    const float g = 1.0f - h;
    const float ax = g * from_.ax + h * to_.ax;
    const float ay = g * from_.ay + h * to_.ay;
    const std::int32_t* fromX = from_.horizontal.row(y);
    const std::int32_t* toX = to_.horizontal.row(y);
    const std::int32_t* fromY = from_.vertical.row(y);
    const std::int32_t* toY = to_.vertical.row(y);
    const int maxX = sourceWidth - 1;
    const int maxY = sourceHeight - 1;
    for (int x = 0; x < width_; ++x) {
        const auto dx = static_cast<std::int32_t>(
            ax * (g * static_cast<float>(fromX[x]) + h * static_cast<float>(toX[x])));
        const auto dy = static_cast<std::int32_t>(
            ay * (g * static_cast<float>(fromY[x]) + h * static_cast<float>(toY[x])));
        xs[x] = std::clamp(x + dx, 0, maxX);
        ys[x] = std::clamp(y + dy, 0, maxY);
    }
}

PluginResult* MakeFrames(const CShiverRun& run, const ShiverSettings& settings,
                         const ShiverHooks& hooks) {
    const int width = run.width();
    const int height = run.height();
    const int count = std::max(1, settings.frameCount);
    const int maskBits = run.hasMask() ? 8 : 0;
    const unsigned long long frameBytes = pixelCount(width + 4, height) * (maskBits ? 2 : 1);
    if (!affordable(frameBytes * static_cast<unsigned>(count) + pixelCount(width, height) * 32))
        return nullptr;

    ResultGuard guard{newResult(count)};
    if (!guard.result)
        return nullptr;
    PluginResult& result = *guard.result;
    for (int j = 0; j < count; ++j) {
        PluginFrame& frame = result.frames[j];
        if (AllocPluginFrame(&frame, width, height, 8, maskBits) != 1)
            return nullptr;
        frame.left = run.left();
        frame.top = run.top();
        frame.disposal = 3;
        frame.delay = FrameDelay(settings);
        frame.transparentIndex = run.transparentIndex();
        std::memcpy(frame.palette, run.palette().data(), kPluginPaletteBytes);
    }

    const auto keys = CShiverKeys::create(settings, width, height);
    std::vector<std::int32_t> xs, ys;
    try {
        xs.resize(static_cast<std::size_t>(width));
        ys.resize(static_cast<std::size_t>(width));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    if (!keys)
        return nullptr;

    for (int j = 0; j < count; ++j) {
        if (hooks.progress)
            hooks.progress(0, j, count);
        if (j % 3 == 0 && hooks.pump)
            hooks.pump();
        if (cancelled(hooks.cancel))
            return nullptr;
        keys->advance();
        DistortFrame(*keys, run, result.frames[j], xs.data(), ys.data());
    }
    if (settings.differencesOnly && !MarkChangedPixels(result, run))
        return nullptr;
    return guard.release();
}

void DistortFrame(const CShiverKeys& keys, const CShiverRun& run, PluginFrame& frame,
                  std::int32_t* xs, std::int32_t* ys) {
    const int width = run.width();
    const int height = run.height();
    const std::int32_t* indices = run.indices().row(0);
    const std::uint8_t* sourceMask = run.hasMask() ? run.mask().data() : nullptr;
    const int imageRow = frame.image.bmWidthBytes;
    for (int y = 0; y < height; ++y) {
        keys.sourceRow(y, width, height, xs, ys);
        std::uint8_t* pixels = rowOf(frame.image, imageRow, y);
        if (!sourceMask) {
            for (int x = 0; x < width; ++x)
                pixels[x] = static_cast<std::uint8_t>(
                    indices[ys[x] * static_cast<std::ptrdiff_t>(width) + xs[x]]);
            continue;
        }
        std::uint8_t* mask = rowOf(frame.mask, frame.mask.bmWidthBytes, y);
        for (int x = 0; x < width; ++x) {
            const std::ptrdiff_t at = ys[x] * static_cast<std::ptrdiff_t>(width) + xs[x];
            const auto opaque = static_cast<std::uint8_t>(~sourceMask[at]);
            mask[x] = opaque;
            // A hidden pixel is cleared, so the frame carries no stray bytes.
            pixels[x] = opaque ? static_cast<std::uint8_t>(indices[at]) : 0;
        }
    }
}

bool MarkChangedPixels(PluginResult& result, const CShiverRun& run) {
    const int width = run.width();
    const int height = run.height();
    std::vector<std::uint8_t> previous;
    try {
        previous.resize(pixelCount(width, height));
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            previous[pixelCount(width, y) + x] = static_cast<std::uint8_t>(run.indices().get(x, y));

    for (int j = 0; j < result.count; ++j) {
        PluginFrame& frame = result.frames[j];
        // The frame's own mask (255 opaque), read before the difference mask replaces it.
        std::vector<std::uint8_t> own;
        if (frame.mask.bmBits && frame.mask.bmBitsPixel == 8) {
            own.resize(pixelCount(width, height));
            for (int y = 0; y < height; ++y)
                std::memcpy(own.data() + pixelCount(width, y),
                            rowOf(frame.mask, frame.mask.bmWidthBytes, y),
                            static_cast<std::size_t>(width));
        }
        if (!allocateMask8(frame))
            return false;
        frame.disposal = 1;
        for (int y = 0; y < height; ++y) {
            const std::uint8_t* pixels = rowOf(frame.image, frame.image.bmWidthBytes, y);
            std::uint8_t* mask = rowOf(frame.mask, frame.mask.bmWidthBytes, y);
            std::uint8_t* before = previous.data() + pixelCount(width, y);
            const std::uint8_t* hidden = own.empty() ? nullptr : own.data() + pixelCount(width, y);
            for (int x = 0; x < width; ++x) {
                const bool changed = pixels[x] != before[x] && !(hidden && hidden[x] == 0);
                mask[x] = changed ? 255 : 0;
                if (changed)
                    before[x] = pixels[x];
            }
        }
    }
    return true;
}

std::vector<QImage> MakePreviewPictures(const CShiverRun& run, const ShiverSettings& settings,
                                        int previewWidth, int previewHeight,
                                        const std::atomic<bool>* cancel,
                                        const std::function<void(int)>& frameDone) {
    const int width = std::min(previewWidth, run.width());
    const int height = std::min(previewHeight, run.height());
    const int count = std::max(1, settings.frameCount);
    const int pictures = std::min(count, kMaxPreviewPictures);
    std::vector<QImage> result;
    if (width < 1 || height < 1)
        return result;
    auto keys = CShiverKeys::create(settings, width, height);
    if (!keys)
        return result;
    std::vector<std::int32_t> xs(static_cast<std::size_t>(width));
    std::vector<std::int32_t> ys(static_cast<std::size_t>(width));
    const std::uint8_t* sourceMask = run.hasMask() ? run.mask().data() : nullptr;
    for (int j = 0; j < pictures; ++j) {
        if (cancelled(cancel))
            return {};
        keys->advance();
        QImage picture(width, height, QImage::Format_RGB32);
        if (picture.isNull())
            return {};
        picture.fill(Qt::white);
        for (int y = 0; y < height; ++y) {
            keys->sourceRow(y, run.width(), run.height(), xs.data(), ys.data());
            auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
            for (int x = 0; x < width; ++x) {
                const auto colour = static_cast<std::uint32_t>(run.colours().get(xs[x], ys[x]));
                int red = colour & 0xFF;
                int green = (colour >> 8) & 0xFF;
                int blue = (colour >> 16) & 0xFF;
                if (sourceMask) {
                    const int m = static_cast<std::uint8_t>(
                        ~sourceMask[pixelCount(run.width(), ys[x]) + static_cast<unsigned>(xs[x])]);
                    if (m == 0)
                        continue;
                    // Blended with the white ground by the pixel's opacity.
                    const double a = m / 255.0;
                    red = static_cast<int>((1 - a) * 255 + a * red);
                    green = static_cast<int>((1 - a) * 255 + a * green);
                    blue = static_cast<int>((1 - a) * 255 + a * blue);
                }
                line[x] = qRgb(red, green, blue);
            }
        }
        char counter[16];
        std::snprintf(counter, sizeof counter, "%.2d/%.2d", j + 1, count);
        QPainter painter(&picture);
        painter.setPen(Qt::black);
        painter.drawText(QPoint(5, height - 15 + painter.fontMetrics().ascent()),
                         QString::fromLatin1(counter));
        painter.end();
        result.push_back(std::move(picture));
        if (frameDone)
            frameDone(j);
    }
    return result;
}

} // namespace kfm::shiver
