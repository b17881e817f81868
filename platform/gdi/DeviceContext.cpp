#include "DeviceContext.h"

#include "DibSection.h"

#include <QColor>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

using kfm::gdi::DeviceKind;

struct HBRUSH__ {
    COLORREF color = 0;
    int hatch = -1; // -1 solid
    bool null = false;
    bool stock = false;
    int selections = 0;
};

struct HPEN__ {
    COLORREF color = 0;
    bool null = false;
    bool stock = false;
    int selections = 0;
};

struct HPALETTE__ {
    std::vector<PALETTEENTRY> entries;
    bool stock = false;
    bool realized = false;
    int selections = 0;
};

struct HDC__ {
    DeviceKind kind = DeviceKind::RasterDisplay;
    QPainter* painter = nullptr; // painter DCs
    int painterBitsPerPixel = 32;
    bool memory = false;
    HBITMAP bitmap = nullptr;
    HBITMAP defaultBitmap = nullptr; // owned by memory DCs
    HBRUSH brush = nullptr;
    HPEN pen = nullptr;
    HPALETTE palette = nullptr;
    int stretchMode = BLACKONWHITE;
    COLORREF background = RGB(255, 255, 255);
};

namespace {

HBRUSH__& stockBrush(int object) {
    static HBRUSH__ white{RGB(255, 255, 255), -1, false, true, 0};
    static HBRUSH__ black{RGB(0, 0, 0), -1, false, true, 0};
    static HBRUSH__ none{0, -1, true, true, 0};
    switch (object) {
    case WHITE_BRUSH:
        return white;
    case BLACK_BRUSH:
        return black;
    default:
        return none;
    }
}

HPEN__& stockPen(int object) {
    static HPEN__ black{RGB(0, 0, 0), false, true, 0};
    static HPEN__ white{RGB(255, 255, 255), false, true, 0};
    static HPEN__ none{0, true, true, 0};
    switch (object) {
    case BLACK_PEN:
        return black;
    case WHITE_PEN:
        return white;
    default:
        return none;
    }
}

// The twenty static colours' frame of the system palette, black and white.
HPALETTE__& defaultPalette() {
    static HPALETTE__ palette{{{0, 0, 0, 0}, {255, 255, 255, 0}}, true, false, 0};
    return palette;
}

// Pixels of a DIB: header, colour table or masks, rows. Rows are addressed from the top.
struct DibPixels {
    const BITMAPINFOHEADER* header = nullptr;
    const RGBQUAD* colors = nullptr;
    const DWORD* masks = nullptr;
    std::uint8_t* bits = nullptr;
    int width = 0;
    int height = 0;
    int bpp = 0;
    bool bottomUp = true;
    std::uint32_t stride = 0;
    std::uint32_t colorCount = 0;

