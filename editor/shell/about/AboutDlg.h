#pragma once
// The About dialog (the program's name, version and pictures, links to the web page and the
// maker's mail, a button for the details dialog) and its details dialog. Tab with the pointer
// at the screen's top-left corner draws the About picture at a random place over the dialog's
// look until the dialog changes; the application's filter passes Tab to the open dialog.

#include <QObject>
#include <QPoint>
#include <QPointer>

#include <optional>

#include "framework/ResourceDialog.h"

class QLabel;

namespace kfm::ui {

class CHyperLink;
class CImagePreview;

class CAboutDetailsDlg : public ResourceDialog {
    Q_OBJECT
public:
    explicit CAboutDetailsDlg(QWidget* parent = nullptr);
};

class CAboutDlg : public ResourceDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
    ~CAboutDlg() override;

    // A key the application's filter passes on. Tab with the pointer at (0, 0) draws the About
    // picture once the key's own work (the focus moving on) is done; true when it will.
    bool OnKeyDown(int key);
    // Opens the details dialog modally over this one (command 10054).
    void OnDetails();

    CHyperLink* WebLink() const { return webLink_; }
    CHyperLink* MailLink() const { return mailLink_; }
    CImagePreview* Picture() const { return picture_; }
    // The picture drawn over the dialog's look while it shows, else null.
    QWidget* Drawing() const;
    // Where the picture was drawn last (dialog coordinates).
    QPoint LastDrawingPlace() const { return lastPlace_; }

    // Where a picture of pictureSize goes inside area: a random place that keeps it wholly
    // inside, drawn with rand(); nothing when the picture is wider or higher than the area.
    static std::optional<QPoint> RandomPlace(const QSize& area, const QSize& pictureSize);

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void drawPicture();
    void clearDrawing();

    QLabel* title_;
    CImagePreview* picture_;
    CHyperLink* webLink_;
    CHyperLink* mailLink_;
    QPointer<QLabel> drawing_;
    QPoint lastPlace_;
};

// The About dialog while it is open, else null.
CAboutDlg* TheAboutDlg();

// The About command (57664): the dialog, modal over parent, known as TheAboutDlg while it runs.
void OnAppAbout(QWidget* parent);

// The application's message filter: passes Tab to the About dialog while it is open (after which
// the key goes on as usual).
class CAppMessageFilter : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace kfm::ui
