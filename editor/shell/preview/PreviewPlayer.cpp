#include "PreviewPlayer.h"

#include "Bitra5Qt.h"
#include "Kfm5ResourceIds.h"
#include "PreviewLoader.h"
#include "ResourceAccess.h"
#include "resources/ResourceTable.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFrame>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QRegion>
#include <QToolBar>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace kfm::ui {

namespace {

constexpr int kTimerMs = 50;
constexpr int kTickerMs = 5;
constexpr int kBorder = 6;
constexpr int kEmptySize = 100;
constexpr int kButtonSize = 16;
constexpr QSize kCounterFrame(50, 22);

COLORREF toColorRef(const QColor& colour) {
    return RGB(static_cast<BYTE>(colour.red()), static_cast<BYTE>(colour.green()),
               static_cast<BYTE>(colour.blue()));
}

QColor toQColor(COLORREF colour) {
    return QColor(GetRValue(colour), GetGValue(colour), GetBValue(colour));
}

// Picture n of the toolbar bitmap (16 x 16 pictures side by side).
QIcon toolbarPicture(const QImage& strip, int n) {
    const QRect cell(n * kButtonSize, 0, kButtonSize, kButtonSize);
    if (strip.isNull() || !strip.rect().contains(cell))
        return {};
    return QIcon(QPixmap::fromImage(strip.copy(cell)));
}

std::vector<int> delaysOf(KpxHandle chain) {
    std::vector<int> delays(
        static_cast<std::size_t>(std::max<int>(KPXGetImageFramesNum(chain), 0)));
    const int written = delays.empty() ? 0
                                       : KPXGetImageFramesDelay(chain, delays.data(),
                                                                static_cast<int>(delays.size()));
    delays.resize(static_cast<std::size_t>(std::max(written, 0)));
    return delays;
}

// The loop count as the chain keeps it, 0..65535 or -1 for none (the short of
// KPXGetImagesRepeatCycle cannot tell 65535 from none).
int loopCountOf(KpxHandle chain) {
    AnimateInfo info{};
    if (!KPXGetAnimateInfo(chain, &info))
        return -1;
    std::free(info.comment);
    return info.loopCount;
}

} // namespace

PreviewPlayer::PreviewPlayer(unsigned style, QWidget* parent) : QWidget(parent), style_(style) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    if (!(style_ & NoToolbar))
        createToolbar();
    connect(&timer_, &QTimer::timeout, this, [this] { onTick(); });
    timer_.start(kTimerMs);
    clock_.start();
    if (!(style_ & NoResize))
        resize(kEmptySize, kEmptySize);
}

PreviewPlayer::~PreviewPlayer() {
    timer_.stop();
    joinLoader();
    releaseFrames();
}

void PreviewPlayer::createToolbar() {
    toolbar_ = new QToolBar(this);
    toolbar_->setIconSize(QSize(kButtonSize, kButtonSize));
    toolbar_->setMovable(false);
    toolbar_->setAutoFillBackground(true);
    QImage strip;
    const QByteArray bitmap = ResourceData(RT_BITMAP, kfm5res::kBitmapPreviewToolbar);
    if (!bitmap.isEmpty())
        strip.loadFromData(bitmap, "PNG");
    playButton_ = toolbar_->addAction(toolbarPicture(strip, 0), QStringLiteral("Play"));
    playButton_->setCheckable(true);
    connect(playButton_, &QAction::triggered, this,
            [this] { WindowProc(WM_COMMAND, kCmdPlayButton, 0); });
    stretchButton_ = toolbar_->addAction(toolbarPicture(strip, 1), QStringLiteral("Stretch"));
    stretchButton_->setCheckable(true);
    connect(stretchButton_, &QAction::triggered, this,
            [this] { WindowProc(WM_COMMAND, kCmdStretchButton, 0); });
    auto* frame = new QFrame(toolbar_);
    frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    frame->setFixedSize(kCounterFrame);
    frame->setAutoFillBackground(true);
    counter_ = new QLabel(frame);
    counter_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    counter_->setGeometry(frame->contentsRect().adjusted(2, 0, -2, 0));
    toolbar_->addWidget(frame);
    toolbar_->adjustSize();
}

// -------------------- Frames and loading