    std::uint8_t* row(int y) const {
        return bits + static_cast<std::size_t>(bottomUp ? height - 1 - y : y) * stride;
    }
    int index(int x, int y) const {
        const std::uint8_t* r = row(y);
        switch (bpp) {
        case 1:
            return (r[x >> 3] >> (7 - (x & 7))) & 1;
        case 4:
            return (r[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
        default:
            return r[x];
        }
    }
    void setIndex(int x, int y, int value) const {
        std::uint8_t* r = row(y);
        switch (bpp) {
        case 1: {
            const int shift = 7 - (x & 7);
            r[x >> 3] =
                static_cast<std::uint8_t>((r[x >> 3] & ~(1 << shift)) | ((value & 1) << shift));
            break;
        }
        case 4: {
            const int shift = (x & 1) ? 0 : 4;
            r[x >> 1] =
                static_cast<std::uint8_t>((r[x >> 1] & ~(15 << shift)) | ((value & 15) << shift));
            break;
        }
        default:
            r[x] = static_cast<std::uint8_t>(value);
        }
    }
    QRgb tableColor(int i) const {
        if (i < 0 || static_cast<std::uint32_t>(i) >= colorCount)
            return qRgb(0, 0, 0);
        return qRgb(colors[i].rgbRed, colors[i].rgbGreen, colors[i].rgbBlue);
    }
    QRgb rgb(int x, int y) const;
};

int channel(unsigned value, DWORD mask) {
    if (!mask)
        return 0;
    int shift = 0;
    while (!((mask >> shift) & 1))
        ++shift;
    int bits = 0;
    while (shift + bits < 32 && ((mask >> (shift + bits)) & 1))
        ++bits;
    const unsigned max = bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
    return static_cast<int>(((value & mask) >> shift) * 255u / max);
}

QRgb DibPixels::rgb(int x, int y) const {
    const std::uint8_t* r = row(y);
    switch (bpp) {
    case 1:
    case 4:
    case 8:
        return tableColor(index(x, y));
    case 16: {
        const unsigned v = r[2 * x] | (r[2 * x + 1] << 8);
        const DWORD rm = masks ? masks[0] : 0x7C00, gm = masks ? masks[1] : 0x03E0,
                    bm = masks ? masks[2] : 0x001F;
        return qRgb(channel(v, rm), channel(v, gm), channel(v, bm));
    }
    case 24:
        return qRgb(r[3 * x + 2], r[3 * x + 1], r[3 * x]);
    default: {
        const std::uint8_t* p = r + 4 * static_cast<std::size_t>(x);
        if (!masks)
            return qRgb(p[2], p[1], p[0]);
        const unsigned v = p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<unsigned>(p[3]) << 24);
        return qRgb(channel(v, masks[0]), channel(v, masks[1]), channel(v, masks[2]));
    }
    }
}

std::optional<DibPixels> pixelsOf(const BITMAPINFOHEADER* h, const void* colors, const void* bits) {
    if (!h || !bits || h->biWidth <= 0 || h->biHeight == 0)
        return std::nullopt;
    const int bpp = h->biBitCount;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        return std::nullopt;
    const bool bitfields = h->biCompression == BI_BITFIELDS && (bpp == 16 || bpp == 32);
    if (h->biCompression != BI_RGB && !bitfields)
        return std::nullopt;
    DibPixels p;
    p.header = h;
    p.bits = static_cast<std::uint8_t*>(const_cast<void*>(bits));
    p.width = h->biWidth;
    p.height = h->biHeight < 0 ? -h->biHeight : h->biHeight;
    p.bottomUp = h->biHeight > 0;
    p.bpp = bpp;
    p.stride = kfm::gdi::dibRowBytes(p.width, bpp);
    if (bpp <= 8) {
        const std::uint32_t full = 1u << bpp;
        p.colorCount = (h->biClrUsed && h->biClrUsed < full) ? h->biClrUsed : full;
        p.colors = static_cast<const RGBQUAD*>(colors);
        if (!p.colors)
            p.colorCount = 0;
    } else if (bitfields) {
        p.masks = static_cast<const DWORD*>(colors);
        if (!p.masks)
            return std::nullopt;
    }
    return p;
}

std::optional<DibPixels> pixelsOf(HBITMAP bitmap) {
    if (!bitmap || !bitmap->pixels)
        return std::nullopt;
    auto p = pixelsOf(&bitmap->header,
                      bitmap->header.biBitCount <= 8 ? static_cast<const void*>(bitmap->colors)
                                                     : static_cast<const void*>(bitmap->bitfields),
                      bitmap->pixels.get());
    if (p && p->bpp <= 8)
        p->colorCount = std::min<std::uint32_t>(p->colorCount, bitmap->colorCount);
    return p;
}

// Index of the table entry nearest to a colour (the first of equally near ones).
int nearestIndex(const DibPixels& table, QRgb c) {
    int best = 0;
    long bestDistance = -1;
    for (std::uint32_t i = 0; i < table.colorCount; ++i) {
        const long dr = qRed(c) - table.colors[i].rgbRed;
        const long dg = qGreen(c) - table.colors[i].rgbGreen;
        const long db = qBlue(c) - table.colors[i].rgbBlue;
        const long d = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || d < bestDistance) {
            bestDistance = d;
            best = static_cast<int>(i);
            if (d == 0)
                break;
        }
    }
    return best;
}

QRgb toQRgb(COLORREF c) {
    return qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

bool supportedRop(DWORD rop) {
    return rop == SRCCOPY || rop == SRCPAINT || rop == SRCAND || rop == SRCINVERT;
}

int combine(DWORD rop, int source, int target) {
    switch (rop) {
    case SRCPAINT:
        return source | target;
    case SRCAND:
        return source & target;
    case SRCINVERT:
        return source ^ target;
    default:
        return source;
    }
}

QPainter::CompositionMode compositionFor(DWORD rop) {
    switch (rop) {
    case SRCPAINT:
        return QPainter::RasterOp_SourceOrDestination;
    case SRCAND:
        return QPainter::RasterOp_SourceAndDestination;
    case SRCINVERT:
        return QPainter::RasterOp_SourceXorDestination;
    default:
        return QPainter::CompositionMode_Source;
    }
}

// A writable QImage over a 16-, 24- or 32-bit DIB's memory, rows as stored.
std::optional<QImage> targetView(const DibPixels& t) {
    QImage::Format format = QImage::Format_Invalid;
    if (t.bpp == 24)
        format = QImage::Format_BGR888;
    else if (t.bpp == 32 &&
             (!t.masks || (t.masks[0] == 0xFF0000 && t.masks[1] == 0xFF00 && t.masks[2] == 0xFF)))
        format = QImage::Format_RGB32;
    else if (t.bpp == 16 && !t.masks)
        format = QImage::Format_RGB555;
    else if (t.bpp == 16 && t.masks[0] == 0xF800 && t.masks[1] == 0x07E0 && t.masks[2] == 0x1F)
        format = QImage::Format_RGB16;
    if (format == QImage::Format_Invalid)
        return std::nullopt;
    return QImage(t.bits, t.width, t.height, static_cast<qsizetype>(t.stride), format);
}

// A QImage of a DIB's pixels, rows as stored: a view where Qt has the format, else a copy.
QImage sourceImage(const DibPixels& s) {
    auto table = [&s](int size) {
        QList<QRgb> colors(size, qRgb(0, 0, 0));
        for (int i = 0; i < size; ++i)
            colors[i] = s.tableColor(i);
        return colors;
    };
    const auto stride = static_cast<qsizetype>(s.stride);
    if (s.bpp == 1) {
        QImage image(s.bits, s.width, s.height, stride, QImage::Format_Mono);
        image.setColorTable(table(2));
        return image;
    }
    if (s.bpp == 8) {
        QImage image(s.bits, s.width, s.height, stride, QImage::Format_Indexed8);
        image.setColorTable(table(256));
        return image;
    }
    if (s.bpp >= 16) {
        if (auto view = targetView(s))
            return *view;
    }
    QImage copy(s.width, s.height, QImage::Format_RGB32);
    for (int r = 0; r < s.height; ++r) {
        auto* line = reinterpret_cast<QRgb*>(copy.scanLine(r));
        const int y = s.bottomUp ? s.height - 1 - r : r; // stored row r
        for (int x = 0; x < s.width; ++x)
            line[x] = s.rgb(x, y);
    }
    return copy;
}

// GDI leaves the fourth byte of 32-bit pixels 0; QPainter writes 255 there.
void clearFourthByte(const DibPixels& t, QRect stored) {
    if (t.bpp != 32)
        return;
    stored &= QRect(0, 0, t.width, t.height);
    for (int r = stored.top(); r <= stored.bottom(); ++r) {
        std::uint8_t* line = t.bits + static_cast<std::size_t>(r) * t.stride;
        for (int x = stored.left(); x <= stored.right(); ++x)
            line[4 * x + 3] = 0;
    }
}

struct Rect {
    double x0, y0, x1, y1;
};

// Cuts the source rectangle to the picture and the target rectangle in proportion.
bool clipToSource(Rect& target, Rect& source, int width, int height) {
    const double kx = (target.x1 - target.x0) / (source.x1 - source.x0);
    const double ky = (target.y1 - target.y0) / (source.y1 - source.y0);
    if (source.x0 < 0) {
        target.x0 -= source.x0 * kx;
        source.x0 = 0;
    }
    if (source.y0 < 0) {
        target.y0 -= source.y0 * ky;
        source.y0 = 0;
    }
    if (source.x1 > width) {
        target.x1 -= (source.x1 - width) * kx;
        source.x1 = width;
    }
    if (source.y1 > height) {
        target.y1 -= (source.y1 - height) * ky;
        source.y1 = height;
    }
    return source.x1 > source.x0 && source.y1 > source.y0;
}

QRectF toQRect(const Rect& r) {
    return QRectF(r.x0, r.y0, r.x1 - r.x0, r.y1 - r.y0);
}

// Draws source (in the image's stored row order) into target (painter coordinates); flip turns
// the picture upside down within the target.
void paintImage(QPainter& painter, const Rect& target, const QImage& image, const Rect& source,
                bool flip, DWORD rop) {
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setCompositionMode(compositionFor(rop));
    if (flip) {
        painter.translate(0, target.y0 + target.y1);
        painter.scale(1, -1);
    }
    painter.drawImage(toQRect(target), image, toQRect(source));
    painter.restore();
}

// Stored-row rectangle of a top-down rectangle of a picture.
Rect storedRows(const Rect& r, const DibPixels& p) {
    if (!p.bottomUp)
        return r;
    return Rect{r.x0, p.height - r.y1, r.x1, p.height - r.y0};
}

struct Stretch {
    int x, y, width, height;
    int srcX, srcY, srcWidth, srcHeight;
};

// Nearest source coordinate of a target pixel: the pixel whose area holds the target centre.
int nearest(int offset, int source, int sourceSize, int targetSize) {
    const std::int64_t num = (2 * static_cast<std::int64_t>(offset) + 1) * sourceSize;
    const std::int64_t den = 2 * static_cast<std::int64_t>(targetSize);
    return source + static_cast<int>(num / den);
}

// Our own stretch into a palette target, keeping indices where the colours agree.
void stretchIndexed(const DibPixels& t, const DibPixels& s, const Stretch& st, DWORD rop,
                    bool halftone) {
    int map[256];
    if (s.bpp <= 8) {
        for (int i = 0; i < 256; ++i) {
            const QRgb c = s.tableColor(i);
            map[i] = (static_cast<std::uint32_t>(i) < t.colorCount && t.tableColor(i) == c)
                         ? i
                         : nearestIndex(t, c);
        }
    }
    std::unordered_map<QRgb, int> matched;
    auto match = [&](QRgb c) {
        auto it = matched.find(c);
        if (it != matched.end())
            return it->second;
        const int i = nearestIndex(t, c);
        matched.emplace(c, i);
        return i;
    };
    const double kx = static_cast<double>(st.srcWidth) / st.width;
    const double ky = static_cast<double>(st.srcHeight) / st.height;
    const int mask = (1 << t.bpp) - 1;
    const int yEnd = std::min(t.height, st.y + st.height);
    const int xStart = std::max(0, st.x);
    const int xEnd = std::min(t.width, st.x + st.width);
    if (xStart >= xEnd)
        return;
    // The source column of each target column, -1 where it lies outside the picture.
    std::vector<int> columns(static_cast<std::size_t>(xEnd - xStart));
    for (int px = xStart; px < xEnd; ++px) {
        const int u = nearest(px - st.x, st.srcX, st.srcWidth, st.width);
        columns[static_cast<std::size_t>(px - xStart)] = u >= 0 && u < s.width ? u : -1;
    }
    // Byte rows copied through the index map: one table look-up a pixel.
    const bool byteRows = s.bpp == 8 && t.bpp == 8 && rop == SRCCOPY;
    for (int py = std::max(0, st.y); py < yEnd; ++py) {
        const int v = nearest(py - st.y, st.srcY, st.srcHeight, st.height);
        if (v < 0 || v >= s.height)
            continue;
        if (byteRows) {
            const std::uint8_t* from = s.row(v);
            std::uint8_t* to = t.row(py);
            for (int px = xStart; px < xEnd; ++px) {
                const int u = columns[static_cast<std::size_t>(px - xStart)];
                if (u >= 0)
                    to[px] = static_cast<std::uint8_t>(map[from[u]]);
            }
            continue;
        }
        for (int px = xStart; px < xEnd; ++px) {
            const int u = columns[static_cast<std::size_t>(px - xStart)];
            if (u < 0)
                continue;
            int value;
            if (s.bpp <= 8) {
                value = map[s.index(u, v)];
            } else if (halftone && (kx > 1 || ky > 1)) {
                const int u0 = std::clamp(static_cast<int>(std::floor(st.srcX + (px - st.x) * kx)),
                                          0, s.width - 1);
                const int u1 = std::clamp(
                    static_cast<int>(std::ceil(st.srcX + (px - st.x + 1) * kx)), u0 + 1, s.width);
                const int v0 = std::clamp(static_cast<int>(std::floor(st.srcY + (py - st.y) * ky)),
                                          0, s.height - 1);
                const int v1 = std::clamp(
                    static_cast<int>(std::ceil(st.srcY + (py - st.y + 1) * ky)), v0 + 1, s.height);
                long r = 0, g = 0, b = 0;
                for (int yy = v0; yy < v1; ++yy)
                    for (int xx = u0; xx < u1; ++xx) {
                        const QRgb c = s.rgb(xx, yy);
                        r += qRed(c);
                        g += qGreen(c);
                        b += qBlue(c);
                    }
                const long n = static_cast<long>(u1 - u0) * (v1 - v0);
                value =
                    match(qRgb(static_cast<int>((r + n / 2) / n), static_cast<int>((g + n / 2) / n),
                               static_cast<int>((b + n / 2) / n)));
            } else {
                value = match(s.rgb(u, v));
            }
            t.setIndex(px, py, combine(rop, value, t.index(px, py)) & mask);
        }
    }
}

BOOL stretchInto(HDC dc, const Stretch& st, const DibPixels& s, DWORD rop, bool halftone) {
    if (!dc || st.width <= 0 || st.height <= 0 || st.srcWidth <= 0 || st.srcHeight <= 0 ||
        !supportedRop(rop))
        return FALSE;
    Rect target{double(st.x), double(st.y), double(st.x + st.width), double(st.y + st.height)};
    Rect source{double(st.srcX), double(st.srcY), double(st.srcX + st.srcWidth),
                double(st.srcY + st.srcHeight)};
    if (dc->painter) {
        if (clipToSource(target, source, s.width, s.height))
            paintImage(*dc->painter, target, sourceImage(s), storedRows(source, s), s.bottomUp,
                       rop);
        return TRUE;
    }
    auto t = pixelsOf(dc->bitmap);
    if (!t)
        return FALSE;
    if (t->bpp <= 8) {
        stretchIndexed(*t, s, st, rop, halftone);
        return TRUE;
    }
    auto view = targetView(*t);
    if (!view)
        return FALSE;
    if (!clipToSource(target, source, s.width, s.height))
        return TRUE;
    const Rect stored = storedRows(target, *t);
    {
        QPainter painter(&*view);
        paintImage(painter, stored, sourceImage(s), storedRows(source, s),
                   s.bottomUp != t->bottomUp, rop);
    }
    clearFourthByte(*t, toQRect(stored).toAlignedRect());
    return TRUE;
}

bool hatchBit(int style, int x, int y) {
    const int cx = x & 7;
    const int cy = y & 7;
    switch (style) {
    case HS_HORIZONTAL:
        return cy == 0;
    case HS_VERTICAL:
        return cx == 0;
    case HS_FDIAGONAL:
        return cx == cy;
    case HS_BDIAGONAL:
        return cx + cy == 7;
    case HS_CROSS:
        return cx == 0 || cy == 0;
    default:
        return cx == cy || cx + cy == 7;
    }
}

QBrush qtBrush(const HBRUSH__& brush, COLORREF background) {
    if (brush.hatch < 0)
        return QBrush(QColor(toQRgb(brush.color)));
    QImage pattern(8, 8, QImage::Format_RGB32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            pattern.setPixel(
                x, y, hatchBit(brush.hatch, x, y) ? toQRgb(brush.color) : toQRgb(background));
    return QBrush(pattern);
}

// Fills [left, right) x [top, bottom) of the DC with a brush, in device coordinates.
void fillArea(HDC dc, const HBRUSH__& brush, int left, int top, int right, int bottom) {
    if (brush.null || right <= left || bottom <= top)
        return;
    if (dc->painter) {
        dc->painter->save();
        dc->painter->setBrushOrigin(0, 0);
        dc->painter->fillRect(QRect(left, top, right - left, bottom - top),
                              qtBrush(brush, dc->background));
        dc->painter->restore();
        return;
    }
    auto t = pixelsOf(dc->bitmap);
    if (!t)
        return;
    if (t->bpp <= 8) {
        const int ink = nearestIndex(*t, toQRgb(brush.color));
        const int paper = nearestIndex(*t, toQRgb(dc->background));
        for (int y = std::max(0, top); y < std::min(bottom, t->height); ++y)
            for (int x = std::max(0, left); x < std::min(right, t->width); ++x)
                t->setIndex(x, y, brush.hatch < 0 || hatchBit(brush.hatch, x, y) ? ink : paper);
        return;
    }
    auto view = targetView(*t);
    if (!view)
        return;
    {
        QPainter painter(&*view);
        if (t->bottomUp) {
            painter.translate(0, t->height);
            painter.scale(1, -1);
        }
        painter.fillRect(QRect(left, top, right - left, bottom - top),
                         qtBrush(brush, dc->background));
    }
    const Rect stored =
        storedRows(Rect{double(left), double(top), double(right), double(bottom)}, *t);
    clearFourthByte(*t, toQRect(stored).toAlignedRect());
}

HBITMAP makeDefaultBitmap() {
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[2];
    } info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = 1;
    info.header.biHeight = 1;
    info.header.biPlanes = 1;
    info.header.biBitCount = 1;
    info.header.biClrUsed = 2;
    info.colors[1] = RGBQUAD{255, 255, 255, 0};
    return CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS,
                            nullptr, nullptr, 0);
}

template <class Object> void reselect(Object*& slot, Object* next) {
    if (slot)
        --slot->selections;
    slot = next;
    if (slot)
        ++slot->selections;
}

void initDefaults(HDC dc) {
    reselect(dc->brush, &stockBrush(WHITE_BRUSH));
    reselect(dc->pen, &stockPen(BLACK_PEN));
    reselect(dc->palette, &defaultPalette());
}

} // namespace

