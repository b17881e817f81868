#pragma once
// The splash window: picture 0 of the program's picture archive, frameless and centred on the
// screen for 1500 ms while the main window comes up. One at a time; it shows only when the
// start-up enabled it (the setting "ShowSplash", no file named on the command line).

#include <QTimer>
#include <QWidget>

#include "Bitra5.h"

namespace kfm::ui {

class CSplashWnd : public QWidget {
    Q_OBJECT
public:
    // How long the splash shows.
    static constexpr int kShowMilliseconds = 1500;

    ~CSplashWnd() override;
    CSplashWnd(const CSplashWnd&) = delete;
    CSplashWnd& operator=(const CSplashWnd&) = delete;

    static void EnableSplash(bool enable);
    static bool IsEnabled();
    // Shows the splash over parent unless it is disabled or one shows already; no picture in
    // the archive means no splash.
    static void ShowSplashScreen(QWidget* parent);
    // Deletes the picture, closes the window and repaints the parent.
    static void HideSplashScreen();
    // The splash window that shows, or null.
    static CSplashWnd* Current();

    KpxHandle Picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CSplashWnd(QWidget* parent, KpxHandle picture);
    void deletePicture();

    KpxHandle picture_;
    QTimer timer_;
};

} // namespace kfm::ui
