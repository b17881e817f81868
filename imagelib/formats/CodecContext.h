#pragma once
// The codec context through which every codec receives and returns image properties, and the
// file-information record filled for the callers of the info functions.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Bitra5.h"
#include "ObjectRecords.h"
#include "ResultCodes.h"

// Row callback: the store-row callback of loads copies one row from the codec's buffer into the
// image, the fetch-row callback of saves copies one image row into it. Rows count from the top
// of the picture. A non-zero answer asks the codec to stop (it then reports kKpxStopped).
using KpxRowFunction = int (*)(std::uint8_t* row, int index);

// "No transparent colour" in the context's transparent-colour word; any value from here up.
constexpr std::uint32_t kKpxNoTransparentColor = 0xFF000000u;
// Marks a palette index (0x01ii0000) in the transparent-colour word.
constexpr std::uint32_t kKpxTransparentIndexFlag = 0x01000000u;

// Flag-word values with a meaning of their own.
constexpr std::int16_t kKpxFlagHasAlpha = 1;         // after an info request
constexpr std::int16_t kKpxFlagPaletteLearned = 128; // after a load: copy the palette again
constexpr std::int16_t kKpxFlagPhotoCdGrey = 64;     // Photo CD grey rendering

// One per info, load or save request, owned by the front end that makes it. The seven owned
// values at the end are filled by readers and moved into the image record by the loader (or
// dropped with the context); for saves the front end copies the record's values into them.
struct KpxCodecContext {
    char description[kKpxDescriptionChars + 1] = {};
    std::int16_t left = 0;
    std::int16_t top = 0;
    std::int16_t width = 0;
    std::int16_t height = 0;
    std::int16_t bitsPerPixel = 0; // on a GIF save it may carry the encoder's code bits
    std::int16_t flags = 0;        // see the kKpxFlag values; on a GIF save non-zero = more frames
    std::int32_t saveOption = 0;   // GIF: bit 7 interlaced
    std::int16_t saveOption2 = 0;
    std::int16_t backgroundIndex = 0;
    std::int32_t fileSize = 0;
    std::int32_t dataSize = 0;         // 0 when the codec does not know it
    std::uint8_t palette[256][3] = {}; // red, green, blue
    std::int16_t localTable = 0;
    KpxRowFunction storeRow = nullptr;
    KpxRowFunction fetchRow = nullptr;
    std::int16_t frameCount = 1;
    std::int16_t delay = 100;
    std::int32_t loopCount = -1; // 0..65535 (unsigned 16 bits in the file); -1: no looping block
    std::int16_t readExtensions = 0;
    std::optional<std::string> frameName;
    std::optional<std::string> frameTitle; // frame comments of an animation joined with "|"
    std::optional<std::string> animationComment;
    std::unique_ptr<TextObjectRecord> textObject;
    std::unique_ptr<ControlObjectRecord> controlObject;
    std::unique_ptr<VectorObjectRecord> vectorObject;
    std::unique_ptr<NPImageObjectRecord> npImageObject;
    std::uint32_t transparentColor = kKpxNoTransparentColor; // 0x01ii0000, 0x00BBGGRR or none
    std::int16_t screenWidth = 0;
    std::int16_t screenHeight = 0;
    std::int16_t disposal = 0;    // GIF disposal 0..3; the requested resolution for Photo CD
    std::int16_t frameNumber = 0; // load: image to decode; save: 0 new file, else append
    std::int16_t rotateAngle = 0;
    std::int16_t rowBitsPerPixel = 0; // save: depth of the image's own rows
    // GIF save: the colour table written with this frame covers at least this many entries (the
    // first frame's global table serves the later frames without a table of their own).
    std::int16_t tableEntries = 0;
    // Load: 1 when the image data could not be decoded to the last pixel (the pixels it did not
    // give take the background index).
    std::int16_t dataIncomplete = 0;
    // Stream saves of a second image into the same BMI data: where the first image's directory
    // keeps its spare entry and where its data ends, counted from the start of that data (0 when
    // no first image was written). The BMI writer sets them; the save front end hands them on.
    std::int32_t streamSpareSlot = 0;
    std::int32_t streamDataEnd = 0;
    // Save: the name of the file the picture is saved as. The codec writes into a temporary
    // file whose own path says nothing of it; a format that records its file's name takes this.
    std::string targetName;
    // Graded transparency, one byte a pixel from 0 (opaque) to 255 (transparent), width bytes a
    // row, top row first; empty for none. Load: what the codec read, which the loader attaches
    // as the image's explicit transparency image. Save: the image's whole transparency (its
    // transparent list and its explicit transparency image), for the codecs that write it.
    std::vector<std::uint8_t> transparencyPlane;
};

struct KpxImageRecord;

namespace kpx {
// Makes the context as a new one is, in place (cheaper than assigning a new one over it).
void resetContext(KpxCodecContext& context);
// Gives the context its own deep copies of the image's object records, for a save to write.
void copyObjectRecords(const KpxImageRecord& image, KpxCodecContext& context);
// Sets the description, cut to what the context holds.
void setDescription(KpxCodecContext& context, const char* text);
} // namespace kpx
