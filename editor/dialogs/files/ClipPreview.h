#pragma once
// What the AVI and FLIC import dialogs need of their preview: a clip of frames counted from 0,
// shown one at a time in a black frame (at its size when it fits, else scaled proportionally and
// centred), played at the clip's frame time, stopped, sent to a frame, played through a range
// once or over and over. The preview is silent.

#include <QElapsedTimer>
#include <QImage>
#include <QString>
#include <QTimer>
#include <QWidget>

namespace kfm::dialogs {

class ClipPreview : public QWidget {
    Q_OBJECT
public:
    explicit ClipPreview(QWidget* parent = nullptr);
    ~ClipPreview() override;

    // Frames of the clip and its length in milliseconds (0 before a clip opened).
    virtual int LengthFrames() const = 0;
    virtual int LengthMilliseconds() const = 0;
    // The picture size of the clip.
    virtual QSize PictureSize() const = 0;

    // The frame shown (from 0).
    int Position() const { return position_; }
    bool IsPlaying() const { return playing_; }
    bool Repeats() const { return repeat_; }
    // Milliseconds each frame is shown.
    double FrameMilliseconds() const;

    // Plays from the frame shown to the last one (from the first when the last one is shown).
    void Play();
    // Plays from the frame shown to the frame given, once, unless the preview repeats.
    void PlayTo(int last);
    // Shows first, then plays to last.
    void PlayRange(int first, int last);
    void Stop();
    // Shows the frame (held to the clip) and stops.
    void Seek(int frame);
    void SeekToStart() { Seek(0); }
    void SeekToEnd() { Seek(LengthFrames() - 1); }
    // With repeat on, a play that reaches its last frame starts again from its first.
    void SetRepeat(bool repeat) { repeat_ = repeat; }
    // The picture of the frame shown, as decoded.
    const QImage& Picture() const { return picture_; }
    // Where the picture is drawn within the widget.
    QRect PictureRect() const;

signals:
    // A frame (from 0) has been shown.
    void shown(int frame);

protected:
    // Decodes the frame into the picture; false when it cannot be decoded (the last picture
    // stays).
    virtual bool decode(int frame, QImage& picture) = 0;
    // Called once a clip has opened: shows frame 0.
    void opened();
    void paintEvent(QPaintEvent* event) override;

private:
    void show(int frame);
    void tick();

    int position_ = 0;
    int playFrom_ = 0;
    int playTo_ = 0;
    int rangeStart_ = 0;
    bool playing_ = false;
    bool repeat_ = false;
    QImage picture_;
    QTimer ticker_;
    QElapsedTimer clock_;
};

// A clip the import dialogs can time: it opened, has frames and a length (the frame time is
// length / frames).
bool IsPlayableClip(const ClipPreview& preview);

} // namespace kfm::dialogs
