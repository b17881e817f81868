#include "PresetFile.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <cmath>
#include <optional>

namespace kfm::patina {

namespace {

// What a file holds, before it is checked.
struct PresetFields {
    std::uint32_t family = 0;
    std::int32_t variant = 4;
    std::array<double, 4> d{1.0, 4.0, 0.0, 0.0};
    std::int32_t seedMode = 0;
    std::int32_t warpMode = 0;
    std::int32_t baseFunction = 0;
    std::int32_t zoom = 1;
    std::int32_t colourSpeed = 511;
    std::int32_t colourFunction = 0;
    std::int32_t patternType = 0;
    std::int32_t invert = 0;
    std::int32_t rows = 8;
    std::int32_t bricks = 4;
    // Every double the file holds, the skipped ones included.
    bool finite = true;
    GradientRamp ramp;
};

std::int32_t asInt(std::uint32_t v) {
    return static_cast<std::int32_t>(v);
}

// A u16 field that holds a signed value (the warp mode, the colour function).
std::int32_t asShort(std::uint16_t v) {
    return static_cast<std::int16_t>(v);
}

double checkedDouble(LittleEndianReader& in, PresetFields& f) {
    const double v = in.f64();
    f.finite = f.finite && std::isfinite(v);
    return v;
}

bool readCurrent(LittleEndianReader& in, std::uint16_t version, PresetFields& f) {
    f.family = in.u16();
    f.variant = asInt(in.u32());
    for (double& d : f.d)
        d = checkedDouble(in, f);
    f.seedMode = asInt(in.u32());
    f.warpMode = asShort(in.u16());
    f.baseFunction = asInt(in.u32());
    f.zoom = asInt(in.u32());
    in.u32(); // reserved
    f.colourSpeed = asInt(in.u32());
    f.colourFunction = asShort(in.u16());
    f.patternType = asShort(in.u16());
    f.invert = asInt(in.u32());
    f.rows = asInt(in.u32());
    f.bricks = asInt(in.u32());
    if (!in.ok() || !f.ramp.Load(in))
        return false;
    if (version == 15 && f.family == 0)
        f.d[2] = 0;
    return true;
}

// The layouts before version 15; the legacy words are skipped.
bool readLegacy(LittleEndianReader& in, std::uint16_t version, PresetFields& f) {
    in.skip(6 * 4 + 2);
    std::uint32_t first = 0;
    std::uint32_t second = 0xFFFFFF;
    if (version < 12) {
        first = in.u32();
        second = in.u32();
    }
    in.skip(2);
    f.colourSpeed = asInt(in.u32());
    if (version >= 2) {
        in.skip(2);
        f.family = in.u16();
        f.colourFunction = asShort(in.u16());
    }
    if (version >= 3)
        f.warpMode = asShort(in.u16());
    if (version >= 4)
        f.seedMode = asInt(in.u32());
    if (version >= 5)
        in.skip(2 * 4);
    if (version >= 6)
        for (int i = 0; i < 4; ++i)
            checkedDouble(in, f);
    std::uint32_t middle = 0;
    float middlePosition = -1.0f;
    if (version >= 7 && version <= 11) {
        middle = in.u32();
        middlePosition = in.f32();
        f.finite = f.finite && std::isfinite(middlePosition);
    }
    if (version >= 8)
        in.skip(2);
    if (version >= 9)
        f.patternType = asShort(in.u16());
    if (version >= 10)
        in.skip(4);
    if (version >= 11)
        in.skip(4);
    if (version >= 13) {
        f.rows = asInt(in.u32());
        f.bricks = asInt(in.u32());
    }
    if (version >= 14)
        f.invert = asInt(in.u32());
    if (!in.ok())
        return false;
    if (version >= 12)
        return f.ramp.Load(in);
    f.ramp.SetGradient(first, second, middle, middlePosition);
    return true;
}

bool acceptable(const PresetFields& f) {
    return f.finite && f.colourSpeed != 0 && f.family <= kMaxFamily && f.baseFunction >= 0 &&
           f.baseFunction <= kMaxBaseFunction;
}

void apply(const PresetFields& f, TextureSettings& s, GradientRamp& ramp) {
    SetTexture(s, f.family, f.variant, f.d[0], f.d[1], f.d[2], f.d[3]);
    s.warpMode = f.warpMode;
    s.seedMode = f.seedMode;
    SetPattern(s, f.patternType, f.invert != 0, f.rows, f.bricks);
    SetColouring(s, f.baseFunction, f.zoom, f.colourSpeed, f.colourFunction);
    ramp = f.ramp;
}

} // namespace

std::vector<std::uint8_t> PresetBytes(const TextureSettings& s, const GradientRamp& ramp) {
    LittleEndianWriter out;
    out.u16(kPresetVersion);
    out.u16(static_cast<std::uint16_t>(s.family));
    out.u32(static_cast<std::uint32_t>(s.variant));
    for (const double d : s.d)
        out.f64(d);
    out.u32(static_cast<std::uint32_t>(s.seedMode));
    out.u16(static_cast<std::uint16_t>(s.warpMode));
    out.u32(static_cast<std::uint32_t>(s.baseFunction));
    out.u32(static_cast<std::uint32_t>(s.zoom));
    out.u32(0);
    out.u32(static_cast<std::uint32_t>(s.colourSpeed));
    out.u16(static_cast<std::uint16_t>(s.colourFunction));
    out.u16(static_cast<std::uint16_t>(s.patternType));
    out.u32(static_cast<std::uint32_t>(s.invertPattern));
    out.u32(static_cast<std::uint32_t>(s.rowsPer256));
    out.u32(static_cast<std::uint32_t>(s.bricksPer256));
    ramp.Store(out);
    return out.data();
}

bool ReadPreset(std::span<const std::uint8_t> bytes, TextureSettings& settings,
                GradientRamp& ramp) {
    LittleEndianReader in(bytes);
    const std::uint16_t version = in.u16();
    if (!in.ok() || version < 1 || version > kPresetVersion)
        return false;
    PresetFields fields;
    const bool read =
        version >= 15 ? readCurrent(in, version, fields) : readLegacy(in, version, fields);
    if (!read || !acceptable(fields))
        return false;
    apply(fields, settings, ramp);
    return true;
}

bool LoadPreset(const QString& path, TextureSettings& settings, GradientRamp& ramp) {
    QFile file(path);
    // A preset is a few hundred bytes; anything far larger is no preset.
    constexpr qint64 kLargestPreset = 1 << 20;
    if (!file.open(QIODevice::ReadOnly) || file.size() > kLargestPreset)
        return false;
    const QByteArray data = file.readAll();
    return ReadPreset(std::span(reinterpret_cast<const std::uint8_t*>(data.constData()),
                                static_cast<std::size_t>(data.size())),
                      settings, ramp);
}

bool SavePreset(const QString& path, const TextureSettings& settings, const GradientRamp& ramp) {
    const std::vector<std::uint8_t> bytes = PresetBytes(settings, ramp);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const auto size = static_cast<qint64>(bytes.size());
    return file.write(reinterpret_cast<const char*>(bytes.data()), size) == size && file.commit();
}

} // namespace kfm::patina
