#include "CObjText.h"

#include "Bitra5.h"
#include "Geometry.h"
#include "ObjectRecords.h"

#include <algorithm>

namespace {
std::int32_t g_nextTextId = 0;
} // namespace

CObjText::CObjText() : m_nId(++g_nextTextId) {}

CObjText::~CObjText() {
    SetImage(0);
}

void CObjText::SetImage(KpxHandle image) {
    if (m_hImage && m_hImage != image)
        KPXDeleteImage(m_hImage);
    m_hImage = image;
}

int CObjText::GetAngle() const {
    return GetRotationAngle(m_Matrix);
}

int CObjText::IsMirrored() const {
    return IsMatrixMirrored(m_Matrix);
}

void CObjText::FillRecord(TextObjectRecord& record) const {
    const auto lowByte = [](std::int32_t v) { return static_cast<std::uint8_t>(v); };
    record.color = m_Color;
    record.isShadow = lowByte(m_IsShadow);
    record.shadowColor = m_ShadowColor;
    record.shadowXOffset = m_ShadowXOffset;
    record.shadowYOffset = m_ShadowYOffset;
    record.shadowTransp = lowByte(m_ShadowTransp);
    record.isShadowBlur = lowByte(m_IsShadowBlur);
    record.antialias = lowByte(m_Antialias);
    record.kern = lowByte(m_Kern);
    record.interpolation = m_nInterpolation;
    std::copy(std::begin(m_Matrix), std::end(m_Matrix), std::begin(record.matrix));
    record.text = m_strText;
    record.font = m_LogFont;
}
