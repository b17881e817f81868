#include "FfmpegVideo.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace {

// Pictures in a row the decoder may fail to make before the rest of the stream is given up.
constexpr int kMostFailuresInARow = 64;

// FFmpeg's objects with their own release functions.
struct FormatCloser {
    void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};
struct CodecCloser {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameCloser {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketCloser {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct ScalerCloser {
    void operator()(SwsContext* s) const { sws_freeContext(s); }
};
using FormatPointer = std::unique_ptr<AVFormatContext, FormatCloser>;
using CodecPointer = std::unique_ptr<AVCodecContext, CodecCloser>;
using FramePointer = std::unique_ptr<AVFrame, FrameCloser>;
using PacketPointer = std::unique_ptr<AVPacket, PacketCloser>;
using ScalerPointer = std::unique_ptr<SwsContext, ScalerCloser>;

// The libraries' messages would go to the console for every file that is not a clip.
void quietLibraries() {
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

// The file read as AVI, whatever its content looks like to other demuxers.
FormatPointer openAvi(const char* path) {
    quietLibraries();
    const AVInputFormat* avi = av_find_input_format("avi");
    AVFormatContext* context = nullptr;
    if (!path || !avi || avformat_open_input(&context, path, avi, nullptr) < 0)
        return nullptr;
    return FormatPointer(context);
}

DWORD streamType(const AVStream& stream) {
    switch (stream.codecpar->codec_type) {
    case AVMEDIA_TYPE_VIDEO:
        return streamtypeVIDEO;
    case AVMEDIA_TYPE_AUDIO:
        return streamtypeAUDIO;
    case AVMEDIA_TYPE_SUBTITLE:
        return streamtypeTEXT;
    default:
        return 0;
    }
}

DWORD clampToDword(std::int64_t v) {
    return static_cast<DWORD>(std::clamp<std::int64_t>(v, 0, UINT32_MAX));
}

// The number of frames (video) or time-base units the stream's header gives.
DWORD headerLength(const AVStream& stream) {
    if (stream.nb_frames > 0)
        return clampToDword(stream.nb_frames);
    return stream.duration > 0 ? clampToDword(stream.duration) : 0;
}

std::int64_t streamStartTime(const AVStream& stream) {
    return stream.start_time == AV_NOPTS_VALUE ? 0 : stream.start_time;
}

void copyText(char (&out)[64], const char* text) {
    std::memset(out, 0, sizeof out);
    if (text)
        std::strncpy(out, text, sizeof out - 1);
}

AVISTREAMINFOA describeStream(const AVStream& stream) {
    AVISTREAMINFOA info{};
    info.fccType = streamType(stream);
    info.fccHandler = stream.codecpar->codec_tag;
    // One time-base unit of an AVI stream is one frame (video) or one block (audio).
    info.dwScale = clampToDword(stream.time_base.num);
    info.dwRate = clampToDword(stream.time_base.den);
    info.dwLength = headerLength(stream);
    info.dwQuality = static_cast<DWORD>(-1);
    info.rcFrame = RECT{0, 0, stream.codecpar->width, stream.codecpar->height};
    const AVDictionaryEntry* title = av_dict_get(stream.metadata, "title", nullptr, 0);
    copyText(info.szName, title ? title->value : nullptr);
    return info;
}

template <typename Info> void copyInfo(const Info& from, Info* to, LONG size) {
    if (to && size > 0)
        std::memcpy(to, &from, std::min<std::size_t>(static_cast<std::size_t>(size), sizeof from));
}

} // namespace

struct AviFileHandle {
    std::string path;
    AVIFILEINFOA info{};
    std::vector<AVISTREAMINFOA> streams;
    std::vector<int> streamIndices; // the demuxer's stream number of each entry
};

struct AviStreamHandle {
    std::string path;
    int streamIndex = 0;
    AVISTREAMINFOA info{};
};

// Decodes one video stream in presentation order. It holds the picture of the last position
// asked for (current) and, once decoded, the picture after it (next): a position between the two
// shows the current picture.
struct AviFrameDecoder {
    FormatPointer format;
    AVStream* stream = nullptr;
    CodecPointer codec;
    ScalerPointer scaler;
    PacketPointer packet{av_packet_alloc()};
    FramePointer current{av_frame_alloc()};
    FramePointer next{av_frame_alloc()};
    std::int64_t currentPosition = -1;          // -1: no current picture
    std::int64_t nextPosition = -1;             // -1: no next picture
    std::int64_t lastPacketPosition = -1;       // of the last packet sent to the decoder
    std::vector<std::int64_t> pendingPositions; // of packets sent whose pictures are due
    std::uint64_t currentSerial = 0;            // which decoded picture current holds
    std::uint64_t dibSerial = 0;                // which one the DIB holds (0: none)
    std::uint64_t serials = 0;
    bool drained = false; // the decoder has given its last picture
    bool flushing = false;
    std::int64_t startTime = 0;
    std::int64_t length = 0;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> dib;
    std::int64_t pictures = 0;

