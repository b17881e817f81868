#include "JpegCodec.h"

#include <cstdio>
// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include <algorithm>
#include <csetjmp>

namespace kpx::jpeg {

namespace {

constexpr std::size_t kSourceBlock = 16384;
constexpr std::size_t kDestinationBlock = 65536;

// libjpeg's error manager with the jump back into the step that runs. The library structure
// comes first, so the library's pointer to it leads back here.
struct ErrorManager {
    jpeg_error_mgr library;
    std::jmp_buf jump;
    int code;
    bool lostData; // a warning said that picture data was missing or could not be decoded
};

ErrorManager& errorsOf(j_common_ptr common) {
    return *reinterpret_cast<ErrorManager*>(common->err);
}

void onFatalError(j_common_ptr common) {
    ErrorManager& errors = errorsOf(common);
    errors.code = common->err->msg_code;
    // An unknown marker is skipped: the library carries on with the next marker.
    if (errors.code == JERR_UNKNOWN_MARKER)
        return;
    std::longjmp(errors.jump, 1);
}

void discardMessage(j_common_ptr common) {
    char text[JMSG_LENGTH_MAX];
    common->err->format_message(common, text);
}

// The warnings after which the decoder fills in what it could not read (a file cut short, data
// it cannot follow); others (an unknown colour transform, a newer JFIF revision) leave the
// pixels whole.
bool losesData(int warning) {
    switch (warning) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_MUST_RESYNC:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
    case JWRN_NOT_SEQUENTIAL:
    case JWRN_BOGUS_PROGRESSION:
        return true;
    default:
        return false;
    }
}

// Warnings (level -1) are counted, noted when they mean lost data, and discarded; trace
// messages are not shown.
void onMessage(j_common_ptr common, int level) {
    if (level >= 0)
        return;
    ++common->err->num_warnings;
    if (losesData(common->err->msg_code))
        errorsOf(common).lostData = true;
    common->err->output_message(common);
}

void installErrors(ErrorManager& errors) {
    jpeg_std_error(&errors.library);
    errors.library.error_exit = onFatalError;
    errors.library.emit_message = onMessage;
    errors.library.output_message = discardMessage;
    errors.code = 0;
    errors.lostData = false;
}

struct SourceManager {
    jpeg_source_mgr library;
    ByteInput* bytes;
    bool anyRead;
    std::uint8_t buffer[kSourceBlock];
};

SourceManager& sourceOf(j_decompress_ptr info) {
    return *reinterpret_cast<SourceManager*>(info->src);
}

void initSource(j_decompress_ptr) {}
void termSource(j_decompress_ptr) {}

boolean fillInput(j_decompress_ptr info) {
    SourceManager& source = sourceOf(info);
    std::size_t count = source.bytes->read(std::span(source.buffer, kSourceBlock));
    if (count == 0) {
        if (!source.anyRead)
            ERREXIT(info, JERR_INPUT_EMPTY);
        // A cut file ends here: the decoder finishes with what it has.
        WARNMS(info, JWRN_JPEG_EOF);
        source.buffer[0] = 0xFF;
        source.buffer[1] = JPEG_EOI;
        count = 2;
    }
    source.anyRead = true;
    source.library.next_input_byte = source.buffer;
    source.library.bytes_in_buffer = count;
    return TRUE;
}

void skipInput(j_decompress_ptr info, long count) {
    if (count <= 0)
        return;
    SourceManager& source = sourceOf(info);
    const auto wanted = static_cast<std::size_t>(count);
    if (wanted <= source.library.bytes_in_buffer) {
        source.library.next_input_byte += wanted;
        source.library.bytes_in_buffer -= wanted;
        return;
    }
    const std::uint64_t beyond = wanted - source.library.bytes_in_buffer;
    source.library.bytes_in_buffer = 0;
    // A source that cannot skip runs dry, and the decoder gets its end-of-image marker.
    source.bytes->skip(beyond);
}

struct DestinationManager {
    jpeg_destination_mgr library;
    ByteSink* out;
    std::uint8_t buffer[kDestinationBlock];
};

DestinationManager& destinationOf(j_compress_ptr info) {
    return *reinterpret_cast<DestinationManager*>(info->dest);
}

bool append(DestinationManager& destination, std::size_t count) {
    return destination.out->append(std::span<const std::uint8_t>(destination.buffer, count));
}

void initDestination(j_compress_ptr info) {
    DestinationManager& destination = destinationOf(info);
    destination.library.next_output_byte = destination.buffer;
    destination.library.free_in_buffer = kDestinationBlock;
}

boolean emptyOutput(j_compress_ptr info) {
    DestinationManager& destination = destinationOf(info);
    if (!append(destination, kDestinationBlock))
        ERREXIT(info, JERR_FILE_WRITE);
    initDestination(info);
    return TRUE;
}

void termDestination(j_compress_ptr info) {
    DestinationManager& destination = destinationOf(info);
    if (!append(destination, kDestinationBlock - destination.library.free_in_buffer))
        ERREXIT(info, JERR_FILE_WRITE);
}

ColourSpace colourSpaceOf(J_COLOR_SPACE space) {
    switch (space) {
    case JCS_GRAYSCALE:
        return ColourSpace::Grey;
    case JCS_RGB:
        return ColourSpace::Rgb;
    case JCS_YCbCr:
        return ColourSpace::YCbCr;
    case JCS_CMYK:
        return ColourSpace::Cmyk;
    case JCS_YCCK:
        return ColourSpace::Ycck;
    default:
        return ColourSpace::Unknown;
    }
}

J_COLOR_SPACE outputSpaceFor(J_COLOR_SPACE file, OutputSpace wanted) {
    switch (file) {
    case JCS_GRAYSCALE:
        return JCS_GRAYSCALE;
    case JCS_YCCK:
        return JCS_CMYK;
    case JCS_CMYK:
        return wanted == OutputSpace::Natural ? JCS_CMYK : JCS_EXT_BGR;
    default:
        return JCS_EXT_BGR;
    }
}

// Runs one step of the library with its error exit landing here: a library error marks the
// state failed, and a state that failed before runs nothing. false then, else the step's answer.
// The jump target lies in this frame, which stays live while the step runs.
template <typename State, typename Step> bool guardedStep(State& s, Step step) {
    if (s.failed)
        return false;
    if (setjmp(s.errors.jump)) {
        s.failed = true;
        return false;
    }
    return step();
}

// Installs the error handling of a reader's or writer's state and creates its library object;
// false when the library failed to create it.
template <typename State, typename Create> bool createGuarded(State& s, Create create) {
    installErrors(s.errors);
    s.info.err = &s.errors.library;
    s.created = false;
    s.failed = false;
    return guardedStep(s, [&] {
        create();
        s.created = true;
        return true;
    });
}

} // namespace

