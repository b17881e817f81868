#include "VideoPreview.h"

#include "video/AviFile.h"

#include <cstring>

namespace kfm::dialogs {

// The open file, its video stream and the stream's decoder, released in the reverse order.
struct VideoPreview::Clip {
    PAVIFILE file = nullptr;
    PAVISTREAM stream = nullptr;
    PGETFRAME frames = nullptr;
    ~Clip() {
        if (frames)
            AVIStreamGetFrameClose(frames);
        if (stream)
            AVIStreamRelease(stream);
        if (file)
            AVIFileRelease(file);
    }
};

namespace {

// Milliseconds of a stream of length frames at rate / scale frames a second (0 without a rate).
int streamMilliseconds(const AVISTREAMINFOA& info, int frames) {
    if (info.dwRate == 0)
        return 0;
    const long double ms = static_cast<long double>(frames) * info.dwScale * 1000.0L / info.dwRate;
    return ms > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(ms + 0.5L);
}

// A packed bottom-up 24-bit DIB (header, then rows padded to four bytes) as a picture.
QImage pictureOfDib(const void* dib) {
    BITMAPINFOHEADER header{};
    std::memcpy(&header, dib, sizeof header);
    const int width = header.biWidth;
    const int height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    if (width <= 0 || height <= 0 || header.biBitCount != 24)
        return {};
    const qsizetype stride = (static_cast<qsizetype>(width) * 3 + 3) & ~qsizetype{3};
    const auto* rows = static_cast<const uchar*>(dib) + header.biSize;
    const QImage wrapped(rows, width, height, stride, QImage::Format_BGR888);
    // Bottom-up rows unless the height is negative.
    return header.biHeight > 0 ? wrapped.mirrored(false, true) : wrapped.copy();
}

} // namespace

VideoPreview::VideoPreview(QWidget* parent) : ClipPreview(parent) {}

VideoPreview::~VideoPreview() {
    close();
}

void VideoPreview::close() {
    Stop();
    clip_.reset();
    frames_ = 0;
    milliseconds_ = 0;
    size_ = {};
}

bool VideoPreview::Open(const QString& path) {
    close();
    auto clip = std::make_unique<Clip>();
    const QByteArray file = path.toLocal8Bit();
    if (AVIFileOpenA(&clip->file, file.constData(), OF_READ, nullptr) != AVIERR_OK)
        return false;
    if (AVIFileGetStream(clip->file, &clip->stream, streamtypeVIDEO, 0) != AVIERR_OK)
        return false;
    AVISTREAMINFOA info{};
    if (AVIStreamInfoA(clip->stream, &info, sizeof info) != AVIERR_OK)
        return false;
    clip->frames = AVIStreamGetFrameOpen(clip->stream, nullptr);
    if (!clip->frames)
        return false;
    const int frames = AVIStreamLength(clip->stream);
    if (frames <= 0)
        return false;
    clip_ = std::move(clip);
    frames_ = frames;
    milliseconds_ = streamMilliseconds(info, frames);
    size_ = QSize(info.rcFrame.right - info.rcFrame.left, info.rcFrame.bottom - info.rcFrame.top);
    opened();
    return true;
}

bool VideoPreview::decode(int frame, QImage& picture) {
    if (!clip_)
        return false;
    const void* dib = AVIStreamGetFrame(clip_->frames, AVIStreamStart(clip_->stream) + frame);
    if (!dib)
        return false;
    picture = pictureOfDib(dib);
    return !picture.isNull();
}

} // namespace kfm::dialogs
