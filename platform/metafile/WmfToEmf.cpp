#include "WmfToEmf.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>

namespace kfm::metafile {

namespace {

constexpr std::size_t kWmfHeaderSize = 18;
// Larger inputs are refused before any output is built.
constexpr std::size_t kMaxWmfBytes = std::size_t{64} << 20;
// The reference device of the converted picture: 96 pixels per inch.
constexpr int kDevicePixels = 9600;
constexpr int kDeviceMm = 2540;

class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    bool has(std::uint64_t offset, std::uint64_t length) const {
        return offset <= bytes_.size() && length <= bytes_.size() - offset;
    }
    std::uint16_t u16(std::uint64_t at) const {
        return static_cast<std::uint16_t>(bytes_[at] | (bytes_[at + 1] << 8));
    }
    std::int16_t i16(std::uint64_t at) const { return static_cast<std::int16_t>(u16(at)); }
    std::uint32_t u32(std::uint64_t at) const {
        std::uint32_t v;
        std::memcpy(&v, bytes_.data() + at, 4);
        return v;
    }
    std::span<const std::uint8_t> slice(std::uint64_t at, std::uint64_t n) const {
        return bytes_.subspan(at, n);
    }
    std::size_t size() const { return bytes_.size(); }

private:
    std::span<const std::uint8_t> bytes_;
};

// Writes EMF records.
class EmfWriter {
public:
    void record(std::uint32_t type, std::initializer_list<std::uint32_t> words) {
        put(type);
        put(static_cast<std::uint32_t>(8 + words.size() * 4));
        for (std::uint32_t w : words)
            put(w);
        ++records_;
    }
    // A record whose body is given as bytes (padded to 4).
    void recordBytes(std::uint32_t type, const std::vector<std::uint8_t>& body) {
        const std::size_t padded = (body.size() + 3) & ~std::size_t{3};
        put(type);
        put(static_cast<std::uint32_t>(8 + padded));
        bytes_.insert(bytes_.end(), body.begin(), body.end());
        bytes_.resize(bytes_.size() + padded - body.size(), 0);
        ++records_;
    }
    std::vector<std::uint8_t>& bytes() { return bytes_; }
    std::uint32_t records() const { return records_; }

private:
    void put(std::uint32_t v) {
        const auto* p = reinterpret_cast<const std::uint8_t*>(&v);
        bytes_.insert(bytes_.end(), p, p + 4);
    }
    std::vector<std::uint8_t> bytes_;
    std::uint32_t records_ = 0;
};

void putWord(std::vector<std::uint8_t>& body, std::uint32_t v) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(&v);
    body.insert(body.end(), p, p + 4);
}

std::uint32_t word(int v) {
    return static_cast<std::uint32_t>(v);
}

// WMF object slots: each create takes the lowest free one; the EMF index is slot + 1.
class ObjectSlots {
public:
    explicit ObjectSlots(std::size_t count) : used_(std::min<std::size_t>(count, 65535), false) {}
    std::optional<std::uint32_t> take() {
        for (std::size_t i = 0; i < used_.size(); ++i)
            if (!used_[i]) {
                used_[i] = true;
                return static_cast<std::uint32_t>(i);
            }
        return std::nullopt;
    }
    void release(std::uint32_t slot) {
        if (slot < used_.size())
            used_[slot] = false;
    }
    std::size_t count() const { return used_.size(); }

private:
    std::vector<bool> used_;
};

class Converter {
public:
    Converter(const Reader& in, std::size_t objectCount) : in_(in), slots_(objectCount) {}

    // Converts one record (function and parameters at at, words given by size); false when it
    // has no counterpart or is too short.
    bool convert(std::uint16_t function, std::uint64_t at, std::uint64_t length);
    EmfWriter& out() { return out_; }

private:
    bool pointsRecord(std::uint32_t emfType, std::uint64_t at, std::uint64_t length);
    bool polyPolygon(std::uint64_t at, std::uint64_t length);
    bool textOut(std::uint64_t at, std::uint64_t length, bool extended);
    bool font(std::uint64_t at, std::uint64_t length);
    bool dib(std::uint16_t function, std::uint64_t at, std::uint64_t length);
    bool rectRecord(std::uint32_t emfType, std::uint64_t at, std::uint64_t length, int words);

    const Reader& in_;
    ObjectSlots slots_;
    EmfWriter out_;
};