int messageNotJpeg() {
    return JERR_NO_SOI;
}
int messageEmptyInput() {
    return JERR_INPUT_EMPTY;
}
int messageUnknownMarker() {
    return JERR_UNKNOWN_MARKER;
}

struct JpegReader::State {
    jpeg_decompress_struct info;
    ErrorManager errors;
    SourceManager source;
    bool created;
    bool failed;
};

JpegReader::JpegReader(ByteInput& source) : state_(std::make_unique<State>()) {
    State& s = *state_;
    if (!createGuarded(s, [&] { jpeg_create_decompress(&s.info); }))
        return;
    s.source.bytes = &source;
    s.source.anyRead = false;
    s.source.library.init_source = initSource;
    s.source.library.fill_input_buffer = fillInput;
    s.source.library.skip_input_data = skipInput;
    s.source.library.resync_to_restart = jpeg_resync_to_restart;
    s.source.library.term_source = termSource;
    s.source.library.bytes_in_buffer = 0;
    s.source.library.next_input_byte = nullptr;
    s.info.src = &s.source.library;
}

JpegReader::~JpegReader() {
    if (state_->created)
        jpeg_destroy_decompress(&state_->info);
}

int JpegReader::messageCode() const {
    return state_->failed ? state_->errors.code : 0;
}

bool JpegReader::lostData() const {
    return state_->errors.lostData;
}