namespace kfm::gdi {

HDC createPainterDC(QPainter* painter, DeviceKind kind, int bitsPerPixel) {
    if (!painter)
        return nullptr;
    auto dc = std::make_unique<HDC__>();
    dc->kind = kind;
    dc->painter = painter;
    dc->painterBitsPerPixel = bitsPerPixel;
    initDefaults(dc.get());
    return dc.release();
}

HBITMAP currentBitmap(HDC dc) {
    return dc ? dc->bitmap : nullptr;
}
HBRUSH currentBrush(HDC dc) {
    return dc ? dc->brush : nullptr;
}
HPEN currentPen(HDC dc) {
    return dc ? dc->pen : nullptr;
}
HPALETTE currentPalette(HDC dc) {
    return dc ? dc->palette : nullptr;
}
int paletteSize(HPALETTE palette) {
    return palette ? static_cast<int>(palette->entries.size()) : 0;
}

BOOL stretchDibToDC(HDC dc, int x, int y, int width, int height, const BITMAPINFOHEADER* header,
                    const void* colors, const void* bits, int srcX, int srcY, int srcWidth,
                    int srcHeight, DWORD rop, bool halftone) {
    const auto source = pixelsOf(header, colors, bits);
    if (!source)
        return FALSE;
    return stretchInto(dc, Stretch{x, y, width, height, srcX, srcY, srcWidth, srcHeight}, *source,
                       rop, halftone);
}

bool paintOnDC(HDC dc, const std::function<void(QPainter&)>& draw) {
    if (!dc)
        return false;
    if (dc->painter) {
        dc->painter->save();
        draw(*dc->painter);
        dc->painter->restore();
        return true;
    }
    auto t = pixelsOf(dc->bitmap);
    if (!t || t->bpp <= 8)
        return false;
    auto view = targetView(*t);
    if (!view)
        return false;
    {
        QPainter painter(&*view);
        if (t->bottomUp) // the view holds the rows as stored: turn it the picture's way up
            painter.setTransform(QTransform(1, 0, 0, -1, 0, t->height));
        draw(painter);
    }
    clearFourthByte(*t, QRect(0, 0, t->width, t->height));
    return true;
}

QImage dibStoredRows(const BITMAPINFOHEADER* header, const void* colors, const void* bits) {
    const auto pixels = pixelsOf(header, colors, bits);
    return pixels ? sourceImage(*pixels) : QImage();
}

} // namespace kfm::gdi

