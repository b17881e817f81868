#include "EmfPlayer.h"

#include <QBrush>
#include <QByteArray>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <variant>
#include <vector>

namespace kfm::metafile {

namespace {

// Record types the player knows.
enum : std::uint32_t {
    EMR_HEADER = 1,
    EMR_POLYBEZIER = 2,
    EMR_POLYGON = 3,
    EMR_POLYLINE = 4,
    EMR_POLYBEZIERTO = 5,
    EMR_POLYLINETO = 6,
    EMR_POLYPOLYLINE = 7,
    EMR_POLYPOLYGON = 8,
    EMR_SETWINDOWEXTEX = 9,
    EMR_SETWINDOWORGEX = 10,
    EMR_SETVIEWPORTEXTEX = 11,
    EMR_SETVIEWPORTORGEX = 12,
    EMR_SETBRUSHORGEX = 13,
    EMR_EOF = 14,
    EMR_SETMAPPERFLAGS = 16,
    EMR_SETMAPMODE = 17,
    EMR_SETBKMODE = 18,
    EMR_SETPOLYFILLMODE = 19,
    EMR_SETROP2 = 20,
    EMR_SETSTRETCHBLTMODE = 21,
    EMR_SETTEXTALIGN = 22,
    EMR_SETTEXTCOLOR = 24,
    EMR_SETBKCOLOR = 25,
    EMR_MOVETOEX = 27,
    EMR_EXCLUDECLIPRECT = 29,
    EMR_INTERSECTCLIPRECT = 30,
    EMR_SAVEDC = 33,
    EMR_RESTOREDC = 34,
    EMR_SETWORLDTRANSFORM = 35,
    EMR_MODIFYWORLDTRANSFORM = 36,
    EMR_SELECTOBJECT = 37,
    EMR_CREATEPEN = 38,
    EMR_CREATEBRUSHINDIRECT = 39,
    EMR_DELETEOBJECT = 40,
    EMR_ELLIPSE = 42,
    EMR_RECTANGLE = 43,
    EMR_ROUNDRECT = 44,
    EMR_ARC = 45,
    EMR_CHORD = 46,
    EMR_PIE = 47,
    EMR_LINETO = 54,
    EMR_ARCTO = 55,
    EMR_SETMITERLIMIT = 58,
    EMR_BEGINPATH = 59,
    EMR_ENDPATH = 60,
    EMR_CLOSEFIGURE = 61,
    EMR_FILLPATH = 62,
    EMR_STROKEANDFILLPATH = 63,
    EMR_STROKEPATH = 64,
    EMR_SELECTCLIPPATH = 67,
    EMR_ABORTPATH = 68,
    EMR_GDICOMMENT = 70,
    EMR_EXTSELECTCLIPRGN = 75,
    EMR_BITBLT = 76,
    EMR_STRETCHDIBITS = 81,
    EMR_EXTCREATEFONTINDIRECTW = 82,
    EMR_EXTTEXTOUTA = 83,
    EMR_EXTTEXTOUTW = 84,
    EMR_POLYBEZIER16 = 85,
    EMR_POLYGON16 = 86,
    EMR_POLYLINE16 = 87,
    EMR_POLYBEZIERTO16 = 88,
    EMR_POLYLINETO16 = 89,
    EMR_POLYPOLYLINE16 = 90,
    EMR_POLYPOLYGON16 = 91,
    EMR_EXTCREATEPEN = 95,
};

constexpr std::uint32_t kEmfSignature = 0x464D4520u; // " EMF"
constexpr std::size_t kHeaderMinimum = 88;
constexpr int kMaxSavedStates = 1024;
// A DIB inside a record is decoded only up to this many pixels.
constexpr std::int64_t kMaxDibPixels = 4096 * 4096;

// One record's bytes; every read is checked against them.
class Record {
public:
    explicit Record(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::uint32_t type() const { return u32(0).value_or(0); }
    std::size_t size() const { return bytes_.size(); }
    bool has(std::uint64_t offset, std::uint64_t length) const {
        return offset <= bytes_.size() && length <= bytes_.size() - offset;
    }
    std::optional<std::uint32_t> u32(std::uint64_t offset) const {
        if (!has(offset, 4))
            return std::nullopt;
        std::uint32_t v;
        std::memcpy(&v, bytes_.data() + offset, 4);
        return v;
    }
    std::optional<std::int32_t> i32(std::uint64_t offset) const {
        const auto v = u32(offset);
        return v ? std::optional<std::int32_t>(static_cast<std::int32_t>(*v)) : std::nullopt;
    }
    std::int16_t i16At(std::uint64_t offset) const { // caller checked has()
        std::int16_t v;
        std::memcpy(&v, bytes_.data() + offset, 2);
        return v;
    }
    std::int32_t i32At(std::uint64_t offset) const { return *i32(offset); }
    float f32At(std::uint64_t offset) const {
        float v;
        std::memcpy(&v, bytes_.data() + offset, 4);
        return std::isfinite(v) ? v : 0.0f;
    }
    std::span<const std::uint8_t> slice(std::uint64_t offset, std::uint64_t length) const {
        return bytes_.subspan(offset, length);
    }

private:
    std::span<const std::uint8_t> bytes_;
};

QColor colorFrom(std::uint32_t colorref) {
    return QColor(colorref & 0xFF, (colorref >> 8) & 0xFF, (colorref >> 16) & 0xFF);
}

struct PenObject {
    QPen pen;
    bool null = false;
};
struct BrushObject {
    QBrush brush;
    bool null = false;
};
struct FontObject {
    int height = 0;
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    int escapement = 0; // tenths of a degree
    QString face;
};
using GdiObject = std::variant<std::monostate, PenObject, BrushObject, FontObject>;

// The device context state that SaveDC keeps.
struct DcState {
    int mapMode = 1;
    QPointF windowOrg{0, 0}, viewportOrg{0, 0};
    QSizeF windowExt{1, 1}, viewportExt{1, 1};
    QTransform world;
    PenObject pen{QPen(Qt::black, 0), false};
    BrushObject brush{QBrush(Qt::white), false};
    FontObject font;
    QColor textColor = Qt::black;
    QColor bkColor = Qt::white;
    bool opaqueBackground = true;
    std::uint32_t textAlign = 0;
    std::uint32_t rop2 = 13;
    Qt::FillRule fillRule = Qt::OddEvenFill;
    QPointF current{0, 0};
    std::optional<QPainterPath> clip; // target coordinates
};

QPen penFor(std::uint32_t style, double width, QColor color) {
    if ((style & 0xF) == 5)
        return QPen(Qt::NoPen);
    QPen pen(color, width);
    if (width <= 0)
        pen.setCosmetic(true), pen.setWidth(0);
    static constexpr Qt::PenStyle kStyles[] = {Qt::SolidLine,   Qt::DashLine,       Qt::DotLine,
                                               Qt::DashDotLine, Qt::DashDotDotLine, Qt::NoPen,
                                               Qt::SolidLine};
    const std::uint32_t dash = style & 0xF;
    pen.setStyle(dash < std::size(kStyles) ? kStyles[dash] : Qt::SolidLine);
    const std::uint32_t cap = style & 0xF00;
    pen.setCapStyle(cap == 0x100 ? Qt::SquareCap : cap == 0x200 ? Qt::FlatCap : Qt::RoundCap);
    const std::uint32_t join = style & 0xF000;
    pen.setJoinStyle(join == 0x1000   ? Qt::BevelJoin
                     : join == 0x2000 ? Qt::MiterJoin
                                      : Qt::RoundJoin);
    return pen;
}

BrushObject brushFor(std::uint32_t style, QColor color, std::uint32_t hatch) {
    if (style == 1)
        return {QBrush(Qt::NoBrush), true};
    if (style == 2) {
        static constexpr Qt::BrushStyle kHatches[] = {Qt::HorPattern,   Qt::VerPattern,
                                                      Qt::FDiagPattern, Qt::BDiagPattern,
                                                      Qt::CrossPattern, Qt::DiagCrossPattern};
        return {QBrush(color, hatch < std::size(kHatches) ? kHatches[hatch] : Qt::SolidPattern),
                false};
    }
    return {QBrush(color), false};
}

// The stock objects that SelectObject names with the high bit set.
GdiObject stockObject(std::uint32_t index) {
    switch (index) {
    case 0:
        return BrushObject{QBrush(Qt::white), false};
    case 1:
        return BrushObject{QBrush(QColor(192, 192, 192)), false};
    case 2:
        return BrushObject{QBrush(QColor(128, 128, 128)), false};
    case 3:
        return BrushObject{QBrush(QColor(64, 64, 64)), false};
    case 4:
        return BrushObject{QBrush(Qt::black), false};
    case 5:
        return BrushObject{QBrush(Qt::NoBrush), true};
    case 6:
        return PenObject{penFor(0, 0, Qt::white), false};
    case 7:
        return PenObject{penFor(0, 0, Qt::black), false};
    case 8:
        return PenObject{QPen(Qt::NoPen), true};
    default:
        if (index >= 10 && index <= 17)
            return FontObject{};
        return std::monostate{};
    }
}

// Decodes a DIB (BITMAPINFO and bits) by giving Qt's BMP reader a file header in front.
QImage decodeDib(const Record& rec, std::uint32_t offBmi, std::uint32_t cbBmi,
                 std::uint32_t offBits, std::uint32_t cbBits) {
    if (cbBmi < 40 || !rec.has(offBmi, cbBmi) || !rec.has(offBits, cbBits))
        return {};
    const auto width = *rec.i32(offBmi + 4);
    const auto height = *rec.i32(offBmi + 8);
    if (width <= 0 || height == 0 || height == INT32_MIN)
        return {};
    if (std::int64_t{width} * std::abs(std::int64_t{height}) > kMaxDibPixels)
        return {};
    QByteArray file;
    const std::uint32_t total = 14 + cbBmi + cbBits;
    file.reserve(total);
    const std::uint32_t dataOffset = 14 + cbBmi;
    const char header[14] = {'B',
                             'M',
                             char(total & 0xFF),
                             char((total >> 8) & 0xFF),
                             char((total >> 16) & 0xFF),
                             char(total >> 24),
                             0,
                             0,
                             0,
                             0,
                             char(dataOffset & 0xFF),
                             char((dataOffset >> 8) & 0xFF),
                             char((dataOffset >> 16) & 0xFF),
                             char(dataOffset >> 24)};
    file.append(header, 14);
    const auto bmi = rec.slice(offBmi, cbBmi);
    const auto bits = rec.slice(offBits, cbBits);
    file.append(reinterpret_cast<const char*>(bmi.data()), static_cast<qsizetype>(bmi.size()));
    file.append(reinterpret_cast<const char*>(bits.data()), static_cast<qsizetype>(bits.size()));
    return QImage::fromData(file, "BMP");
}

class Player {
public:
    Player(QPainter& painter, const EmfHeaderInfo& header, const QRectF& target)
        : painter_(painter), header_(header), target_(target),
          objects_(std::min<std::uint32_t>(header.handleCount, 65536)) {
        const QRectF frame = header.framePixels();
        deviceToTarget_ = QTransform::fromTranslate(-frame.left(), -frame.top()) *
                          QTransform::fromScale(target.width() / frame.width(),
                                                target.height() / frame.height()) *
                          QTransform::fromTranslate(target.left(), target.top());
        baseTransform_ = painter.transform();
    }