bool PreviewPlayer::LoadFile(const QString& path) {
    StopLoading();
    releaseFrames();
    update();
    if (path.size() < 4)
        return false;
    const std::string file = path.toStdString();
    if (style_ & TitleIsFileName)
        setWindowTitle(QFileInfo(path).fileName());
    setCounter({});
    KpxFileInfo info{};
    if (!KPXGetInfoFileOffset(file.c_str(), 0, &info) || info.frameCount < 2)
        return false;
    loadTotal_ = info.frameCount;
    loadCount_ = 0;
    const unsigned load = ++loadNumber_;
    PreviewLoadReports reports{
        [this, load](KpxHandle chain) { onFirstFrame(load, chain); },
        [this, load](int index) { onLoadProgress(load, index); },
        [this, load](KpxHandle chain) { onLoaded(load, chain); },
    };
    loader_ = std::make_unique<PreviewLoader>(file, this, std::move(reports));
    return true;
}

void PreviewPlayer::StopLoading() {
    if (!loader_)
        return;
    joinLoader();
    state_.loading = false;
    if (frames_)
        takeAnimation(frames_);
    update();
}

void PreviewPlayer::joinLoader() {
    if (!loader_)
        return;
    loader_->StopAndJoin();
    // The chain of a load whose first frame has not reached the window yet belongs to nobody.
    const KpxHandle result = loader_->Result();
    if (result && result != frames_)
        KPXDeleteImage(result);
    loader_.reset();
    ++loadNumber_; // reports still queued are stale
}

void PreviewPlayer::onFirstFrame(unsigned load, KpxHandle chain) {
    if (load != loadNumber_)
        return;
    adoptChain(chain);
    state_.loading = true;
}

void PreviewPlayer::onLoadProgress(unsigned load, int index) {
    if (load != loadNumber_ || !frames_)
        return;
    ++loadCount_;
    setCounter(QStringLiteral("...%1/%2").arg(loadCount_).arg(loadTotal_));
    state_.frameCount = std::max(state_.frameCount, index + 1);
    state_.current = index;
    update(pictureArea());
    if (!isVisible()) {
        state_.current = 0;
        show();
    }
}

void PreviewPlayer::onLoaded(unsigned load, KpxHandle chain) {
    if (load != loadNumber_)
        return;
    joinLoader(); // the thread has ended: this only joins it
    SetFrames(chain);
}

bool PreviewPlayer::SetFrames(KpxHandle chain) {
    // Another chain replaces one still loading: the loader ends first, as it still adds frames.
    if (loader_ && chain != frames_)
        StopLoading();
    state_.loading = false;
    if (!chain)
        return false;
    adoptChain(chain);
    takeAnimation(chain);
    show();
    update();
    updateButtons();
    return true;
}

void PreviewPlayer::takeAnimation(KpxHandle chain) {
    kfm::shell::SetAnimation(state_, delaysOf(chain), loopCountOf(chain));
    drawn_ = -100;
}

void PreviewPlayer::adoptChain(KpxHandle chain) {
    if (chain != frames_) {
        releaseFrames();
        frames_ = chain;
    }
    const int width = KPXWidthFrameScreenReal(chain);
    const int height = KPXHeightFrameScreenReal(chain);
    if (!canvas_ || KPXWidth(canvas_) != width || KPXHeight(canvas_) != height) {
        KPXDeleteImage(canvas_);
        canvas_ = width > 0 && height > 0 ? KPXCreateImage(width, height, 24) : 0;
        shown_ = QImage();
    }
    drawn_ = -100;
    sizeToCanvas();
}

void PreviewPlayer::TakeFrames(bool ownerKeepsThem) {
    ownerKeepsFrames_ = ownerKeepsThem;
    state_.paused = false;
    updateButtons();
}

void PreviewPlayer::releaseFrames() {
    if (frames_ && !ownerKeepsFrames_)
        KPXDeleteImage(frames_);
    frames_ = 0;
    ownerKeepsFrames_ = false;
    KPXDeleteImage(canvas_);
    canvas_ = 0;
    shown_ = QImage();
    drawn_ = -100;
    state_ = kfm::shell::PlaybackState{};
}

void PreviewPlayer::sizeToCanvas() {
    if (style_ & NoResize)
        return;
    const int width = canvas_ ? KPXWidth(canvas_) : 0;
    const int height = canvas_ ? KPXHeight(canvas_) : 0;
    const int bar = toolbar_ ? toolbar_->sizeHint().height() : 0;
    if (width == 0 || height == 0) {
        resize(kEmptySize, kEmptySize);
        return;
    }
    resize(std::max(width + kBorder, toolbar_ ? toolbar_->sizeHint().width() : 0),
           height + bar + kBorder);
}