HDC CreateCompatibleDC(HDC reference) {
    auto dc = std::make_unique<HDC__>();
    dc->kind = reference ? reference->kind : DeviceKind::RasterDisplay;
    dc->memory = true;
    dc->defaultBitmap = makeDefaultBitmap();
    if (!dc->defaultBitmap)
        return nullptr;
    dc->bitmap = dc->defaultBitmap;
    initDefaults(dc.get());
    return dc.release();
}

BOOL DeleteDC(HDC dc) {
    if (!dc)
        return FALSE;
    reselect(dc->brush, static_cast<HBRUSH>(nullptr));
    reselect(dc->pen, static_cast<HPEN>(nullptr));
    reselect(dc->palette, static_cast<HPALETTE>(nullptr));
    DeleteBitmap(dc->defaultBitmap);
    delete dc;
    return TRUE;
}

int GetDeviceCaps(HDC dc, int index) {
    if (!dc)
        return 0;
    switch (index) {
    case TECHNOLOGY:
        return static_cast<int>(dc->kind);
    case BITSPIXEL:
        if (dc->memory)
            return dc->bitmap ? dc->bitmap->header.biBitCount : 0;
        return dc->painterBitsPerPixel;
    default:
        return 0;
    }
}

BOOL GdiFlush() {
    return TRUE;
}