bool JpegReader::readHeader(JpegHeader& header) {
    State& s = *state_;
    return guardedStep(s, [&] {
        if (jpeg_read_header(&s.info, TRUE) != JPEG_HEADER_OK) {
            s.failed = true;
            return false;
        }
        header.width = s.info.image_width;
        header.height = s.info.image_height;
        header.components = s.info.num_components;
        header.colourSpace = colourSpaceOf(s.info.jpeg_color_space);
        return true;
    });
}

bool JpegReader::start(const JpegDecodeOptions& options, JpegOutput& output) {
    State& s = *state_;
    return guardedStep(s, [&] {
        s.info.out_color_space = outputSpaceFor(s.info.jpeg_color_space, options.space);
        s.info.dct_method = options.floatDct ? JDCT_FLOAT : JDCT_IFAST;
        s.info.do_fancy_upsampling = FALSE;
        s.info.do_block_smoothing = FALSE;
        s.info.scale_num = 1;
        s.info.scale_denom = static_cast<unsigned>(std::clamp(options.scaleDenominator, 1, 8));
        jpeg_start_decompress(&s.info);
        output.width = s.info.output_width;
        output.height = s.info.output_height;
        output.components = s.info.output_components;
        return true;
    });
}

bool JpegReader::readRow(std::uint8_t* row) {
    State& s = *state_;
    return guardedStep(s, [&] {
        JSAMPROW rows[1] = {row};
        if (jpeg_read_scanlines(&s.info, rows, 1) != 1) {
            s.failed = true;
            return false;
        }
        return true;
    });
}

bool JpegReader::finish() {
    State& s = *state_;
    return guardedStep(s, [&] {
        jpeg_finish_decompress(&s.info);
        return true;
    });
}

void cmykToBgr(const std::uint8_t* cmyk, std::uint32_t width, std::uint8_t* bgr) {
    // value x black / 255, rounded to the nearest
    const auto colour = [](int stored, int storedBlack) {
        const int product = stored * storedBlack + 128;
        return static_cast<std::uint8_t>(((product >> 8) + product) >> 8);
    };
    for (std::uint32_t x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
        bgr[0] = colour(cmyk[2], cmyk[3]);
        bgr[1] = colour(cmyk[1], cmyk[3]);
        bgr[2] = colour(cmyk[0], cmyk[3]);
    }
}

struct JpegWriter::State {
    jpeg_compress_struct info;
    ErrorManager errors;
    DestinationManager destination;
    bool created;
    bool failed;
};

JpegWriter::JpegWriter(ByteSink& out) : state_(std::make_unique<State>()) {
    State& s = *state_;
    if (!createGuarded(s, [&] { jpeg_create_compress(&s.info); }))
        return;
    s.destination.out = &out;
    s.destination.library.init_destination = initDestination;
    s.destination.library.empty_output_buffer = emptyOutput;
    s.destination.library.term_destination = termDestination;
    s.info.dest = &s.destination.library;
}

JpegWriter::~JpegWriter() {
    if (state_->created)
        jpeg_destroy_compress(&state_->info);
}

bool JpegWriter::start(const JpegEncodeOptions& options) {
    State& s = *state_;
    if (options.width == 0 || options.height == 0)
        return false;
    return guardedStep(s, [&] {
        s.info.image_width = options.width;
        s.info.image_height = options.height;
        s.info.input_components = options.grey ? 1 : 3;
        s.info.in_color_space = options.grey ? JCS_GRAYSCALE : JCS_EXT_BGR;
        jpeg_set_defaults(&s.info);
        jpeg_set_quality(&s.info, std::clamp(options.quality, 1, 100), TRUE);
        jpeg_start_compress(&s.info, TRUE);
        return true;
    });
}

bool JpegWriter::writeRow(const std::uint8_t* row) {
    State& s = *state_;
    return guardedStep(s, [&] {
        JSAMPROW rows[1] = {const_cast<std::uint8_t*>(row)};
        return jpeg_write_scanlines(&s.info, rows, 1) == 1;
    });
}

bool JpegWriter::finish() {
    State& s = *state_;
    return guardedStep(s, [&] {
        jpeg_finish_compress(&s.info);
        return true;
    });
}

} // namespace kpx::jpeg