bool Converter::rectRecord(std::uint32_t emfType, std::uint64_t at, std::uint64_t length,
                           int words) {
    if (length < std::uint64_t(words) * 2)
        return false;
    // Parameters come last to first: ..., bottom, right, top, left.
    const int n = words;
    auto param = [&](int i) { return in_.i16(at + 2 * i); };
    const int left = param(n - 1), top = param(n - 2), right = param(n - 3), bottom = param(n - 4);
    if (emfType == 44) // round rectangle: corner width and height first
        out_.record(emfType, {word(left), word(top), word(right), word(bottom), word(param(1)),
                              word(param(0))});
    else if (words == 8) // arc, chord, pie: end point, start point, box
        out_.record(emfType, {word(left), word(top), word(right), word(bottom), word(param(3)),
                              word(param(2)), word(param(1)), word(param(0))});
    else
        out_.record(emfType, {word(left), word(top), word(right), word(bottom)});
    return true;
}

bool Converter::pointsRecord(std::uint32_t emfType, std::uint64_t at, std::uint64_t length) {
    if (length < 2)
        return false;
    const std::int16_t count = in_.i16(at);
    if (count < 0 || std::uint64_t(count) * 4 > length - 2)
        return false;
    std::vector<std::uint8_t> body;
    body.reserve(20 + std::size_t(count) * 4);
    for (int i = 0; i < 4; ++i)
        putWord(body, 0); // bounds
    putWord(body, word(count));
    const auto points = in_.slice(at + 2, std::uint64_t(count) * 4);
    body.insert(body.end(), points.begin(), points.end());
    out_.recordBytes(emfType, body);
    return true;
}

bool Converter::polyPolygon(std::uint64_t at, std::uint64_t length) {
    if (length < 2)
        return false;
    const std::uint16_t polys = in_.u16(at);
    if (std::uint64_t(polys) * 2 > length - 2)
        return false;
    std::uint64_t total = 0;
    for (std::uint16_t i = 0; i < polys; ++i)
        total += in_.u16(at + 2 + 2 * i);
    const std::uint64_t pointsAt = 2 + std::uint64_t(polys) * 2;
    if (total * 4 > length - pointsAt)
        return false;
    std::vector<std::uint8_t> body;
    for (int i = 0; i < 4; ++i)
        putWord(body, 0);
    putWord(body, polys);
    putWord(body, static_cast<std::uint32_t>(total));
    for (std::uint16_t i = 0; i < polys; ++i)
        putWord(body, in_.u16(at + 2 + 2 * i));
    const auto points = in_.slice(at + pointsAt, total * 4);
    body.insert(body.end(), points.begin(), points.end());
    out_.recordBytes(91, body); // EMR_POLYPOLYGON16
    return true;
}

bool Converter::textOut(std::uint64_t at, std::uint64_t length, bool extended) {
    std::int16_t x = 0, y = 0, count = 0;
    std::uint16_t options = 0;
    std::uint64_t stringAt = 0;
    if (extended) {
        if (length < 8)
            return false;
        y = in_.i16(at);
        x = in_.i16(at + 2);
        count = in_.i16(at + 4);
        options = in_.u16(at + 6);
        stringAt = 8 + ((options & 0x6) ? 8 : 0);
    } else {
        if (length < 2)
            return false;
        count = in_.i16(at);
        stringAt = 2;
    }
    if (count < 0 || stringAt > length || std::uint64_t(count) > length - stringAt)
        return false;
    if (!extended) {
        const std::uint64_t after = stringAt + ((std::uint64_t(count) + 1) & ~std::uint64_t{1});
        if (after + 4 > length)
            return false;
        y = in_.i16(at + after);
        x = in_.i16(at + after + 2);
    }
    // EMR_EXTTEXTOUTA: bounds, graphics mode, scales, then the text record and the string.
    std::vector<std::uint8_t> body;
    for (int i = 0; i < 4; ++i)
        putWord(body, 0);
    putWord(body, 1);
    putWord(body, 0);
    putWord(body, 0);
    putWord(body, word(x));
    putWord(body, word(y));
    putWord(body, word(count));
    putWord(body, 76); // string offset from the record start
    putWord(body, options);
    for (int i = 0; i < 4; ++i)
        putWord(body, 0);
    putWord(body, 0); // no spacing array
    const auto text = in_.slice(at + stringAt, std::uint64_t(count));
    body.insert(body.end(), text.begin(), text.end());
    out_.recordBytes(83, body);
    return true;
}