int SetStretchBltMode(HDC dc, int mode) {
    if (!dc || mode < BLACKONWHITE || mode > HALFTONE)
        return 0;
    const int previous = dc->stretchMode;
    dc->stretchMode = mode;
    return previous;
}

int GetStretchBltMode(HDC dc) {
    return dc ? dc->stretchMode : 0;
}

COLORREF SetBkColor(HDC dc, COLORREF color) {
    if (!dc)
        return 0xFFFFFFFFu;
    const COLORREF previous = dc->background;
    dc->background = color;
    return previous;
}

HBITMAP SelectBitmap(HDC dc, HBITMAP bitmap) {
    if (!dc || !dc->memory || !bitmap)
        return nullptr;
    const HBITMAP previous = dc->bitmap;
    dc->bitmap = bitmap;
    return previous;
}

HBRUSH SelectBrush(HDC dc, HBRUSH brush) {
    if (!dc || !brush)
        return nullptr;
    const HBRUSH previous = dc->brush;
    reselect(dc->brush, brush);
    return previous;
}

HPEN SelectPen(HDC dc, HPEN pen) {
    if (!dc || !pen)
        return nullptr;
    const HPEN previous = dc->pen;
    reselect(dc->pen, pen);
    return previous;
}

HPALETTE SelectPalette(HDC dc, HPALETTE palette, BOOL) {
    if (!dc || !palette)
        return nullptr;
    const HPALETTE previous = dc->palette;
    reselect(dc->palette, palette);
    return previous;
}

