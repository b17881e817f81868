#pragma once
// The library's record behind an image handle. Never seen outside the library.

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "Bitra5.h"
#include "ObjectRecords.h"

enum KpxPermission : std::int32_t {
    kKpxFree = 0,
    kKpxRead = 1,
    kKpxWrite = 2,
    kKpxDraw = 4,
};

struct KpxImageRecord {
    std::int32_t id = 0;
    HBITMAP bitmap = nullptr;               // owns the pixel memory
    std::int32_t infoSize = 0;              // bytes of the BITMAPINFO block
    std::unique_ptr<std::uint8_t[]> info;   // BITMAPINFOHEADER + colour table or bit-field masks
    std::uint8_t* bits = nullptr;           // pixel rows, bottom-up, owned by the bitmap
    std::atomic<std::uint32_t> checksum{0}; // 0 = not computed; readers may fill it together
    KpxImageRecord* previous = nullptr;
    KpxImageRecord* next = nullptr;
    std::int32_t nextFrame = 0;
    std::int32_t frameOfAnimation = 0;
    std::int32_t firstFrame = 0;
    std::array<KpxTransparentEntry, kKpxMaxTransparentEntries> transparency{};
    std::int32_t transparencyCount = 0;
    std::int32_t maskImage = 0;
    std::int32_t explicitTransparency = 0;
    std::int32_t delay = 0;
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t screenWidth = 0;
    std::int32_t screenHeight = 0;
    std::int32_t disposal = 0;
    std::int32_t loopCount = -1;
    std::optional<std::string> name;
    std::optional<std::string> comment;
    std::optional<std::string> animationComment;
    std::unique_ptr<TextObjectRecord> textObject;
    std::unique_ptr<ControlObjectRecord> controlObject;
    std::unique_ptr<VectorObjectRecord> vectorObject;
    std::unique_ptr<NPImageObjectRecord> npImageObject;
    std::int32_t previousDisposal = 0;
    RECT previousRect{};
    std::int32_t savedBackground = 0;
    // Where the last composition of this chain stopped (frame and index), valid while the
    // chains' links stay as they were at `composedVersion` (kpx::chainLinksVersion).
    std::int32_t composedFrame = 0;
    std::int32_t composedIndex = 0;
    std::uint64_t composedVersion = 0;
    std::int32_t permission = kKpxFree;
    std::int32_t holders = 0;        // lock holders sharing the permission word (readers)
    std::int32_t pendingDeletes = 0; // deletes asked for while the word was held
    std::int32_t rotateAngle = 0;
    std::int32_t derivedImage = 0;
    std::int32_t referenceCount = 1;

    BITMAPINFO* bitmapInfo() const { return reinterpret_cast<BITMAPINFO*>(info.get()); }
    BITMAPINFOHEADER& header() const { return bitmapInfo()->bmiHeader; }
    RGBQUAD* colors() const { return bitmapInfo()->bmiColors; }
    std::int32_t width() const { return header().biWidth; }
    std::int32_t height() const { return header().biHeight; }
    std::int32_t bitCount() const { return header().biBitCount; }
    // Entries of the colour table: 2, 16 or 256 for palette images, 0 above 8 bits.
    std::uint32_t colorCount() const { return bitCount() <= 8 ? header().biClrUsed : 0; }
    std::uint32_t rowBytes() const;
};
