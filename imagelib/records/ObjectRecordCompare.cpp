#include "ObjectRecordCompare.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace kfm::records {
namespace {

bool matricesEqual(const double (&a)[4], const double (&b)[4]) {
    return std::equal(std::begin(a), std::end(a), std::begin(b));
}

// The face name as a C string, never read past its 32 bytes.
std::string_view faceName(const LOGFONTA& f) {
    return {f.lfFaceName, strnlen(f.lfFaceName, LF_FACESIZE)};
}

bool fontsEqual(const LOGFONTA& a, const LOGFONTA& b) {
    return a.lfHeight == b.lfHeight && a.lfWidth == b.lfWidth && a.lfEscapement == b.lfEscapement &&
           a.lfOrientation == b.lfOrientation && a.lfWeight == b.lfWeight &&
           a.lfItalic == b.lfItalic && a.lfUnderline == b.lfUnderline &&
           a.lfStrikeOut == b.lfStrikeOut && a.lfCharSet == b.lfCharSet &&
           a.lfOutPrecision == b.lfOutPrecision && a.lfClipPrecision == b.lfClipPrecision &&
           a.lfQuality == b.lfQuality && a.lfPitchAndFamily == b.lfPitchAndFamily &&
           faceName(a) == faceName(b);
}

} // namespace

bool recordsEqual(const TextObjectRecord& a, const TextObjectRecord& b) {
    return a.left == b.left && a.top == b.top && a.color == b.color &&
           a.shadowColor == b.shadowColor && a.shadowXOffset == b.shadowXOffset &&
           a.shadowYOffset == b.shadowYOffset && a.shadowTransp == b.shadowTransp &&
           a.isShadowBlur == b.isShadowBlur && a.antialias == b.antialias && a.kern == b.kern &&
           a.interpolation == b.interpolation && a.isShadow == b.isShadow &&
           a.transparencyLevel == b.transparencyLevel && matricesEqual(a.matrix, b.matrix) &&
           a.text == b.text && fontsEqual(a.font, b.font);
}

bool recordsEqual(const ControlObjectRecord& a, const ControlObjectRecord& b) {
    constexpr std::size_t kComparedValues = 12;
    return a.type == b.type && a.clientEdge == b.clientEdge && a.staticEdge == b.staticEdge &&
           a.modalFrame == b.modalFrame && a.disabled == b.disabled && a.setFocus == b.setFocus &&
           a.styleBits == b.styleBits &&
           std::equal(a.values.begin(), a.values.begin() + kComparedValues, b.values.begin()) &&
           a.text == b.text && a.caption == b.caption;
}

bool recordsEqual(const VectorObjectRecord& a, const VectorObjectRecord& b) {
    return a.sourceLeft == b.sourceLeft && a.sourceTop == b.sourceTop &&
           a.sourceRight == b.sourceRight && a.sourceBottom == b.sourceBottom &&
           a.unitsPerInch == b.unitsPerInch && a.left == b.left && a.top == b.top &&
           a.width == b.width && a.height == b.height && a.interpolation == b.interpolation &&
           a.antialias == b.antialias && a.transparencyLevel == b.transparencyLevel &&
           matricesEqual(a.matrix, b.matrix);
}

bool recordsEqual(const NPImageObjectRecord& a, const NPImageObjectRecord& b) {
    return a.pixels24 == b.pixels24 && a.alpha == b.alpha && a.maskPixels == b.maskPixels &&
           a.pixels8 == b.pixels8 && a.palette == b.palette;
}

} // namespace kfm::records