bool Converter::font(std::uint64_t at, std::uint64_t length) {
    const auto slot = slots_.take();
    if (!slot)
        return false;
    if (length < 18)
        return false;
    std::vector<std::uint8_t> body;
    putWord(body, *slot + 1);
    for (int i = 0; i < 5; ++i)
        putWord(body, word(in_.i16(at + 2 * i)));
    const auto flags = in_.slice(at + 10, 8);
    body.insert(body.end(), flags.begin(), flags.end());
    // The ANSI face name becomes UTF-16.
    for (std::uint64_t i = 0; i < 32; ++i) {
        const std::uint8_t c = 18 + i < length ? in_.slice(at + 18 + i, 1)[0] : 0;
        body.push_back(c);
        body.push_back(0);
    }
    body.back() = 0;
    body[body.size() - 2] = 0;
    out_.recordBytes(82, body);
    return true;
}

bool Converter::dib(std::uint16_t function, std::uint64_t at, std::uint64_t length) {
    // Parameters after the raster operation: source h, w, y, x (stretched forms), destination
    // h, w, y, x; DIB bit blit gives the source position and one size.
    int xs = 0, ys = 0, ws = 0, hs = 0, xd = 0, yd = 0, wd = 0, hd = 0;
    std::uint64_t dibAt = 0;
    auto p = [&](int i) { return int(in_.i16(at + 4 + 2 * i)); };
    if (function == 0x0F43) { // META_STRETCHDIB: usage word first
        if (length < 24)
            return false;
        hs = in_.i16(at + 6), ws = in_.i16(at + 8), ys = in_.i16(at + 10), xs = in_.i16(at + 12);
        hd = in_.i16(at + 14), wd = in_.i16(at + 16), yd = in_.i16(at + 18), xd = in_.i16(at + 20);
        dibAt = 22;
    } else if (function == 0x0B41) { // META_DIBSTRETCHBLT
        if (length < 20)
            return false;
        hs = p(0), ws = p(1), ys = p(2), xs = p(3), hd = p(4), wd = p(5), yd = p(6), xd = p(7);
        dibAt = 20;
    } else { // META_DIBBITBLT
        if (length < 16)
            return false;
        ys = p(0), xs = p(1), hd = p(2), wd = p(3), yd = p(4), xd = p(5);
        hs = hd, ws = wd;
        dibAt = 16;
    }
    if (dibAt + 40 > length)
        return false;
    const std::uint32_t headerSize = in_.u32(at + dibAt);
    const std::uint16_t bitCount = in_.u16(at + dibAt + 14);
    const std::uint32_t colorsUsed = in_.u32(at + dibAt + 32);
    if (headerSize < 40 || headerSize > length - dibAt)
        return false;
    std::uint64_t colors = colorsUsed ? colorsUsed : (bitCount <= 8 ? (1u << bitCount) : 0);
    if (in_.u32(at + dibAt + 16) == 3 && headerSize == 40)
        colors = 3; // bit-field masks
    const std::uint64_t bmiSize = headerSize + colors * 4;
    if (bmiSize > length - dibAt)
        return false;
    const std::uint64_t bitsSize = length - dibAt - bmiSize;
    // EMR_STRETCHDIBITS with the BITMAPINFO and bits after its 80 fixed bytes.
    std::vector<std::uint8_t> body;
    for (int i = 0; i < 4; ++i)
        putWord(body, 0);
    for (int v : {xd, yd, xs, ys, ws, hs})
        putWord(body, word(v));
    putWord(body, 80);
    putWord(body, static_cast<std::uint32_t>(bmiSize));
    putWord(body, static_cast<std::uint32_t>(80 + ((bmiSize + 3) & ~std::uint64_t{3})));
    putWord(body, static_cast<std::uint32_t>(bitsSize));
    putWord(body, 0);
    putWord(body, in_.u32(at));
    putWord(body, word(wd));
    putWord(body, word(hd));
    const auto bmi = in_.slice(at + dibAt, bmiSize);
    body.insert(body.end(), bmi.begin(), bmi.end());
    body.resize((body.size() + 3) & ~std::size_t{3}, 0);
    const auto bits = in_.slice(at + dibAt + bmiSize, bitsSize);
    body.insert(body.end(), bits.begin(), bits.end());
    out_.recordBytes(81, body);
    return true;
}

