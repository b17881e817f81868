#pragma once
// The FLIC import dialog's preview: a FLI or FLC file read as a stream through the image
// library's FLIC reader. Frames decode in order; going back restarts the stream from its first
// frame and decodes up to the one wanted. Every frame shows for the file's frame time.

#include "ClipPreview.h"

#include "Bitra5.h"

namespace kfm::dialogs {

class FlicPreview final : public ClipPreview {
    Q_OBJECT
public:
    explicit FlicPreview(QWidget* parent = nullptr);
    ~FlicPreview() override;

    // Opens the file and shows its first frame; false (and no clip) when the reader refuses it
    // or it has no frames.
    bool Open(const QString& path);

    int LengthFrames() const override { return reader_ ? reader_->frameCount : 0; }
    int LengthMilliseconds() const override;
    QSize PictureSize() const override;
    // The 8-bit picture of the frame shown (the preview's own).
    KpxHandle Image() const { return image_; }
    // Frames read from the file since it opened (restarts count again).
    long long FramesDecoded() const { return framesDecoded_; }

protected:
    bool decode(int frame, QImage& picture) override;

private:
    void close();

    KpxFlicReader* reader_ = nullptr;
    KpxHandle image_ = 0;
    int decoded_ = 0; // the frame in the reader's picture, from 1 (0: none)
    long long framesDecoded_ = 0;
};

} // namespace kfm::dialogs
