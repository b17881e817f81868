#pragma once
// The animated preview window: plays a frame chain at the frames' own delays, with an optional
// toolbar (play/pause, stretch, frame counter). The canvas shows it inside its pane; it can also
// stand alone and load a file itself on its loader thread, showing the frames while they arrive.
//
// The owner drives it through the methods below, or by number through WindowProc (WM_USER + 100
// to + 123 and the commands of its toolbar and loader). Its loader thread is stopped and joined
// when the window closes, loads another file, stops loading or is destroyed.

#include <QElapsedTimer>
#include <QImage>
#include <QTimer>
#include <QWidget>

#include <memory>

#include "Bitra5.h"
#include "MessageTarget.h"
#include "PreviewPlayback.h"

class QAction;
class QLabel;
class QToolBar;

namespace kfm::ui {

class PreviewLoader;

class PreviewPlayer : public QWidget, public MessageTarget {
public:
    // Creation style bits.
    enum Style : unsigned {
        NoToolbar = 0x04,
        NoResize = 0x10,        // keep the size the owner gives
        TitleIsFileName = 0x20, // a loaded file's name becomes the title
        KeepInput = 0x40,       // keys and mouse buttons are not passed on to the parent
    };
    // The messages by number (WM_USER + n) and the commands.
    enum Message : UINT {
        kLoadFile = WM_USER + 100,
        kPlay = WM_USER + 101,
        kPause = WM_USER + 102,
        kStretch = WM_USER + 104,
        kIsPaused = WM_USER + 105,
        kFirstFrame = WM_USER + 106,
        kPreviousFrame = WM_USER + 107,
        kNextFrame = WM_USER + 108,
        kLastFrame = WM_USER + 109,
        kFrameCount = WM_USER + 110,
        kCurrentFrame = WM_USER + 111,
        kTakeFrames = WM_USER + 112,
        kEndCommand = WM_USER + 113,
        kStartTicker = WM_USER + 114,
        kBackground = WM_USER + 115,
        kTotalTime = WM_USER + 118,
        kNotify = WM_USER + 119,
        kGoToFrame = WM_USER + 120,
        kPlayRange = WM_USER + 121,
        kElapsedTime = WM_USER + 122,
        kEndless = WM_USER + 123,
    };
    enum Command : UINT {
        kCmdFramesLoaded = 1224,
        kCmdPlayButton = 1328,
        kCmdStretchButton = 1329,
    };
    static constexpr COLORREF kSystemBackground = 0xFFFFFFFFu;

    explicit PreviewPlayer(unsigned style, QWidget* parent = nullptr);
    ~PreviewPlayer() override;

    // Loads every frame of a file on the loader thread; false (nothing changed but the old
    // frames let go) for a path shorter than 4 characters or a file of fewer than 2 frames.
    bool LoadFile(const QString& path);
    // Takes a whole chain (0 ends a load without frames: false). The window deletes it when it
    // lets it go, unless TakeFrames(true) says the caller keeps it.
    bool SetFrames(KpxHandle chain);
    void TakeFrames(bool ownerKeepsThem);
    // Ends a running load, keeping the frames loaded so far.
    void StopLoading();

    void Play();
    void Pause();
    bool IsPaused() const { return state_.paused; }
    void SetStretch(bool stretch);
    void FirstFrame();
    void PreviousFrame();
    void NextFrame();
    void LastFrame();
    // Frame numbers from 1.
    void GoToFrame(int frame);
    void PlayRange(int first, int last);
    int FrameCount() const { return state_.frameCount; }
    int CurrentFrame() const { return state_.current + 1; }
    int TotalTime() const { return kfm::shell::TotalTime(state_); }
    int ElapsedTime() const { return kfm::shell::ElapsedTime(state_); }
    // How many times the animation plays before it stops.
    int Loops() const { return state_.loopSetting; }
    void SetEndless(bool endless);
    // The command sent to the command window (by default the top-level window) when the last
    // loop ends; -1 none.
    void SetEndCommand(int command) { endCommand_ = command; }
    void SetCommandWindow(MessageTarget* window) { commandWindow_ = window; }
    // After every shown frame, message goes to window with lParam = the frame number from 1.
    void SetNotify(MessageTarget* window, UINT message);
    // Ticks every 5 ms instead of every 50 ms.
    void StartTicker();
    void SetBackground(COLORREF colour);

    bool IsLoading() const { return loader_ != nullptr; }
    KpxHandle Frames() const { return frames_; }
    QString CounterText() const;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void createToolbar();
    void onTick();
    void afterTransport();
    void showCurrentFrame();
    void updateButtons();
    void setCounter(const QString& text);
    void releaseFrames();
    void adoptChain(KpxHandle chain);
    void takeAnimation(KpxHandle chain);
    void joinLoader();
    void sizeToCanvas();
    // Composes the current frame onto the canvas; false when it was there already.
    bool composeCanvas();
    QRect pictureArea() const;
    COLORREF backgroundColour() const;
    void onFirstFrame(unsigned load, KpxHandle chain);
    void onLoadProgress(unsigned load, int index);
    void onLoaded(unsigned load, KpxHandle chain);

    const unsigned style_;
    kfm::shell::PlaybackState state_;
    KpxHandle frames_ = 0;
    KpxHandle canvas_ = 0;
    QImage shown_; // the canvas the right way up, as painted
    int drawn_ = -100;
    bool ownerKeepsFrames_ = false;
    bool stretch_ = false;
    COLORREF background_ = kSystemBackground;
    int endCommand_ = -1;
    MessageTarget* commandWindow_ = nullptr;
    MessageTarget* notifyWindow_ = nullptr;
    UINT notifyMessage_ = 0;
    int loadTotal_ = 0;
    int loadCount_ = 0;
    unsigned loadNumber_ = 0; // reports of other loads than this one are stale
    std::unique_ptr<PreviewLoader> loader_;
    QTimer timer_;
    QElapsedTimer clock_;
    QToolBar* toolbar_ = nullptr;
    QAction* playButton_ = nullptr;
    QAction* stretchButton_ = nullptr;
    QLabel* counter_ = nullptr;
};

} // namespace kfm::ui
