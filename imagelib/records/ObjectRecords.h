#pragma once
// The four object records of a frame in memory. Their stored byte form (148, 104, 100 and 64
// bytes, little-endian, pointer slots as four zero bytes) is written and read only by the
// serialisers of ObjectRecordBytes; in memory the strings, arrays and metafile sit beside the
// fixed fields as owned values, so copying a record copies everything it owns.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "metafile/EnhMetafile.h"
#include "types/Win32Types.h"

struct TextObjectRecord {
    std::int32_t left = 0; // position before the save clipped the frame
    std::int32_t top = 0;
    COLORREF color = 0;
    COLORREF shadowColor = 0;
    std::int32_t shadowXOffset = 0;
    std::int32_t shadowYOffset = 0;
    std::uint8_t shadowTransp = 0;
    std::uint8_t isShadowBlur = 0;
    std::uint8_t antialias = 0;
    std::uint8_t kern = 0;
    LOGFONTA font{};
    double matrix[4] = {1.0, 0.0, 0.0, 1.0};
    std::int32_t interpolation = 0;
    std::uint8_t isShadow = 0;
    std::uint8_t transparencyLevel = 0;
    std::array<std::uint8_t, 18> reserved{};
    std::optional<std::string> text; // null text pointer when empty optional
};

struct ControlObjectRecord {
    std::uint32_t type = 0; // 1..20
    std::uint8_t clientEdge = 0;
    std::uint8_t staticEdge = 0;
    std::uint8_t modalFrame = 0;
    std::uint8_t disabled = 0;
    std::uint8_t setFocus = 0;
    std::uint8_t reserved8 = 0;
    std::uint16_t reserved16 = 0;
    std::array<std::uint32_t, 4> reserved{};
    std::uint32_t styleBits = 0;
    std::array<std::int32_t, 16> values{};
    std::optional<std::string> text;
    std::optional<std::string> caption;
};

// A metafile owned by a vector record: copies get their own metafile object over shared bytes.
class OwnedMetafile {
public:
    OwnedMetafile() = default;
    explicit OwnedMetafile(HENHMETAFILE adopt) : metafile_(adopt) {}
    OwnedMetafile(const OwnedMetafile& other)
        : metafile_(other.metafile_ ? CopyEnhMetaFileA(other.metafile_, nullptr) : nullptr) {}
    OwnedMetafile& operator=(const OwnedMetafile& other) {
        if (this != &other)
            reset(other.metafile_ ? CopyEnhMetaFileA(other.metafile_, nullptr) : nullptr);
        return *this;
    }
    OwnedMetafile(OwnedMetafile&& other) noexcept : metafile_(other.metafile_) {
        other.metafile_ = nullptr;
    }
    OwnedMetafile& operator=(OwnedMetafile&& other) noexcept {
        if (this != &other) {
            reset(other.metafile_);
            other.metafile_ = nullptr;
        }
        return *this;
    }
    ~OwnedMetafile() { reset(nullptr); }

    HENHMETAFILE get() const { return metafile_; }
    explicit operator bool() const { return metafile_ != nullptr; }
    void reset(HENHMETAFILE adopt) {
        if (metafile_)
            DeleteEnhMetaFile(metafile_);
        metafile_ = adopt;
    }
    HENHMETAFILE release() {
        HENHMETAFILE m = metafile_;
        metafile_ = nullptr;
        return m;
    }

private:
    HENHMETAFILE metafile_ = nullptr;
};

struct VectorObjectRecord {
    std::int32_t sourceLeft = 0;
    std::int32_t sourceTop = 0;
    std::int32_t sourceRight = 0;
    std::int32_t sourceBottom = 0;
    std::int32_t unitsPerInch = 0;
    OwnedMetafile metafile;
    std::int32_t left = 0; // position before the save clipped the frame
    std::int32_t top = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    double matrix[4] = {1.0, 0.0, 0.0, 1.0};
    std::int32_t interpolation = 0;
    std::uint8_t antialias = 0;
    std::uint8_t transparencyLevel = 0;
    std::array<std::uint8_t, 22> reserved{};
};

struct NPImageObjectRecord {
    std::vector<std::uint8_t> pixels24; // buffer 0
    std::vector<std::uint8_t> alpha;    // buffer 1 (only with buffer 0)
    std::int32_t alphaValue = 0;
    std::int32_t transparencyWord = 0;
    std::vector<std::uint8_t> maskPixels; // buffer 2
    std::vector<std::uint8_t> pixels8;    // buffer 3
    std::vector<std::int32_t> palette;    // only with buffer 3
    std::array<std::uint32_t, 4> reserved{};
};