    // Returns false when the record is too short for its fields; -1 when it is unknown.
    int play(const Record& rec);

private:
    QTransform pageTransform() const;
    QTransform logicalToPainter() const {
        return state_.world * pageTransform() * deviceToTarget_ * baseTransform_;
    }
    void applyClip();
    void drawPath(const QPainterPath& path, bool fill, bool stroke);
    bool useRop(); // false when the mode draws nothing
    void addOrDraw(const QPainterPath& path, bool fill, bool stroke);

    bool polyPoints(const Record& rec, bool wide, int kind);
    bool polyPoly(const Record& rec, bool wide, bool closed);
    bool rectShape(const Record& rec, int kind);
    bool arcShape(const Record& rec, int kind);
    bool text(const Record& rec, bool wide);
    bool createFont(const Record& rec);
    bool selectObject(const Record& rec);
    bool clipRegion(const Record& rec);
    bool stretchDib(const Record& rec);
    void drawImagePart(const QRectF& dest, const QRectF& source, const QImage& image);
    bool bitBlt(const Record& rec);
    bool restoreDc(const Record& rec);
    bool modifyWorld(const Record& rec, bool set);
    void combineClip(const QPainterPath& shape, int mode);
    QPointF readPoint(const Record& rec, std::uint64_t offset, bool wide) const {
        return wide ? QPointF(rec.i32At(offset), rec.i32At(offset + 4))
                    : QPointF(rec.i16At(offset), rec.i16At(offset + 2));
    }
    QRectF readRect(const Record& rec, std::uint64_t offset) const {
        const QPointF a(rec.i32At(offset), rec.i32At(offset + 4));
        const QPointF b(rec.i32At(offset + 8), rec.i32At(offset + 12));
        return QRectF(a, b).normalized();
    }
    GdiObject* objectAt(std::uint32_t index) {
        return index < objects_.size() ? &objects_[index] : nullptr;
    }