// -------------------- Playback

void PreviewPlayer::onTick() {
    const kfm::shell::TickResult result = kfm::shell::Tick(state_, clock_.elapsed() + 1);
    if (result.ended) {
        updateButtons();
        MessageTarget* target =
            commandWindow_ ? commandWindow_ : dynamic_cast<MessageTarget*>(window());
        if (endCommand_ != -1 && target != this)
            SendMessageTo(target, WM_COMMAND, static_cast<WPARAM>(endCommand_), 0);
    }
    if (result.frameShown)
        showCurrentFrame();
}

void PreviewPlayer::showCurrentFrame() {
    update(pictureArea());
    updateButtons();
    setCounter(QStringLiteral("%1/%2").arg(state_.current + 1).arg(state_.frameCount));
    if (notifyWindow_)
        SendMessageTo(notifyWindow_, notifyMessage_, 0, state_.current + 1);
}

void PreviewPlayer::afterTransport() {
    // The transport leaves the state one step before the wanted frame: step now.
    onTick();
    updateButtons();
}

void PreviewPlayer::Play() {
    kfm::shell::Play(state_);
    updateButtons();
}

void PreviewPlayer::Pause() {
    kfm::shell::Pause(state_);
    updateButtons();
}

void PreviewPlayer::SetStretch(bool stretch) {
    stretch_ = stretch;
    if (stretchButton_)
        stretchButton_->setChecked(stretch);
    update();
}

void PreviewPlayer::FirstFrame() {
    kfm::shell::FirstFrame(state_);
    afterTransport();
}

void PreviewPlayer::PreviousFrame() {
    kfm::shell::PreviousFrame(state_);
    afterTransport();
}

void PreviewPlayer::NextFrame() {
    kfm::shell::NextFrame(state_);
    afterTransport();
}

void PreviewPlayer::LastFrame() {
    kfm::shell::LastFrame(state_);
    afterTransport();
}

void PreviewPlayer::GoToFrame(int frame) {
    kfm::shell::ShowFrame(state_, frame - 1);
    afterTransport();
}

void PreviewPlayer::PlayRange(int first, int last) {
    kfm::shell::PlayRange(state_, first, last);
    showCurrentFrame();
}

void PreviewPlayer::SetEndless(bool endless) {
    kfm::shell::SetEndless(state_, endless);
}

void PreviewPlayer::SetNotify(MessageTarget* window, UINT message) {
    notifyWindow_ = window;
    notifyMessage_ = message;
}

void PreviewPlayer::StartTicker() {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.start(kTickerMs);
}

void PreviewPlayer::SetBackground(COLORREF colour) {
    background_ = colour;
    drawn_ = -100;
    update();
}

void PreviewPlayer::updateButtons() {
    if (playButton_)
        playButton_->setChecked(!state_.paused);
}

void PreviewPlayer::setCounter(const QString& text) {
    if (counter_)
        counter_->setText(text);
}

QString PreviewPlayer::CounterText() const {
    return counter_ ? counter_->text() : QString();
}

// -------------------- Messages

