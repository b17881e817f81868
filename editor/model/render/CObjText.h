#pragma once
// The text settings holder of the text object dialog: the text, its colours, shadow, flags,
// matrix and font, and the rendered preview image, from which the dialog fills a text record.

#include <cstdint>
#include <string>

#include "Bitra5.h"

class CObjText {
public:
    CObjText();
    ~CObjText();
    CObjText(const CObjText&) = delete;
    CObjText& operator=(const CObjText&) = delete;

    // Each holder gets the next number of a program-wide counter.
    std::int32_t GetId() const { return m_nId; }

    // The preview image is owned: a new one replaces (and deletes) the one held.
    KpxHandle GetImage() const { return m_hImage; }
    void SetImage(KpxHandle image);

    // The rotation of the matrix in whole degrees and whether it mirrors.
    int GetAngle() const;
    int IsMirrored() const;

    // Copies the settings into a record; its position, reserved bytes and transparency level are
    // left as the caller set them.
    void FillRecord(TextObjectRecord& record) const;

    std::string m_strText; // bytes in the code page of the font's character set
    COLORREF m_Color = 0;
    std::int32_t m_IsShadow = 0;
    COLORREF m_ShadowColor = 0;
    std::int16_t m_ShadowXOffset = 0;
    std::int16_t m_ShadowYOffset = 0;
    std::int16_t m_ShadowTransp = 0;
    std::int32_t m_IsShadowBlur = 0;
    std::int32_t m_Antialias = 0;
    std::int32_t m_Kern = 0;
    std::int32_t m_nInterpolation = 0;
    double m_Matrix[4] = {1.0, 0.0, 0.0, 1.0};
    LOGFONTA m_LogFont{};

private:
    std::int32_t m_nId;
    KpxHandle m_hImage = 0;
};