    QPainter& painter_;
    EmfHeaderInfo header_;
    QRectF target_;
    QTransform deviceToTarget_;
    QTransform baseTransform_;
    DcState state_;
    std::vector<DcState> saved_;
    std::vector<GdiObject> objects_;
    std::optional<QPainterPath> path_; // open path bracket, logical coordinates
    bool pathDone_ = false;
    QPainterPath closedPath_;
};

QTransform Player::pageTransform() const {
    const DcState& s = state_;
    double sx = 1, sy = 1;
    const double pxPerMmX = header_.deviceMm.width() > 0
                                ? double(header_.devicePixels.width()) / header_.deviceMm.width()
                                : 1;
    const double pxPerMmY = header_.deviceMm.height() > 0
                                ? double(header_.devicePixels.height()) / header_.deviceMm.height()
                                : 1;
    // Millimetres per logical unit of the fixed modes.
    static constexpr double kUnitMm[] = {0, 0, 0.1, 0.01, 0.254, 0.0254, 25.4 / 1440};
    switch (s.mapMode) {
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
        sx = kUnitMm[s.mapMode] * pxPerMmX;
        sy = -kUnitMm[s.mapMode] * pxPerMmY;
        break;
    case 7:
    case 8: {
        const double wx = s.windowExt.width() != 0 ? s.windowExt.width() : 1;
        const double wy = s.windowExt.height() != 0 ? s.windowExt.height() : 1;
        sx = s.viewportExt.width() / wx;
        sy = s.viewportExt.height() / wy;
        if (s.mapMode == 7) {
            const double m = std::min(std::abs(sx), std::abs(sy));
            sx = std::copysign(m, sx);
            sy = std::copysign(m, sy);
        }
        break;
    }
    default:
        break;
    }
    return QTransform::fromTranslate(-s.windowOrg.x(), -s.windowOrg.y()) *
           QTransform::fromScale(sx, sy) *
           QTransform::fromTranslate(s.viewportOrg.x(), s.viewportOrg.y());
}

void Player::applyClip() {
    if (state_.clip) {
        painter_.setTransform(QTransform());
        painter_.setClipPath(*state_.clip);
    } else {
        painter_.setClipping(false);
    }
}

void Player::combineClip(const QPainterPath& shape, int mode) {
    QPainterPath whole;
    whole.addRect(baseTransform_.mapRect(target_.adjusted(-1, -1, 1, 1)));
    const QPainterPath current = state_.clip.value_or(whole);
    switch (mode) {
    case 1:
        state_.clip = current.intersected(shape);
        break;
    case 2:
        state_.clip = current.united(shape);
        break;
    case 3:
        state_.clip = current.subtracted(shape).united(shape.subtracted(current));
        break;
    case 4:
        state_.clip = current.subtracted(shape);
        break;
    default:
        state_.clip = shape;
        break;
    }
    applyClip();
}

bool Player::useRop() {
    using CM = QPainter::CompositionMode;
    switch (state_.rop2) {
    case 11:
        return false; // R2_NOP
    case 6:
        painter_.setCompositionMode(CM::RasterOp_NotDestination);
        break;
    case 7:
        painter_.setCompositionMode(CM::RasterOp_SourceXorDestination);
        break;
    case 9:
        painter_.setCompositionMode(CM::RasterOp_SourceAndDestination);
        break;
    case 15:
        painter_.setCompositionMode(CM::RasterOp_SourceOrDestination);
        break;
    case 4:
        painter_.setCompositionMode(CM::RasterOp_NotSource);
        break;
    default:
        painter_.setCompositionMode(CM::CompositionMode_SourceOver);
        break;
    }
    return true;
}

void Player::drawPath(const QPainterPath& path, bool fill, bool stroke) {
    if (!useRop())
        return;
    painter_.setTransform(logicalToPainter());
    QPen pen = stroke ? state_.pen.pen : QPen(Qt::NoPen);
    QBrush brush = fill ? state_.brush.brush : QBrush(Qt::NoBrush);
    if (state_.rop2 == 1 || state_.rop2 == 16) { // R2_BLACK, R2_WHITE
        const QColor c = state_.rop2 == 1 ? Qt::black : Qt::white;
        pen.setColor(c);
        if (brush.style() != Qt::NoBrush)
            brush = QBrush(c);
    }
    painter_.setBackgroundMode(state_.opaqueBackground ? Qt::OpaqueMode : Qt::TransparentMode);
    painter_.setBackground(state_.bkColor);
    QPainterPath filled = path;
    filled.setFillRule(state_.fillRule);
    painter_.setPen(pen);
    painter_.setBrush(brush);
    painter_.drawPath(filled);
}

void Player::addOrDraw(const QPainterPath& path, bool fill, bool stroke) {
    if (path_) {
        path_->addPath(path);
        return;
    }
    drawPath(path, fill, stroke);
}

// kind: 0 polyline, 1 polygon, 2 polybezier, 3 polylineto, 4 polybezierto
bool Player::polyPoints(const Record& rec, bool wide, int kind) {
    const auto count = rec.u32(24);
    const std::uint64_t pointSize = wide ? 8 : 4;
    if (!count || !rec.has(28, std::uint64_t{*count} * pointSize))
        return false;
    std::vector<QPointF> points;
    points.reserve(*count);
    for (std::uint32_t i = 0; i < *count; ++i)
        points.push_back(readPoint(rec, 28 + i * pointSize, wide));
    if (points.empty())
        return true;
    const bool continues = kind == 3 || kind == 4;
    QPainterPath path;
    std::size_t first = 0;
    if (continues) {
        path.moveTo(state_.current);
    } else {
        path.moveTo(points[0]);
        first = 1;
    }
    if (kind == 2 || kind == 4) {
        for (std::size_t i = first; i + 2 < points.size(); i += 3)
            path.cubicTo(points[i], points[i + 1], points[i + 2]);
    } else {
        for (std::size_t i = first; i < points.size(); ++i)
            path.lineTo(points[i]);
    }
    if (kind == 1)
        path.closeSubpath();
    if (continues) {
        state_.current = points.back();
        if (path_) {
            // Continue the open figure of the path bracket.
            if (path_->elementCount() == 0)
                path_->moveTo(path.elementAt(0));
            path_->connectPath(path);
            return true;
        }
    }
    addOrDraw(path, kind == 1, true);
    return true;
}

bool Player::polyPoly(const Record& rec, bool wide, bool closed) {
    const auto polys = rec.u32(24);
    const auto total = rec.u32(28);
    const std::uint64_t pointSize = wide ? 8 : 4;
    if (!polys || !total || !rec.has(32, std::uint64_t{*polys} * 4))
        return false;
    const std::uint64_t pointsAt = 32 + std::uint64_t{*polys} * 4;
    if (!rec.has(pointsAt, std::uint64_t{*total} * pointSize))
        return false;
    std::uint64_t sum = 0;
    for (std::uint32_t i = 0; i < *polys; ++i)
        sum += *rec.u32(32 + i * 4);
    if (sum != *total)
        return false;
    QPainterPath path;
    std::uint64_t at = pointsAt;
    for (std::uint32_t i = 0; i < *polys; ++i) {
        const std::uint32_t n = *rec.u32(32 + i * 4);
        for (std::uint32_t k = 0; k < n; ++k, at += pointSize) {
            const QPointF p = readPoint(rec, at, wide);
            k == 0 ? path.moveTo(p) : path.lineTo(p);
        }
        if (closed && n > 0)
            path.closeSubpath();
    }
    addOrDraw(path, closed, true);
    return true;
}

// kind: 0 rectangle, 1 ellipse, 2 round rectangle
bool Player::rectShape(const Record& rec, int kind) {
    if (!rec.has(8, kind == 2 ? 24 : 16))
        return false;
    // The right and bottom edges are exclusive for filled shapes.
    const QRectF r = readRect(rec, 8).adjusted(0, 0, -1, -1);
    QPainterPath path;
    if (kind == 0)
        path.addRect(r);
    else if (kind == 1)
        path.addEllipse(r);
    else
        path.addRoundedRect(r, rec.i32At(24) / 2.0, rec.i32At(28) / 2.0);
    addOrDraw(path, true, true);
    return true;
}

// kind: 0 arc, 1 chord, 2 pie, 3 arcto
bool Player::arcShape(const Record& rec, int kind) {
    if (!rec.has(8, 32))
        return false;
    const QRectF r = readRect(rec, 8);
    if (r.width() <= 0 || r.height() <= 0)
        return true;
    const QPointF c = r.center();
    const QPointF start(rec.i32At(24), rec.i32At(28));
    const QPointF end(rec.i32At(32), rec.i32At(36));
    // Angles as QPainterPath counts them (counter-clockwise with y down); GDI draws counter-
    // clockwise from start to end by default.
    auto angleOf = [&](QPointF p) {
        return std::atan2(-(p.y() - c.y()) / r.height(), (p.x() - c.x()) / r.width()) * 180 / M_PI;
    };
    const double a0 = angleOf(start);
    double sweep = angleOf(end) - a0;
    if (sweep <= 0)
        sweep += 360;
    QPainterPath path;
    if (kind == 2) {
        path.moveTo(c);
        path.arcTo(r, a0, sweep);
        path.closeSubpath();
    } else if (kind == 3) {
        path.moveTo(state_.current);
        path.arcTo(r, a0, sweep);
        state_.current = path.currentPosition();
    } else {
        path.arcMoveTo(r, a0);
        path.arcTo(r, a0, sweep);
        if (kind == 1)
            path.closeSubpath();
    }
    addOrDraw(path, kind == 1 || kind == 2, true);
    return true;
}

bool Player::createFont(const Record& rec) {
    if (!rec.has(8, 96))
        return false;
    FontObject font;
    font.height = rec.i32At(12);
    font.escapement = rec.i32At(20);
    font.weight = rec.i32At(28);
    const auto flags = rec.slice(32, 3);
    font.italic = flags[0] != 0;
    font.underline = flags[1] != 0;
    font.strikeOut = flags[2] != 0;
    const auto face = rec.slice(40, 64);
    for (std::size_t i = 0; i + 1 < face.size(); i += 2) {
        const char16_t ch = static_cast<char16_t>(face[i] | (face[i + 1] << 8));
        if (ch == 0)
            break;
        font.face.append(QChar(ch));
    }
    if (GdiObject* slot = objectAt(*rec.u32(8)))
        *slot = font;
    return true;
}

bool Player::text(const Record& rec, bool wide) {
    if (!rec.has(36, 40))
        return false;
    const QPointF reference(rec.i32At(36), rec.i32At(40));
    const std::uint32_t chars = *rec.u32(44);
    const std::uint32_t offString = *rec.u32(48);
    if (!rec.has(offString, std::uint64_t{chars} * (wide ? 2 : 1)))
        return false;
    QString string;
    const auto bytes = rec.slice(offString, std::uint64_t{chars} * (wide ? 2 : 1));
    if (wide) {
        for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
            string.append(QChar(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8))));
    } else {
        string = QString::fromLatin1(reinterpret_cast<const char*>(bytes.data()),
                                     static_cast<qsizetype>(bytes.size()));
    }
    if (!useRop())
        return true;
    const QTransform toPainter = logicalToPainter();
    const bool updateCp = state_.textAlign & 1;
    const QPointF origin = toPainter.map(updateCp ? state_.current : reference);
    const FontObject& f = state_.font;
    const double logicalHeight = std::abs(f.height) > 0 ? std::abs(f.height) : 12;
    const QLineF heightLine = toPainter.map(QLineF(QPointF(0, 0), QPointF(0, logicalHeight)));
    QFont font(f.face.isEmpty() ? QStringLiteral("Sans") : f.face);
    // A positive height is the cell height; the character height is about 80% of it.
    const double pixels = heightLine.length() * (f.height > 0 ? 0.8 : 1.0);
    font.setPixelSize(std::clamp(static_cast<int>(std::lround(pixels)), 1, 4096));
    font.setWeight(static_cast<QFont::Weight>(std::clamp(f.weight == 0 ? 400 : f.weight, 1, 1000)));
    font.setItalic(f.italic);
    font.setUnderline(f.underline);
    font.setStrikeOut(f.strikeOut);
    painter_.setTransform(QTransform::fromTranslate(origin.x(), origin.y()));
    if (f.escapement != 0)
        painter_.rotate(-f.escapement / 10.0);
    painter_.setFont(font);
    const QFontMetricsF metrics(font);
    const double width = metrics.horizontalAdvance(string);
    double x = 0;
    const std::uint32_t horizontal = state_.textAlign & 6;
    if (horizontal == 2)
        x = -width;
    else if (horizontal == 6)
        x = -width / 2;
    double y = metrics.ascent(); // TA_TOP
    const std::uint32_t vertical = state_.textAlign & 24;
    if (vertical == 8)
        y = -metrics.descent();
    else if (vertical == 24)
        y = 0;
    if (state_.opaqueBackground)
        painter_.fillRect(QRectF(x, y - metrics.ascent(), width, metrics.height()), state_.bkColor);
    painter_.setPen(state_.textColor);
    painter_.drawText(QPointF(x, y), string);
    if (updateCp)
        state_.current = toPainter.inverted().map(painter_.transform().map(QPointF(x + width, 0)));
    return true;
}

bool Player::selectObject(const Record& rec) {
    const auto index = rec.u32(8);
    if (!index)
        return false;
    GdiObject object = (*index & 0x80000000u) ? stockObject(*index & 0x7FFFFFFFu) : GdiObject{};
    if (!(*index & 0x80000000u)) {
        if (const GdiObject* slot = objectAt(*index))
            object = *slot;
    }
    if (auto* pen = std::get_if<PenObject>(&object))
        state_.pen = *pen;
    else if (auto* brush = std::get_if<BrushObject>(&object))
        state_.brush = *brush;
    else if (auto* font = std::get_if<FontObject>(&object))
        state_.font = *font;
    return true;
}

bool Player::clipRegion(const Record& rec) {
    const auto cb = rec.u32(8);
    const auto mode = rec.u32(12);
    if (!cb || !mode)
        return false;
    if (*cb == 0) {
        if (*mode == 5) {
            state_.clip.reset();
            applyClip();
        }
        return true;
    }
    if (!rec.has(16, *cb) || *cb < 32)
        return false;
    const std::uint32_t count = *rec.u32(24);
    if (!rec.has(48, std::uint64_t{count} * 16) || 32 + std::uint64_t{count} * 16 > *cb)
        return false;
    QPainterPath region;
    for (std::uint32_t i = 0; i < count; ++i)
        region.addRect(readRect(rec, 48 + i * 16));
    combineClip((deviceToTarget_ * baseTransform_).map(region), static_cast<int>(*mode));
    return true;
}

void Player::drawImagePart(const QRectF& dest, const QRectF& source, const QImage& image) {
    // Only the part of the source inside the image is drawn, onto the matching part of the
    // destination. A rectangle given right to left or bottom to top mirrors the picture; Qt's
    // scaled drawing reads outside the image for such rectangles, so the part is mirrored here.
    const QRectF from = source.normalized();
    const QRectF to = dest.normalized();
    const QRect inside = from.intersected(QRectF(image.rect())).toAlignedRect() & image.rect();
    if (inside.isEmpty() || from.isEmpty() || to.isEmpty())
        return;
    const bool mirrorX = (dest.width() < 0) != (source.width() < 0);
    const bool mirrorY = (dest.height() < 0) != (source.height() < 0);
    const double sx = to.width() / from.width();
    const double sy = to.height() / from.height();
    const double left = mirrorX ? to.right() - (inside.right() + 1 - from.left()) * sx
                                : to.left() + (inside.left() - from.left()) * sx;
    const double top = mirrorY ? to.bottom() - (inside.bottom() + 1 - from.top()) * sy
                               : to.top() + (inside.top() - from.top()) * sy;
    const QImage part = image.copy(inside).mirrored(mirrorX, mirrorY);
    painter_.drawImage(QRectF(left, top, inside.width() * sx, inside.height() * sy), part,
                       QRectF(part.rect()));
}

bool Player::stretchDib(const Record& rec) {
    if (!rec.has(0, 80))
        return false;
    const QRectF dest(rec.i32At(24), rec.i32At(28), rec.i32At(72), rec.i32At(76));
    const QRectF source(rec.i32At(32), rec.i32At(36), rec.i32At(40), rec.i32At(44));
    const QImage image = decodeDib(rec, *rec.u32(48), *rec.u32(52), *rec.u32(56), *rec.u32(60));
    if (image.isNull())
        return true; // nothing usable to draw; the picture goes on
    painter_.setTransform(logicalToPainter());
    painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
    // The source rectangle counts rows from the bottom of the DIB.
    const QRectF flipped(source.x(), image.height() - source.y() - source.height(), source.width(),
                         source.height());
    drawImagePart(dest, flipped, image);
    return true;
}

bool Player::bitBlt(const Record& rec) {
    if (!rec.has(0, 100))
        return false;
    const QRectF dest(rec.i32At(24), rec.i32At(28), rec.i32At(32), rec.i32At(36));
    const std::uint32_t cbBmi = *rec.u32(88);
    painter_.setTransform(logicalToPainter());
    painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (cbBmi == 0) { // a pattern fill with the brush
        const std::uint32_t rop = *rec.u32(40);
        if (rop == 0x00000042)
            painter_.fillRect(dest, Qt::black);
        else if (rop == 0x00FF0062)
            painter_.fillRect(dest, Qt::white);
        else if (!state_.brush.null)
            painter_.fillRect(dest, state_.brush.brush);
        return true;
    }
    const QImage image = decodeDib(rec, *rec.u32(84), cbBmi, *rec.u32(92), *rec.u32(96));
    if (!image.isNull())
        drawImagePart(dest, QRectF(rec.i32At(44), rec.i32At(48), dest.width(), dest.height()),
                      image);
    return true;
}

bool Player::restoreDc(const Record& rec) {
    const auto which = rec.i32(8);
    if (!which)
        return false;
    const std::int64_t depth = static_cast<std::int64_t>(saved_.size());
    const std::int64_t level = *which < 0 ? depth + *which : std::int64_t{*which} - 1;
    if (level < 0 || level >= depth)
        return true; // GDI ignores a restore past the saved states
    state_ = saved_[static_cast<std::size_t>(level)];
    saved_.resize(static_cast<std::size_t>(level));
    applyClip();
    return true;
}

bool Player::modifyWorld(const Record& rec, bool set) {
    if (!rec.has(8, set ? 24 : 28))
        return false;
    const QTransform x(rec.f32At(8), rec.f32At(12), rec.f32At(16), rec.f32At(20), rec.f32At(24),
                       rec.f32At(28));
    const std::uint32_t mode = set ? 4 : *rec.u32(32);
    switch (mode) {
    case 1:
        state_.world = QTransform();
        break;
    case 2:
        state_.world = x * state_.world;
        break;
    case 3:
        state_.world = state_.world * x;
        break;
    case 4:
        state_.world = x;
        break;
    default:
        break;
    }
    return true;
}

int Player::play(const Record& rec) {
    auto pointAt8 = [&](QPointF& into) {
        if (!rec.has(8, 8))
            return false;
        into = QPointF(rec.i32At(8), rec.i32At(12));
        return true;
    };
    auto sizeAt8 = [&](QSizeF& into) {
        if (!rec.has(8, 8))
            return false;
        into = QSizeF(rec.i32At(8), rec.i32At(12));
        return true;
    };
    auto valueAt8 = [&](auto apply) {
        const auto v = rec.u32(8);
        if (!v)
            return false;
        apply(*v);
        return true;
    };
    switch (rec.type()) {
    case EMR_HEADER:
    case EMR_EOF:
    case EMR_GDICOMMENT:
    case EMR_SETBRUSHORGEX:
    case EMR_SETMAPPERFLAGS:
    case EMR_SETSTRETCHBLTMODE:
    case EMR_SETMITERLIMIT:
        return true;
    case EMR_SETMAPMODE:
        return valueAt8([&](std::uint32_t v) {
            if (v >= 1 && v <= 8)
                state_.mapMode = static_cast<int>(v);
        });
    case EMR_SETWINDOWEXTEX:
        return sizeAt8(state_.windowExt);
    case EMR_SETWINDOWORGEX:
        return pointAt8(state_.windowOrg);
    case EMR_SETVIEWPORTEXTEX:
        return sizeAt8(state_.viewportExt);
    case EMR_SETVIEWPORTORGEX:
        return pointAt8(state_.viewportOrg);
    case EMR_SETBKMODE:
        return valueAt8([&](std::uint32_t v) { state_.opaqueBackground = v == 2; });
    case EMR_SETPOLYFILLMODE:
        return valueAt8(
            [&](std::uint32_t v) { state_.fillRule = v == 2 ? Qt::WindingFill : Qt::OddEvenFill; });
    case EMR_SETROP2:
        return valueAt8([&](std::uint32_t v) { state_.rop2 = v; });
    case EMR_SETTEXTALIGN:
        return valueAt8([&](std::uint32_t v) { state_.textAlign = v; });
    case EMR_SETTEXTCOLOR:
        return valueAt8([&](std::uint32_t v) { state_.textColor = colorFrom(v); });
    case EMR_SETBKCOLOR:
        return valueAt8([&](std::uint32_t v) { state_.bkColor = colorFrom(v); });
    case EMR_MOVETOEX:
        if (!pointAt8(state_.current))
            return false;
        if (path_)
            path_->moveTo(state_.current);
        return true;
    case EMR_LINETO: {
        QPointF to;
        if (!pointAt8(to))
            return false;
        if (path_) {
            if (path_->elementCount() == 0)
                path_->moveTo(state_.current);
            path_->lineTo(to);
        } else {
            QPainterPath line(state_.current);
            line.lineTo(to);
            drawPath(line, false, true);
        }
        state_.current = to;
        return true;
    }
    case EMR_SAVEDC:
        if (saved_.size() < kMaxSavedStates)
            saved_.push_back(state_);
        return true;
    case EMR_RESTOREDC:
        return restoreDc(rec);
    case EMR_SETWORLDTRANSFORM:
        return modifyWorld(rec, true);
    case EMR_MODIFYWORLDTRANSFORM:
        return modifyWorld(rec, false);
    case EMR_SELECTOBJECT:
        return selectObject(rec);
    case EMR_DELETEOBJECT:
        return valueAt8([&](std::uint32_t v) {
            if (GdiObject* slot = objectAt(v))
                *slot = std::monostate{};
        });
    case EMR_CREATEPEN:
        if (!rec.has(8, 20))
            return false;
        if (GdiObject* slot = objectAt(*rec.u32(8)))
            *slot = PenObject{penFor(*rec.u32(12), rec.i32At(16), colorFrom(*rec.u32(24))),
                              (*rec.u32(12) & 0xF) == 5};
        return true;
    case EMR_EXTCREATEPEN:
        if (!rec.has(8, 44))
            return false;
        if (GdiObject* slot = objectAt(*rec.u32(8))) {
            const std::uint32_t style = *rec.u32(28);
            // A geometric pen's width is in logical units; a cosmetic one is one pixel.
            const double width = (style & 0x10000) ? rec.i32At(32) : 0;
            *slot = PenObject{penFor(style, width, colorFrom(*rec.u32(40))), (style & 0xF) == 5};
        }
        return true;
    case EMR_CREATEBRUSHINDIRECT:
        if (!rec.has(8, 16))
            return false;
        if (GdiObject* slot = objectAt(*rec.u32(8)))
            *slot = brushFor(*rec.u32(12), colorFrom(*rec.u32(16)), *rec.u32(20));
        return true;
    case EMR_EXTCREATEFONTINDIRECTW:
        return createFont(rec);
    case EMR_POLYLINE:
        return polyPoints(rec, true, 0);
    case EMR_POLYGON:
        return polyPoints(rec, true, 1);
    case EMR_POLYBEZIER:
        return polyPoints(rec, true, 2);
    case EMR_POLYLINETO:
        return polyPoints(rec, true, 3);
    case EMR_POLYBEZIERTO:
        return polyPoints(rec, true, 4);
    case EMR_POLYLINE16:
        return polyPoints(rec, false, 0);
    case EMR_POLYGON16:
        return polyPoints(rec, false, 1);
    case EMR_POLYBEZIER16:
        return polyPoints(rec, false, 2);
    case EMR_POLYLINETO16:
        return polyPoints(rec, false, 3);
    case EMR_POLYBEZIERTO16:
        return polyPoints(rec, false, 4);
    case EMR_POLYPOLYLINE:
        return polyPoly(rec, true, false);
    case EMR_POLYPOLYGON:
        return polyPoly(rec, true, true);
    case EMR_POLYPOLYLINE16:
        return polyPoly(rec, false, false);
    case EMR_POLYPOLYGON16:
        return polyPoly(rec, false, true);
    case EMR_RECTANGLE:
        return rectShape(rec, 0);
    case EMR_ELLIPSE:
        return rectShape(rec, 1);
    case EMR_ROUNDRECT:
        return rectShape(rec, 2);
    case EMR_ARC:
        return arcShape(rec, 0);
    case EMR_CHORD:
        return arcShape(rec, 1);
    case EMR_PIE:
        return arcShape(rec, 2);
    case EMR_ARCTO:
        return arcShape(rec, 3);
    case EMR_BEGINPATH:
        path_ = QPainterPath();
        return true;
    case EMR_ENDPATH:
        if (path_)
            closedPath_ = *path_;
        path_.reset();
        return true;
    case EMR_ABORTPATH:
        path_.reset();
        closedPath_ = QPainterPath();
        return true;
    case EMR_CLOSEFIGURE:
        if (path_)
            path_->closeSubpath();
        return true;
    case EMR_FILLPATH:
    case EMR_STROKEPATH:
    case EMR_STROKEANDFILLPATH:
        drawPath(closedPath_, rec.type() != EMR_STROKEPATH, rec.type() != EMR_FILLPATH);
        closedPath_ = QPainterPath();
        return true;
    case EMR_SELECTCLIPPATH:
        return valueAt8([&](std::uint32_t mode) {
            combineClip(logicalToPainter().map(closedPath_), static_cast<int>(mode));
            closedPath_ = QPainterPath();
        });
    case EMR_INTERSECTCLIPRECT:
    case EMR_EXCLUDECLIPRECT: {
        if (!rec.has(8, 16))
            return false;
        QPainterPath shape;
        shape.addRect(readRect(rec, 8));
        combineClip(logicalToPainter().map(shape), rec.type() == EMR_INTERSECTCLIPRECT ? 1 : 4);
        return true;
    }
    case EMR_EXTSELECTCLIPRGN:
        return clipRegion(rec);
    case EMR_STRETCHDIBITS:
        return stretchDib(rec);
    case EMR_BITBLT:
        return bitBlt(rec);
    case EMR_EXTTEXTOUTW:
        return text(rec, true);
    case EMR_EXTTEXTOUTA:
        return text(rec, false);
    default:
        return -1;
    }
}

} // namespace

