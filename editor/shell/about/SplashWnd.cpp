#include "SplashWnd.h"

#include "Bitra5Qt.h"
#include "ImageArchive.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPointer>
#include <QScreen>

namespace kfm::ui {

namespace {

bool splashEnabled = false;
QPointer<CSplashWnd> theSplash;

} // namespace

CSplashWnd::CSplashWnd(QWidget* parent, KpxHandle picture)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), picture_(picture) {
    setObjectName(QStringLiteral("SplashWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedSize(KPXWidth(picture_), KPXHeight(picture_));
    QScreen* screen =
        parent && parent->screen() ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        QRect frame = rect();
        frame.moveCenter(screen->geometry().center());
        move(frame.topLeft());
    }
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [] { HideSplashScreen(); });
    timer_.start(kShowMilliseconds);
}

CSplashWnd::~CSplashWnd() {
    deletePicture();
}

void CSplashWnd::EnableSplash(bool enable) {
    splashEnabled = enable;
}

bool CSplashWnd::IsEnabled() {
    return splashEnabled;
}

CSplashWnd* CSplashWnd::Current() {
    return theSplash.data();
}

void CSplashWnd::ShowSplashScreen(QWidget* parent) {
    if (!splashEnabled || theSplash)
        return;
    const KpxHandle picture = LoadArchiveImage(0);
    if (!picture)
        return;
    // The window owns itself: it closes (and deletes itself) when its time is up.
    theSplash = new CSplashWnd(parent, picture);
    theSplash->show();
    theSplash->repaint();
}

void CSplashWnd::HideSplashScreen() {
    if (!theSplash)
        return;
    CSplashWnd* splash = theSplash.data();
    theSplash.clear();
    splash->deletePicture();
    QWidget* parent = splash->parentWidget();
    splash->close();
    if (parent)
        parent->update();
}

void CSplashWnd::deletePicture() {
    if (picture_)
        KPXDeleteImage(picture_);
    picture_ = 0;
}

void CSplashWnd::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (picture_)
        painter.drawImage(QPoint(0, 0), KpxImageToQImage(picture_, false));
}

} // namespace kfm::ui