    bool open(const AviStreamHandle& source);
    void* frameAt(std::int64_t position);

private:
    bool decodeInto(AVFrame* frame, std::int64_t& position);
    std::int64_t takePosition();
    bool readPacket();
    void seekTo(std::int64_t position);
    std::int64_t keyFrameAtOrBefore(std::int64_t position) const;
    bool canStartAtKeyFrames() const;
    std::int64_t restartFor(std::int64_t position) const;
    void advanceTo(std::int64_t position);
    void* currentDib();
};

bool AviFrameDecoder::open(const AviStreamHandle& source) {
    format = openAvi(source.path.c_str());
    if (!format || source.streamIndex >= static_cast<int>(format->nb_streams) || !packet ||
        !current || !next)
        return false;
    stream = format->streams[source.streamIndex];
    const AVCodecParameters& parameters = *stream->codecpar;
    width = parameters.width;
    height = parameters.height;
    if (parameters.codec_type != AVMEDIA_TYPE_VIDEO || width <= 0 || height <= 0)
        return false;
    const AVCodec* decoder = avcodec_find_decoder(parameters.codec_id);
    if (!decoder)
        return false;
    codec.reset(avcodec_alloc_context3(decoder));
    if (!codec || avcodec_parameters_to_context(codec.get(), &parameters) < 0)
        return false;
    codec->thread_count = 0; // as many as the machine has
    codec->pkt_timebase = stream->time_base;
    if (avcodec_open2(codec.get(), decoder, nullptr) < 0)
        return false;
    // Only this stream's packets are wanted.
    for (unsigned i = 0; i < format->nb_streams; ++i)
        if (static_cast<int>(i) != source.streamIndex)
            format->streams[i]->discard = AVDISCARD_ALL;
    startTime = streamStartTime(*stream);
    length = source.info.dwLength;
    const std::size_t rowBytes = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
    dib.assign(sizeof(BITMAPINFOHEADER) + rowBytes * static_cast<std::size_t>(height), 0);
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height; // bottom-up
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<DWORD>(rowBytes * static_cast<std::size_t>(height));
    std::memcpy(dib.data(), &header, sizeof header);
    return true;
}

// Hands the stream's next packet to the decoder; at the end of the file the decoder is told to
// give what it still holds. False when nothing more can be sent.
bool AviFrameDecoder::readPacket() {
    if (flushing)
        return false;
    while (av_read_frame(format.get(), packet.get()) >= 0) {
        // An empty chunk stands for a frame left out; an empty packet would end the decoding.
        const bool usable = packet->stream_index == stream->index && packet->size > 0;
        if (usable) {
            const std::int64_t stamp = packet->dts != AV_NOPTS_VALUE ? packet->dts : packet->pts;
            const std::int64_t position =
                stamp != AV_NOPTS_VALUE ? stamp - startTime : lastPacketPosition + 1;
            lastPacketPosition = position;
            // A packet the decoder refuses is dropped; its frame is simply not shown.
            if (avcodec_send_packet(codec.get(), packet.get()) == 0)
                pendingPositions.push_back(position);
        }
        av_packet_unref(packet.get());
        if (usable)
            return true;
    }
    avcodec_send_packet(codec.get(), nullptr);
    flushing = true;
    return true;
}

// Chunks are stored in decoding order, each at its own position; pictures come out in
// presentation order and take the positions in ascending order.
std::int64_t AviFrameDecoder::takePosition() {
    if (pendingPositions.empty())
        return std::max(currentPosition, nextPosition) + 1;
    const auto smallest = std::min_element(pendingPositions.begin(), pendingPositions.end());
    const std::int64_t position = *smallest;
    pendingPositions.erase(smallest);
    return position;
}

// The next picture in presentation order and its position; false at the end of the stream.
bool AviFrameDecoder::decodeInto(AVFrame* frame, std::int64_t& position) {
    int failures = 0;
    while (!drained) {
        const int received = avcodec_receive_frame(codec.get(), frame);
        if (received == 0) {
            ++pictures;
            position = takePosition();
            return true;
        }
        if (received == AVERROR(EAGAIN)) {
            if (!readPacket())
                drained = true;
        } else if (received == AVERROR_EOF || ++failures > kMostFailuresInARow) {
            drained = true;
        } else {
            // A picture the decoder could not make is left out; the one before it shows in its
            // place, and decoding goes on.
            takePosition();
        }
    }
    return false;
}

std::int64_t AviFrameDecoder::keyFrameAtOrBefore(std::int64_t position) const {
    const int entry = av_index_search_timestamp(stream, position + startTime, AVSEEK_FLAG_BACKWARD);
    if (entry < 0)
        return 0;
    const AVIndexEntry* key = avformat_index_get_entry(stream, entry);
    return key ? key->timestamp - startTime : 0;
}

// Key frames are places to start decoding only when pictures come out in the order their
// chunks are stored: with reordered pictures (B-frames) an AVI file does not tell which position
// a picture decoded after a seek belongs to, so such streams are decoded from their start. The
// first picture decoded tells which kind the stream is.
bool AviFrameDecoder::canStartAtKeyFrames() const {
    return pictures > 0 && codec->has_b_frames == 0;
}

// Where decoding must start again for the position: behind the current picture, or at a key
// frame beyond the next packet the file would give anyway; -1 to decode on.
std::int64_t AviFrameDecoder::restartFor(std::int64_t position) const {
    const bool keyFrames = canStartAtKeyFrames();
    if (currentPosition >= 0 && position < currentPosition)
        return keyFrames ? keyFrameAtOrBefore(position) : 0;
    if (!keyFrames)
        return -1;
    const std::int64_t key = keyFrameAtOrBefore(position);
    return key > lastPacketPosition + 1 ? key : -1;
}

void AviFrameDecoder::seekTo(std::int64_t position) {
    av_seek_frame(format.get(), stream->index, position + startTime, AVSEEK_FLAG_BACKWARD);
    avcodec_flush_buffers(codec.get());
    currentPosition = -1;
    nextPosition = -1;
    lastPacketPosition = -1;
    pendingPositions.clear();
    drained = false;
    flushing = false;
}

// Decodes on until current is the last picture at or before the position (and next, when there
// is one, the first after it).
void AviFrameDecoder::advanceTo(std::int64_t position) {
    for (;;) {
        if (currentPosition < 0) {
            if (!decodeInto(current.get(), currentPosition)) {
                currentPosition = -1;
                return;
            }
            currentSerial = ++serials;
            continue;
        }
        if (currentPosition >= position)
            return;
        if (nextPosition < 0 && !decodeInto(next.get(), nextPosition)) {
            nextPosition = -1;
            return;
        }
        if (nextPosition > position)
            return;
        std::swap(current, next);
        currentPosition = nextPosition;
        currentSerial = ++serials;
        nextPosition = -1;
    }
}

void* AviFrameDecoder::currentDib() {
    if (dibSerial == currentSerial)
        return dib.data();
    const AVFrame& frame = *current;
    scaler.reset(sws_getCachedContext(scaler.release(), frame.width, frame.height,
                                      static_cast<AVPixelFormat>(frame.format), width, height,
                                      AV_PIX_FMT_BGR24, SWS_BICUBIC, nullptr, nullptr, nullptr));
    if (!scaler)
        return nullptr;
    const int rowBytes = static_cast<int>((static_cast<std::size_t>(width) * 3 + 3) & ~3u);
    // The DIB's rows run bottom-up: start at its last row and step backwards.
    std::uint8_t* lastRow =
        dib.data() + sizeof(BITMAPINFOHEADER) + static_cast<std::size_t>(rowBytes) * (height - 1);
    std::uint8_t* const planes[4] = {lastRow, nullptr, nullptr, nullptr};
    const int strides[4] = {-rowBytes, 0, 0, 0};
    if (sws_scale(scaler.get(), frame.data, frame.linesize, 0, frame.height, planes, strides) <= 0)
        return nullptr;
    dibSerial = currentSerial;
    return dib.data();
}

void* AviFrameDecoder::frameAt(std::int64_t position) {
    if (position < 0 || position >= length)
        return nullptr;
    if (pictures == 0)
        advanceTo(0);
    if (const std::int64_t restart = restartFor(position); restart >= 0)
        seekTo(restart);
    advanceTo(position);
    if (currentPosition > position) {
        // The key frame found lay after the position (an index that is off): start again from
        // the beginning.
        seekTo(0);
        advanceTo(position);
    }
    if (currentPosition < 0 || currentPosition > position)
        return nullptr;
    // After the last picture there is nothing left to show.
    if (currentPosition < position && nextPosition < 0)
        return nullptr;
    return currentDib();
}

namespace kfm::video::ffmpeg {

HRESULT fileOpen(PAVIFILE* file, const char* path) {
    if (!file)
        return AVIERR_BADPARAM;
    *file = nullptr;
    if (!path)
        return AVIERR_BADPARAM;
    const FormatPointer format = openAvi(path);
    if (!format) {
        std::FILE* probe = std::fopen(path, "rb");
        if (!probe)
            return AVIERR_FILEOPEN;
        std::fclose(probe);
        return AVIERR_BADFORMAT;
    }
    auto handle = std::make_unique<AviFileHandle>();
    handle->path = path;
    AVIFILEINFOA& info = handle->info;
    info.dwMaxBytesPerSec = clampToDword(format->bit_rate / 8);
    info.dwCaps = 1; // can read
    info.dwStreams = format->nb_streams;
    const AVStream* video = nullptr;
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        const AVStream& s = *format->streams[i];
        handle->streams.push_back(describeStream(s));
        handle->streamIndices.push_back(static_cast<int>(i));
        if (!video && s.codecpar->codec_type == AVMEDIA_TYPE_VIDEO)
            video = &s;
    }
    if (video) {
        const AVISTREAMINFOA v = describeStream(*video);
        info.dwWidth = clampToDword(video->codecpar->width);
        info.dwHeight = clampToDword(video->codecpar->height);
        info.dwScale = v.dwScale;
        info.dwRate = v.dwRate;
        info.dwLength = v.dwLength;
    }
    copyText(info.szFileType, format->iformat->long_name);
    *file = handle.release();
    return AVIERR_OK;
}

HRESULT fileInfo(PAVIFILE file, AVIFILEINFOA* info, LONG size) {
    if (!file || !info)
        return AVIERR_BADPARAM;
    copyInfo(file->info, info, size);
    return AVIERR_OK;
}

HRESULT fileGetStream(PAVIFILE file, PAVISTREAM* stream, DWORD type, LONG index) {
    if (!stream)
        return AVIERR_BADPARAM;
    *stream = nullptr;
    if (!file || index < 0)
        return AVIERR_BADPARAM;
    LONG seen = 0;
    for (std::size_t i = 0; i < file->streams.size(); ++i) {
        if (type != 0 && file->streams[i].fccType != type)
            continue;
        if (seen++ == index) {
            *stream = new AviStreamHandle{file->path, file->streamIndices[i], file->streams[i]};
            return AVIERR_OK;
        }
    }
    return AVIERR_NODATA;
}

ULONG fileRelease(PAVIFILE file) {
    delete file;
    return 0;
}

HRESULT streamInfo(PAVISTREAM stream, AVISTREAMINFOA* info, LONG size) {
    if (!stream || !info)
        return AVIERR_BADPARAM;
    copyInfo(stream->info, info, size);
    return AVIERR_OK;
}

LONG streamStart(PAVISTREAM stream) {
    return stream ? static_cast<LONG>(stream->info.dwStart) : -1;
}

LONG streamLength(PAVISTREAM stream) {
    return stream ? static_cast<LONG>(std::min<DWORD>(stream->info.dwLength, INT32_MAX)) : -1;
}

ULONG streamRelease(PAVISTREAM stream) {
    delete stream;
    return 0;
}

PGETFRAME getFrameOpen(PAVISTREAM stream, const BITMAPINFOHEADER* wanted) {
    if (!stream || stream->info.fccType != streamtypeVIDEO)
        return nullptr;
    if (wanted && (wanted->biBitCount != 24 || wanted->biCompression != BI_RGB))
        return nullptr;
    auto decoder = std::make_unique<AviFrameDecoder>();
    if (!decoder->open(*stream))
        return nullptr;
    return decoder.release();
}

void* getFrame(PGETFRAME frames, LONG position) {
    return frames ? frames->frameAt(position) : nullptr;
}

HRESULT getFrameClose(PGETFRAME frames) {
    delete frames;
    return AVIERR_OK;
}

std::int64_t decodedPictureCount(PGETFRAME frames) {
    return frames ? frames->pictures : 0;
}

} // namespace kfm::video::ffmpeg
