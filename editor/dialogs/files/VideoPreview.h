#pragma once
// The AVI import dialog's preview: the first video stream of an AVI file, decoded through the
// video layer, frame by frame as the preview asks.

#include "ClipPreview.h"

#include <memory>

namespace kfm::dialogs {

class VideoPreview final : public ClipPreview {
    Q_OBJECT
public:
    explicit VideoPreview(QWidget* parent = nullptr);
    ~VideoPreview() override;

    // Opens the file's first video stream and shows its first frame; false (and no clip) when
    // the file is no AVI file, has no video stream or no decoder for it.
    bool Open(const QString& path);

    int LengthFrames() const override { return frames_; }
    int LengthMilliseconds() const override { return milliseconds_; }
    QSize PictureSize() const override { return size_; }

protected:
    bool decode(int frame, QImage& picture) override;

private:
    struct Clip;
    void close();

    std::unique_ptr<Clip> clip_;
    int frames_ = 0;
    int milliseconds_ = 0;
    QSize size_;
};

} // namespace kfm::dialogs