LRESULT PreviewPlayer::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kLoadFile:
        return LoadFile(QString::fromLocal8Bit(reinterpret_cast<const char*>(lParam))) ? 1 : 0;
    case kPlay:
        Play();
        return 1;
    case kPause:
        Pause();
        return 1;
    case kStretch:
        SetStretch(lParam != 0);
        return 1;
    case kIsPaused:
        return IsPaused() ? 1 : 0;
    case kFirstFrame:
        FirstFrame();
        return 1;
    case kPreviousFrame:
        PreviousFrame();
        return 1;
    case kNextFrame:
        NextFrame();
        return 1;
    case kLastFrame:
        LastFrame();
        return 1;
    case kFrameCount:
        return FrameCount();
    case kCurrentFrame:
        return CurrentFrame();
    case kTakeFrames:
        TakeFrames(lParam != 0);
        return 1;
    case kEndCommand:
        SetEndCommand(static_cast<int>(lParam));
        return 1;
    case kStartTicker:
        StartTicker();
        return 1;
    case kBackground:
        SetBackground(static_cast<COLORREF>(lParam));
        return 1;
    case kTotalTime:
        return TotalTime();
    case kNotify:
        SetNotify(reinterpret_cast<MessageTarget*>(wParam), static_cast<UINT>(lParam));
        return 1;
    case kGoToFrame:
        GoToFrame(static_cast<int>(lParam));
        return 1;
    case kPlayRange:
        PlayRange(static_cast<int>(wParam), static_cast<int>(lParam));
        return 1;
    case kElapsedTime:
        return ElapsedTime();
    case kEndless:
        SetEndless(lParam == 1);
        return 1;
    case WM_COMMAND:
        switch (static_cast<UINT>(wParam & 0xFFFF)) {
        case kCmdFramesLoaded:
            return SetFrames(static_cast<KpxHandle>(lParam)) ? 1 : 0;
        case kCmdPlayButton:
            state_.paused = !state_.paused;
            updateButtons();
            return 1;
        case kCmdStretchButton:
            SetStretch(!stretch_);
            return 1;
        default:
            return 0;
        }
    default:
        return 0;
    }
}

bool PreviewPlayer::event(QEvent* event) {
    if (DispatchPostedMessage(event, *this))
        return true;
    return QWidget::event(event);
}

// -------------------- Painting and input

QRect PreviewPlayer::pictureArea() const {
    const int bar = toolbar_ ? toolbar_->height() : 0;
    return rect().adjusted(0, bar, 0, 0);
}

COLORREF PreviewPlayer::backgroundColour() const {
    return background_ == kSystemBackground ? toColorRef(palette().color(QPalette::Base))
                                            : background_;
}

bool PreviewPlayer::composeCanvas() {
    // While frames still arrive, only those in the chain so far can be drawn.
    const int available = state_.loading ? KPXGetImageFramesNum(frames_) : state_.frameCount;
    const int target = std::min(state_.current, available - 1);
    if (!canvas_ || target < 0 || target == drawn_)
        return false;
    const COLORREF colour = backgroundColour();
    if (target == drawn_ + 1) {
        KPXStretchBltFrame(canvas_, 0, 0, KPXWidth(canvas_), KPXHeight(canvas_), frames_, target, 0,
                           0, 0, 0, 0, 0, 0, colour, 0);
    } else {
        KPXFillImageByRGBColor(canvas_, colour);
        KPXRenderFrames(frames_, canvas_, 0, 0, 0, target, colour, 0, 1);
    }
    drawn_ = target;
    return true;
}

void PreviewPlayer::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = pictureArea();
    const QColor background = toQColor(backgroundColour());
    if (!frames_ || !canvas_) {
        painter.fillRect(area, background);
        if (!frames_)
            painter.drawText(area, Qt::AlignHCenter | Qt::AlignTop,
                             ResourceString(kfm5res::IDS_PREVIEW_EMPTY));
        return;
    }
    if (composeCanvas() || shown_.isNull())
        KpxImageView(canvas_).uprightRgb32(shown_);
    QRect target(QPoint(0, 0), shown_.size());
    if (stretch_) {
        target = area;
        painter.fillRect(area, background);
        painter.drawImage(target, shown_);
        return;
    }
    target.moveCenter(area.center());
    // The background only around the picture, which covers the rest.
    const QRegion around = QRegion(area) - QRegion(target);
    for (const QRect& part : around)
        painter.fillRect(part, background);
    painter.drawImage(target.topLeft(), shown_);
}

void PreviewPlayer::keyPressEvent(QKeyEvent* event) {
    const bool closing = event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return ||
                         event->key() == Qt::Key_Enter;
    if (closing)
        close();
    // Keys go on to the parent unless the style keeps them.
    if (style_ & KeepInput)
        event->accept();
    else
        event->ignore();
}

void PreviewPlayer::mousePressEvent(QMouseEvent* event) {
    if (style_ & KeepInput)
        event->accept();
    else
        event->ignore();
}

void PreviewPlayer::mouseReleaseEvent(QMouseEvent* event) {
    if (style_ & KeepInput)
        event->accept();
    else
        event->ignore();
}

void PreviewPlayer::closeEvent(QCloseEvent* event) {
    // Closing only hides the window; a load in progress stops with the frames it has.
    StopLoading();
    event->accept();
}

} // namespace kfm::ui