QRectF EmfHeaderInfo::framePixels() const {
    if (deviceMm.width() > 0 && deviceMm.height() > 0 && frame.width() > 0 && frame.height() > 0) {
        const double sx = devicePixels.width() / (deviceMm.width() * 100.0);
        const double sy = devicePixels.height() / (deviceMm.height() * 100.0);
        return QRectF(frame.left() * sx, frame.top() * sy, frame.width() * sx, frame.height() * sy);
    }
    return QRectF(bounds);
}

std::optional<EmfHeaderInfo> readEmfHeader(std::span<const std::uint8_t> bytes) {
    const Record rec(bytes);
    if (!rec.has(0, kHeaderMinimum) || rec.type() != EMR_HEADER || *rec.u32(40) != kEmfSignature)
        return std::nullopt;
    const std::uint32_t size = *rec.u32(4);
    if (size < kHeaderMinimum || size > bytes.size() || size % 4 != 0)
        return std::nullopt;
    auto rect = [&](std::uint64_t at) {
        // Inclusive rectangles, either way round; a side past 31 bits is refused before any
        // size is formed in 32 bits.
        const std::int64_t l = rec.i32At(at), t = rec.i32At(at + 4);
        const std::int64_t r = rec.i32At(at + 8), b = rec.i32At(at + 12);
        const auto fits = [](std::int64_t from, std::int64_t to) {
            return (to >= from ? to - from : from - to) + 1 <= INT32_MAX;
        };
        if (!fits(l, r) || !fits(t, b))
            return QRect();
        return QRect(QPoint(int(l), int(t)), QPoint(int(r), int(b)));
    };
    EmfHeaderInfo info;
    info.bounds = rect(8);
    info.frame = rect(24);
    info.recordCount = *rec.u32(52);
    info.handleCount = *rec.u32(56) & 0xFFFF;
    info.devicePixels = QSize(rec.i32At(72), rec.i32At(76));
    info.deviceMm = QSize(rec.i32At(80), rec.i32At(84));
    if (info.framePixels().isEmpty())
        return std::nullopt;
    return info;
}

EmfPlayResult playEmf(std::span<const std::uint8_t> bytes, QPainter& painter,
                      const QRectF& target) {
    EmfPlayResult result;
    const auto header = readEmfHeader(bytes);
    if (!header || target.isEmpty() || !target.isValid())
        return result;
    painter.save();
    Player player(painter, *header, target);
    result.status = EmfPlayStatus::Ok;
    std::size_t offset = 0;
    while (offset < bytes.size()) {
        const Record head(bytes.subspan(offset));
        const auto size = head.u32(4);
        if (!size || *size < 8 || *size % 4 != 0 || *size > bytes.size() - offset) {
            result.status = EmfPlayStatus::Damaged;
            break;
        }
        const Record rec(bytes.subspan(offset, *size));
        const int played = player.play(rec);
        if (played < 0)
            ++result.skipped;
        else if (played == 0)
            ++result.malformed;
        else
            ++result.played;
        offset += *size;
        if (rec.type() == EMR_EOF)
            break;
    }
    painter.restore();
    return result;
}

} // namespace kfm::metafile