UINT RealizePalette(HDC dc) {
    if (!dc)
        return GDI_ERROR;
    if (GetDeviceCaps(dc, BITSPIXEL) > 8 || !dc->palette)
        return 0;
    dc->palette->realized = true;
    return static_cast<UINT>(dc->palette->entries.size());
}

HBRUSH CreateSolidBrush(COLORREF color) {
    return new HBRUSH__{color, -1, false, false, 0};
}

HBRUSH CreateHatchBrush(int style, COLORREF color) {
    if (style < HS_HORIZONTAL || style > HS_DIAGCROSS)
        return nullptr;
    return new HBRUSH__{color, style, false, false, 0};
}

HPEN CreatePen(int style, int, COLORREF color) {
    constexpr int PS_NULL = 5;
    return new HPEN__{color, style == PS_NULL, false, 0};
}

HPALETTE CreatePalette(const LOGPALETTE* palette) {
    if (!palette || palette->palNumEntries == 0)
        return nullptr;
    auto* result = new HPALETTE__;
    result->entries.assign(palette->palPalEntry, palette->palPalEntry + palette->palNumEntries);
    return result;
}

HBRUSH GetStockBrush(int object) {
    return &stockBrush(object);
}
HPEN GetStockPen(int object) {
    return &stockPen(object);
}
HPALETTE GetStockPalette(int object) {
    return object == DEFAULT_PALETTE ? &defaultPalette() : nullptr;
}

