#include "ClipPreview.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

#include "Bitra5.h"

namespace kfm::dialogs {

namespace {

// The playing preview looks at the clock this often and shows the frame due.
constexpr int kTickMilliseconds = 5;

} // namespace

ClipPreview::ClipPreview(QWidget* parent) : QWidget(parent) {
    ticker_.setTimerType(Qt::PreciseTimer);
    ticker_.setInterval(kTickMilliseconds);
    connect(&ticker_, &QTimer::timeout, this, &ClipPreview::tick);
    setMinimumSize(160, 120);
}

ClipPreview::~ClipPreview() = default;

double ClipPreview::FrameMilliseconds() const {
    const int frames = LengthFrames();
    return frames > 0 ? static_cast<double>(LengthMilliseconds()) / frames : 0.0;
}

void ClipPreview::opened() {
    position_ = -1;
    show(0);
}

void ClipPreview::show(int frame) {
    const int last = LengthFrames() - 1;
    if (last < 0)
        return;
    frame = std::clamp(frame, 0, last);
    if (frame != position_) {
        QImage picture;
        if (decode(frame, picture))
            picture_ = std::move(picture);
        position_ = frame;
        update();
    }
    emit shown(frame);
}

void ClipPreview::Play() {
    const int last = LengthFrames() - 1;
    if (position_ >= last)
        show(0);
    PlayTo(last);
    rangeStart_ = 0; // a repeating play goes round the whole clip
}

void ClipPreview::PlayTo(int last) {
    if (LengthFrames() <= 0 || FrameMilliseconds() <= 0)
        return;
    rangeStart_ = position_;
    playFrom_ = position_;
    playTo_ = std::clamp(last, position_, LengthFrames() - 1);
    playing_ = true;
    clock_.start();
    ticker_.start();
}

void ClipPreview::PlayRange(int first, int last) {
    Stop();
    show(first);
    PlayTo(last);
    rangeStart_ = position_;
}

void ClipPreview::Stop() {
    playing_ = false;
    ticker_.stop();
}

void ClipPreview::Seek(int frame) {
    Stop();
    show(frame);
}

void ClipPreview::tick() {
    if (!playing_)
        return;
    const double frameMs = FrameMilliseconds();
    const auto due = playFrom_ + static_cast<long long>(clock_.elapsed() / frameMs);
    if (due <= playTo_) {
        if (due != position_)
            show(static_cast<int>(due));
        return;
    }
    if (position_ != playTo_)
        show(playTo_);
    if (repeat_) {
        show(rangeStart_);
        playFrom_ = rangeStart_;
        clock_.start();
        return;
    }
    Stop();
}

QRect ClipPreview::PictureRect() const {
    const QRect area = rect().adjusted(2, 2, -2, -2);
    if (picture_.isNull() || area.isEmpty())
        return {};
    QSize size = picture_.size();
    if (size.width() > area.width() || size.height() > area.height()) {
        int boxWidth = area.width();
        int boxHeight = area.height();
        if (KPXNewSizeCalculateProp(size.width(), size.height(), &boxWidth, &boxHeight))
            size = QSize(boxWidth, boxHeight);
    }
    const QPoint corner(area.left() + (area.width() - size.width()) / 2,
                        area.top() + (area.height() - size.height()) / 2);
    return QRect(corner, size);
}

void ClipPreview::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    const QRect target = PictureRect();
    if (target.isEmpty())
        return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, picture_);
}

bool IsPlayableClip(const ClipPreview& preview) {
    return preview.LengthFrames() > 0 && preview.LengthMilliseconds() > 0;
}

} // namespace kfm::dialogs
