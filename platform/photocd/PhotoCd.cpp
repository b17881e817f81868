#include "PhotoCd.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

namespace kfm::photocd {

namespace {

constexpr std::array<Size, kResolutionCount> kSizes = {
    {{96, 64}, {192, 128}, {384, 256}, {768, 512}, {1536, 1024}, {3072, 2048}, {6144, 4096}}};

// First sector of each plain resolution; the others are not stored plain.
constexpr std::array<int, kResolutionCount> kPlainSector = {0, 4, 23, 96, 0, 0, 0};

constexpr std::uint64_t kSignatureOffset = kSectorBytes;
constexpr char kSignature[] = "PCD_IPI";
constexpr std::uint64_t kAttributesOffset = 0xE02;
// Base/16, Base/4 and Base are in every pack; 4Base and 16Base only when the attributes say so.
constexpr unsigned kAlwaysHeld = (1u << kBase16) | (1u << kBase4) | (1u << kBase);

// The bytes of a file from a base offset on.
class FileSource final : public ByteSource {
public:
    FileSource(std::FILE* file, std::uint64_t base, std::uint64_t size)
        : file_(file), base_(base), size_(size) {}
    ~FileSource() override { std::fclose(file_); }
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;
    std::uint64_t size() const override { return size_; }
    bool read(std::uint64_t offset, std::span<std::uint8_t> out) const override {
        if (offset > size_ || out.size() > size_ - offset)
            return false;
        return std::fseek(file_, static_cast<long>(base_ + offset), SEEK_SET) == 0 &&
               std::fread(out.data(), 1, out.size(), file_) == out.size();
    }

private:
    std::FILE* file_;
    std::uint64_t base_;
    std::uint64_t size_;
};

class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::uint64_t size() const override { return bytes_.size(); }
    bool read(std::uint64_t offset, std::span<std::uint8_t> out) const override {
        if (offset > bytes_.size() || out.size() > bytes_.size() - offset)
            return false;
        std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(offset), out.size(), out.begin());
        return true;
    }

private:
    std::span<const std::uint8_t> bytes_;
};

std::uint8_t clampByte(double value) {
    return static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L));
}

// Photo YCC to colour, per component value: luma and the two chroma offsets as Kodak defines
// them, so that R = L + C2, G = L - 0.194 C1 - 0.509 C2, B = L + C1 (in 0..255, clamped).
struct YccTables {
    std::array<double, 256> luma{};
    std::array<double, 256> chroma1{};
    std::array<double, 256> chroma2{};
    YccTables() {
        for (int i = 0; i < 256; ++i) {
            luma[i] = 1.3584 * i;
            chroma1[i] = 2.2179 * (i - 156);
            chroma2[i] = 1.8215 * (i - 137);
        }
    }
};

const YccTables& yccTables() {
    static const YccTables tables;
    return tables;
}

struct Rgb {
    std::uint8_t red, green, blue;
};

Rgb toRgb(std::uint8_t y, std::uint8_t c1, std::uint8_t c2) {
    const YccTables& t = yccTables();
    const double l = t.luma[y];
    const double a = t.chroma1[c1];
    const double b = t.chroma2[c2];
    return {clampByte(l + b), clampByte(l - 0.194 * a - 0.509 * b), clampByte(l + a)};
}

std::uint8_t level(std::uint8_t value, int levels) {
    return static_cast<std::uint8_t>((value * (levels - 1) + 127) / 255);
}

std::uint8_t index332(const Rgb& c) {
    return static_cast<std::uint8_t>(level(c.red, 8) << 5 | level(c.green, 8) << 2 |
                                     level(c.blue, 4));
}

// The picture's pixels top-down without padding, 1 or 3 bytes each, in landscape.
struct Landscape {
    int width;
    int height;
    int pixelBytes;
    std::vector<std::uint8_t> bytes;
};

// Converts the stored pairs of rows (Y, Y, C1, C2) to the output's pixels.
void convertYcc(std::span<const std::uint8_t> ycc, Output output, Landscape& out) {
    const int w = out.width;
    for (int pair = 0; pair < out.height / 2; ++pair) {
        const std::uint8_t* block = ycc.data() + static_cast<std::size_t>(pair) * w * 3;
        const std::uint8_t* c1 = block + 2 * w;
        const std::uint8_t* c2 = c1 + w / 2;
        for (int line = 0; line < 2; ++line) {
            const std::uint8_t* y = block + line * w;
            std::uint8_t* target =
                out.bytes.data() + static_cast<std::size_t>(2 * pair + line) * w * out.pixelBytes;
            for (int x = 0; x < w; ++x) {
                if (output == Output::Grey8) {
                    target[x] = clampByte(yccTables().luma[y[x]]);
                    continue;
                }
                const Rgb c = toRgb(y[x], c1[x / 2], c2[x / 2]);
                if (output == Output::Palette8) {
                    target[x] = index332(c);
                    continue;
                }
                target[3 * x] = c.blue;
                target[3 * x + 1] = c.green;
                target[3 * x + 2] = c.red;
            }
        }
    }
}

// Where the pixel (x, y) of the turned picture comes from in the landscape one, for counter-
// clockwise quarter turns.
std::size_t sourcePixel(const Landscape& in, int turns, int x, int y) {
    const int w = in.width;
    const int h = in.height;
    switch (turns) {
    case 1:
        return static_cast<std::size_t>(x) * w + (w - 1 - y);
    case 2:
        return static_cast<std::size_t>(h - 1 - y) * w + (w - 1 - x);
    case 3:
        return static_cast<std::size_t>(h - 1 - x) * w + y;
    default:
        return static_cast<std::size_t>(y) * w + x;
    }
}