bool Converter::convert(std::uint16_t function, std::uint64_t at, std::uint64_t length) {
    auto one = [&](std::uint32_t emfType, bool wide32) {
        if (length < (wide32 ? 4u : 2u))
            return false;
        out_.record(emfType, {wide32 ? in_.u32(at) : std::uint32_t(in_.u16(at))});
        return true;
    };
    auto pair = [&](std::uint32_t emfType) { // y, x in the WMF record
        if (length < 4)
            return false;
        out_.record(emfType, {word(in_.i16(at + 2)), word(in_.i16(at))});
        return true;
    };
    switch (function) {
    case 0x0201:
        return one(25, true); // SETBKCOLOR
    case 0x0209:
        return one(24, true); // SETTEXTCOLOR
    case 0x0102:
        return one(18, false); // SETBKMODE
    case 0x0103:
        return one(17, false); // SETMAPMODE
    case 0x0104:
        return one(20, false); // SETROP2
    case 0x0106:
        return one(19, false); // SETPOLYFILLMODE
    case 0x012E:
        return one(22, false); // SETTEXTALIGN
    case 0x0107:
        return one(21, false); // SETSTRETCHBLTMODE
    case 0x020B:
        return pair(10); // SETWINDOWORG
    case 0x020C:
        return pair(9); // SETWINDOWEXT
    case 0x020D:
        return pair(12); // SETVIEWPORTORG
    case 0x020E:
        return pair(11); // SETVIEWPORTEXT
    case 0x0214:
        return pair(27); // MOVETO
    case 0x0213:
        return pair(54); // LINETO
    case 0x001E:
        out_.record(33, {});
        return true;
    case 0x0127:
        if (length < 2)
            return false;
        out_.record(34, {word(in_.i16(at))});
        return true;
    case 0x012D: // SELECTOBJECT
    case 0x01F0: // DELETEOBJECT
        if (length < 2)
            return false;
        if (function == 0x01F0)
            slots_.release(in_.u16(at));
        out_.record(function == 0x012D ? 37 : 40, {std::uint32_t(in_.u16(at)) + 1});
        return true;
    case 0x02FA: { // CREATEPENINDIRECT
        const auto slot = slots_.take();
        if (!slot || length < 10)
            return false;
        out_.record(38, {*slot + 1, in_.u16(at), word(in_.i16(at + 2)), word(in_.i16(at + 4)),
                         in_.u32(at + 6)});
        return true;
    }
    case 0x02FC: { // CREATEBRUSHINDIRECT
        const auto slot = slots_.take();
        if (!slot || length < 8)
            return false;
        out_.record(39, {*slot + 1, in_.u16(at), in_.u32(at + 2), in_.u16(at + 6)});
        return true;
    }
    case 0x0142: // DIBCREATEPATTERNBRUSH: a grey brush stands in for the pattern
    case 0x01F9: {
        const auto slot = slots_.take();
        if (!slot)
            return false;
        out_.record(39, {*slot + 1, 0, 0x808080, 0});
        return true;
    }
    case 0x00F7: // CREATEPALETTE and CREATEREGION take a slot that nothing draws with
    case 0x06FF:
        slots_.take();
        return false;
    case 0x02FB:
        return font(at, length);
    case 0x041B:
        return rectRecord(43, at, length, 4);
    case 0x0418:
        return rectRecord(42, at, length, 4);
    case 0x061C:
        return rectRecord(44, at, length, 6);
    case 0x0817:
        return rectRecord(45, at, length, 8);
    case 0x0830:
        return rectRecord(46, at, length, 8);
    case 0x081A:
        return rectRecord(47, at, length, 8);
    case 0x0416:
        return rectRecord(30, at, length, 4);
    case 0x0415:
        return rectRecord(29, at, length, 4);
    case 0x0324:
        return pointsRecord(86, at, length);
    case 0x0325:
        return pointsRecord(87, at, length);
    case 0x0538:
        return polyPolygon(at, length);
    case 0x0521:
        return textOut(at, length, false);
    case 0x0A32:
        return textOut(at, length, true);
    case 0x0F43:
    case 0x0B41:
    case 0x0940:
        return dib(function, at, length);
    default:
        return false;
    }
}

