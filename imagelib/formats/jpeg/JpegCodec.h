#pragma once
// JPEG over libjpeg (the 6b interface): a reader over a byte source and a writer into a byte
// sink (memory or an open file).
// Pixels go in and out as blue, green, red (or one grey byte, or four CMYK bytes).
//
// libjpeg's fatal errors end the step that was running: the step returns false, the reader or
// writer is failed from then on and messageCode() tells the library's message. Warnings are
// formatted and discarded; a source that ends early is given an end-of-image marker after a
// warning, so a cut file decodes as far as it goes. One fatal error can be let through as a
// warning: an unknown marker, which the library then skips.

#include <cstdint>
#include <memory>

#include "ByteInput.h"
#include "RowSink.h"

namespace kpx::jpeg {

// The library's colour spaces as the file states them.
enum class ColourSpace { Unknown = 0, Grey = 1, Rgb = 2, YCbCr = 3, Cmyk = 4, Ycck = 5 };

// Message codes of the library that callers act on.
int messageNotJpeg();    // the data does not start with a start-of-image marker
int messageEmptyInput(); // the source had no bytes at all
int messageUnknownMarker();

struct JpegHeader {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int components = 0;
    ColourSpace colourSpace = ColourSpace::Unknown;
};

enum class OutputSpace {
    // Grey for grey files, CMYK for CMYK and YCCK files, blue-green-red otherwise.
    Natural,
    // Grey for grey files, CMYK for YCCK files, blue-green-red otherwise (a plain CMYK file
    // then fails: the library does not turn CMYK into colour).
    ColourUnlessYcck,
};

struct JpegDecodeOptions {
    bool floatDct = false;    // else the fast integer DCT
    int scaleDenominator = 1; // 1, 2, 4 or 8
    OutputSpace space = OutputSpace::Natural;
};

struct JpegOutput {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int components = 0; // 1 grey, 3 blue-green-red, 4 CMYK
};

class JpegReader {
public:
    explicit JpegReader(ByteInput& source);
    ~JpegReader();
    JpegReader(const JpegReader&) = delete;
    JpegReader& operator=(const JpegReader&) = delete;

    bool readHeader(JpegHeader& header);
    // Sets the decoding up (without fancy upsampling or block smoothing) and starts it.
    bool start(const JpegDecodeOptions& options, JpegOutput& output);
    // The next row: output width x components bytes.
    bool readRow(std::uint8_t* row);
    bool finish();
    // The library's message code of the fatal error, or 0.
    int messageCode() const;
    // Whether the data was cut short or damaged: the decoder went on with what it could read
    // and filled in the rest (a warning, not an error).
    bool lostData() const;

    struct State;

private:
    std::unique_ptr<State> state_;
};

// CMYK as the library delivers it (inverted, Adobe style: 255 is no ink) to blue, green, red:
// each colour is (255 - ink) x (255 - black) / 255, rounded, as the peers read CMYK.
void cmykToBgr(const std::uint8_t* cmyk, std::uint32_t width, std::uint8_t* bgr);

struct JpegEncodeOptions {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool grey = false; // one grey component, else blue-green-red input written as colour
    int quality = 75;  // 1..100, baseline tables forced
};

class JpegWriter {
public:
    explicit JpegWriter(ByteSink& out);
    ~JpegWriter();
    JpegWriter(const JpegWriter&) = delete;
    JpegWriter& operator=(const JpegWriter&) = delete;

    bool start(const JpegEncodeOptions& options);
    // One row: width bytes of grey, or 3 x width bytes of blue, green, red.
    bool writeRow(const std::uint8_t* row);
    bool finish();

    struct State;

private:
    std::unique_ptr<State> state_;
};

} // namespace kpx::jpeg