// Turns the landscape pixels and lays them out as bottom-up padded rows.
void layOut(const Landscape& in, int turns, Picture& out) {
    const bool sideways = turns % 2 == 1;
    out.width = sideways ? in.height : in.width;
    out.height = sideways ? in.width : in.height;
    out.bitsPerPixel = in.pixelBytes * 8;
    out.rowBytes = static_cast<std::uint32_t>((out.width * in.pixelBytes + 3) / 4 * 4);
    out.pixels.assign(static_cast<std::size_t>(out.rowBytes) * out.height, 0);
    for (int y = 0; y < out.height; ++y) {
        std::uint8_t* row =
            out.pixels.data() + static_cast<std::size_t>(out.height - 1 - y) * out.rowBytes;
        for (int x = 0; x < out.width; ++x) {
            const std::uint8_t* from =
                in.bytes.data() + sourcePixel(in, turns, x, y) * in.pixelBytes;
            std::copy_n(from, in.pixelBytes, row + x * in.pixelBytes);
        }
    }
}

std::array<RGBQUAD, 256> greyColours() {
    std::array<RGBQUAD, 256> colours{};
    for (int i = 0; i < 256; ++i) {
        const auto v = static_cast<BYTE>(i);
        colours[i] = RGBQUAD{v, v, v, 0};
    }
    return colours;
}

} // namespace

Size landscapeSize(int resolution) {
    if (resolution < 0 || resolution >= kResolutionCount)
        return {};
    return kSizes[resolution];
}

std::array<RGBQUAD, 256> palette332() {
    std::array<RGBQUAD, 256> colours{};
    for (int i = 0; i < 256; ++i)
        colours[i] = RGBQUAD{static_cast<BYTE>((i & 3) * 255 / 3),
                             static_cast<BYTE>(((i >> 2) & 7) * 255 / 7),
                             static_cast<BYTE>((i >> 5) * 255 / 7), 0};
    return colours;
}

ImagePack::ImagePack(std::unique_ptr<ByteSource> source) : source_(std::move(source)) {}
ImagePack::~ImagePack() = default;

Status ImagePack::openFile(const std::string& path, std::int64_t offset,
                           std::unique_ptr<ImagePack>& out) {
    out.reset();
    std::FILE* file = offset >= 0 ? std::fopen(path.c_str(), "rb") : nullptr;
    if (!file)
        return Status::CannotOpen;
    long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0)
        size = std::ftell(file);
    if (size < offset) {
        std::fclose(file);
        return Status::CannotOpen;
    }
    const auto base = static_cast<std::uint64_t>(offset);
    std::unique_ptr<ImagePack> pack(new ImagePack(
        std::make_unique<FileSource>(file, base, static_cast<std::uint64_t>(size) - base)));
    const Status status = pack->readHeader();
    if (status == Status::Ok)
        out = std::move(pack);
    return status;
}

Status ImagePack::openBytes(std::span<const std::uint8_t> bytes, std::unique_ptr<ImagePack>& out) {
    out.reset();
    std::unique_ptr<ImagePack> pack(new ImagePack(std::make_unique<MemorySource>(bytes)));
    const Status status = pack->readHeader();
    if (status == Status::Ok)
        out = std::move(pack);
    return status;
}

Status ImagePack::readHeader() {
    std::array<std::uint8_t, sizeof kSignature - 1> signature{};
    if (!source_->read(kSignatureOffset, signature) ||
        std::memcmp(signature.data(), kSignature, signature.size()) != 0)
        return Status::NotPhotoCd;
    std::array<std::uint8_t, 1> attributes{};
    if (!source_->read(kAttributesOffset, attributes))
        return Status::Truncated;
    quarterTurns_ = attributes[0] & 3;
    const int highest = (attributes[0] >> 2) & 3; // 0 Base, 1 4Base, 2 16Base
    available_ = kAlwaysHeld;
    if (highest >= 1)
        available_ |= 1u << (kBase + 1);
    if (highest >= 2)
        available_ |= 1u << (kBase + 2);
    return Status::Ok;
}

Size ImagePack::size(int resolution) const {
    const Size landscape = landscapeSize(resolution);
    return quarterTurns_ % 2 == 1 ? Size{landscape.height, landscape.width} : landscape;
}

Status ImagePack::decode(int resolution, Output output, Picture& out) const {
    out = Picture{};
    if (resolution < 0 || resolution >= kResolutionCount || !(available_ & (1u << resolution)))
        return Status::NotAvailable;
    if (kPlainSector[resolution] == 0)
        return Status::NotStoredPlain;
    try {
        const Size size = landscapeSize(resolution);
        std::vector<std::uint8_t> ycc(static_cast<std::size_t>(size.width) * size.height * 3 / 2);
        if (!source_->read(static_cast<std::uint64_t>(kPlainSector[resolution]) * kSectorBytes,
                           ycc))
            return Status::Truncated;
        Landscape landscape{size.width, size.height, output == Output::Colour24 ? 3 : 1, {}};
        landscape.bytes.resize(static_cast<std::size_t>(size.width) * size.height *
                               landscape.pixelBytes);
        convertYcc(ycc, output, landscape);
        layOut(landscape, quarterTurns_, out);
        if (output == Output::Palette8)
            out.colours = palette332();
        else if (output == Output::Grey8)
            out.colours = greyColours();
        return Status::Ok;
    } catch (const std::bad_alloc&) {
        out = Picture{};
        return Status::OutOfMemory;
    }
}

} // namespace kfm::photocd