void writeHeader(std::vector<std::uint8_t>& emf, int frameWidth, int frameHeight,
                 std::uint32_t records, std::uint32_t handles) {
    // Frame in 0.01 mm from the picture size in device pixels.
    const auto himetric = [](int pixels) { return int(std::int64_t(pixels) * 2540 / 96); };
    std::vector<std::uint8_t> header(88, 0);
    auto put = [&](std::size_t at, std::uint32_t v) { std::memcpy(header.data() + at, &v, 4); };
    put(0, 1);
    put(4, 88);
    put(16, word(frameWidth - 1));
    put(20, word(frameHeight - 1));
    put(32, word(himetric(frameWidth) - 1));
    put(36, word(himetric(frameHeight) - 1));
    put(40, 0x464D4520u);
    put(44, 0x10000);
    put(48, static_cast<std::uint32_t>(emf.size() + 88));
    put(52, records + 1);
    put(56, handles);
    put(72, kDevicePixels);
    put(76, kDevicePixels);
    put(80, kDeviceMm);
    put(84, kDeviceMm);
    emf.insert(emf.begin(), header.begin(), header.end());
}

// The first window extent of the records, for a plain WMF without a picture size.
std::optional<std::pair<int, int>> firstWindowExtent(const Reader& in, std::uint64_t start) {
    for (std::uint64_t at = start; in.has(at, 6);) {
        const std::uint64_t size = std::uint64_t(in.u32(at)) * 2;
        if (size < 6 || !in.has(at, size))
            return std::nullopt;
        if (in.u16(at + 4) == 0x020C && size >= 10)
            return std::pair{int(in.i16(at + 8)), int(in.i16(at + 6))};
        at += size;
    }
    return std::nullopt;
}

} // namespace

WmfConversion convertWmfToEmf(std::span<const std::uint8_t> wmf, const WmfPicture* picture) {
    WmfConversion result;
    if (wmf.size() > kMaxWmfBytes)
        return result;
    const Reader in(wmf);
    const auto box = readPlaceableBox(wmf);
    const std::uint64_t start = box ? kPlaceableHeaderSize : 0;
    if (!in.has(start, kWmfHeaderSize))
        return result;
    const std::uint16_t type = in.u16(start);
    const std::uint16_t headerWords = in.u16(start + 2);
    if ((type != 1 && type != 2) || headerWords != 9)
        return result;
    const std::uint16_t objects = in.u16(start + 10);
    const std::uint64_t first = start + kWmfHeaderSize;

    // The picture: its logical box and its size in device pixels (96 per inch).
    int left = 0, top = 0, width = 0, height = 0, pixelsW = 0, pixelsH = 0;
    if (box) {
        if (box->empty() || box->unitsPerInch == 0)
            return result;
        left = box->left, top = box->top;
        width = box->right - box->left, height = box->bottom - box->top;
        pixelsW = int(std::int64_t(width) * 96 / box->unitsPerInch);
        pixelsH = int(std::int64_t(height) * 96 / box->unitsPerInch);
    } else {
        const auto extent = firstWindowExtent(in, first);
        if (!extent || extent->first == 0 || extent->second == 0)
            return result;
        width = std::abs(extent->first), height = std::abs(extent->second);
        if (picture && picture->widthHimetric > 0 && picture->heightHimetric > 0) {
            pixelsW = int(std::int64_t(picture->widthHimetric) * 96 / 2540);
            pixelsH = int(std::int64_t(picture->heightHimetric) * 96 / 2540);
        } else {
            pixelsW = width, pixelsH = height;
        }
    }
    // Output sizes are bounded before anything is drawn from them.
    if (pixelsW <= 0 || pixelsH <= 0 || pixelsW > kDevicePixels || pixelsH > kDevicePixels)
        return result;

    Converter converter(in, objects);
    EmfWriter& out = converter.out();
    out.record(17, {8}); // MM_ANISOTROPIC: the window maps onto the picture
    out.record(10, {word(left), word(top)});
    out.record(9, {word(width), word(height)});
    out.record(12, {0, 0});
    out.record(11, {word(pixelsW), word(pixelsH)});
    bool ended = false;
    for (std::uint64_t at = first; in.has(at, 6);) {
        const std::uint64_t size = std::uint64_t(in.u32(at)) * 2;
        if (size < 6 || !in.has(at, size))
            return {};
        const std::uint16_t function = in.u16(at + 4);
        if (function == 0) {
            ended = true;
            break;
        }
        // The mapping of the picture stays anisotropic, as the conversion of a sized WMF does.
        if (function != 0x0103 && !converter.convert(function, at + 6, size - 6))
            ++result.skipped;
        at += size;
    }
    if (!ended && out.records() <= 5)
        return {};
    out.record(14, {0, 0, 20});
    result.emf = std::move(out.bytes());
    writeHeader(result.emf, pixelsW, pixelsH, out.records(),
                static_cast<std::uint32_t>(std::min<std::size_t>(objects, 65534)) + 1);
    return result;
}

} // namespace kfm::metafile
