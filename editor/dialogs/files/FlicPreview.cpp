#include "FlicPreview.h"

#include "Bitra5Qt.h"

namespace kfm::dialogs {

FlicPreview::FlicPreview(QWidget* parent) : ClipPreview(parent) {}

FlicPreview::~FlicPreview() {
    close();
}

void FlicPreview::close() {
    Stop();
    if (image_)
        KPXDeleteImage(image_);
    image_ = 0;
    FLICFileRelease(reader_);
    reader_ = nullptr;
    decoded_ = 0;
}

bool FlicPreview::Open(const QString& path) {
    close();
    KpxFlicReader* reader = nullptr;
    const QByteArray file = path.toLocal8Bit();
    if (FLICFileOpen(&reader, file.constData()) != 0 || !reader)
        return false;
    const KpxHandle image =
        reader->frameCount > 0 ? KPXCreateImage(reader->width, reader->height, 8) : KpxHandle{0};
    if (!image) {
        FLICFileRelease(reader);
        return false;
    }
    reader_ = reader;
    image_ = image;
    framesDecoded_ = 0;
    opened();
    return true;
}

int FlicPreview::LengthMilliseconds() const {
    if (!reader_)
        return 0;
    const long long ms = static_cast<long long>(reader_->delay) * reader_->frameCount;
    return ms > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(ms);
}

QSize FlicPreview::PictureSize() const {
    return reader_ ? QSize(reader_->width, reader_->height) : QSize();
}

bool FlicPreview::decode(int frame, QImage& picture) {
    if (!reader_ || frame < 0 || frame >= reader_->frameCount)
        return false;
    const int wanted = frame + 1;
    if (wanted < decoded_ || decoded_ == 0) {
        FLICStreamSetCurFrame(reader_);
        decoded_ = 0;
    }
    // A frame the file cannot give keeps the picture decoded so far.
    while (decoded_ < wanted && FLICStreamGetNextFrame(reader_) == 0) {
        ++decoded_;
        ++framesDecoded_;
    }
    if (decoded_ == 0 || FLICStreamFillImage8(reader_, image_, 0) != 0)
        return false;
    picture = KpxImageToQImage(image_, false);
    return !picture.isNull();
}

} // namespace kfm::dialogs