BOOL DeleteBrush(HBRUSH brush) {
    if (!brush || brush->selections > 0)
        return brush && brush->stock ? TRUE : FALSE;
    if (!brush->stock)
        delete brush;
    return TRUE;
}

BOOL DeletePen(HPEN pen) {
    if (!pen || pen->selections > 0)
        return pen && pen->stock ? TRUE : FALSE;
    if (!pen->stock)
        delete pen;
    return TRUE;
}

BOOL DeletePalette(HPALETTE palette) {
    if (!palette || palette->selections > 0)
        return palette && palette->stock ? TRUE : FALSE;
    if (!palette->stock)
        delete palette;
    return TRUE;
}

BOOL UnrealizeObject(HPALETTE palette) {
    if (!palette)
        return FALSE;
    palette->realized = false;
    return TRUE;
}

BOOL Rectangle(HDC dc, int left, int top, int right, int bottom) {
    if (!dc || !dc->brush || !dc->pen)
        return FALSE;
    if (right < left)
        std::swap(left, right);
    if (bottom < top)
        std::swap(top, bottom);
    if (dc->pen->null) {
        fillArea(dc, *dc->brush, left, top, right - 1, bottom - 1);
        return TRUE;
    }
    fillArea(dc, *dc->brush, left + 1, top + 1, right - 1, bottom - 1);
    const HBRUSH__ ink{dc->pen->color, -1, false, true, 0};
    fillArea(dc, ink, left, top, right, std::min(top + 1, bottom));
    fillArea(dc, ink, left, std::max(bottom - 1, top), right, bottom);
    fillArea(dc, ink, left, top, std::min(left + 1, right), bottom);
    fillArea(dc, ink, std::max(right - 1, left), top, right, bottom);
    return TRUE;
}

int FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
    if (!dc || !rect || !brush)
        return 0;
    fillArea(dc, *brush, rect->left, rect->top, rect->right, rect->bottom);
    return 1;
}

BOOL BitBlt(HDC dc, int x, int y, int width, int height, HDC source, int srcX, int srcY,
            DWORD rop) {
    return StretchBlt(dc, x, y, width, height, source, srcX, srcY, width, height, rop);
}

BOOL StretchBlt(HDC dc, int x, int y, int width, int height, HDC source, int srcX, int srcY,
                int srcWidth, int srcHeight, DWORD rop) {
    if (!source || !source->memory)
        return FALSE;
    const auto pixels = pixelsOf(source->bitmap);
    if (!pixels)
        return FALSE;
    return stretchInto(dc, Stretch{x, y, width, height, srcX, srcY, srcWidth, srcHeight}, *pixels,
                       rop, false);
}

int StretchDIBits(HDC dc, int x, int y, int width, int height, int srcX, int srcY, int srcWidth,
                  int srcHeight, const void* bits, const BITMAPINFO* info, UINT, DWORD rop) {
    if (!info)
        return 0;
    const auto source = pixelsOf(&info->bmiHeader, info->bmiColors, bits);
    if (!source)
        return 0;
    // GDI counts the source rectangle of a bottom-up DIB from its bottom row.
    const int top = source->bottomUp ? source->height - srcY - srcHeight : srcY;
    if (!stretchInto(dc, Stretch{x, y, width, height, srcX, top, srcWidth, srcHeight}, *source, rop,
                     false))
        return 0;
    return srcHeight;
}
