#include "AboutDlg.h"

#include "Bitra5Qt.h"
#include "HyperLink.h"
#include "ImageArchive.h"
#include "ImageUtilities.h"
#include "Kfm5ResourceIds.h"
#include "ResourceAccess.h"
#include "SmallControls.h"

#include <QApplication>
#include <QCursor>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdlib>

namespace kfm::ui {

using namespace kfm5res;

namespace {

// The About picture's place in the dialog.
constexpr int kPictureSize = 64;

CAboutDlg* theAboutDlg = nullptr;

QLabel* addStatic(DialogKit& kit, int id, QWidget* parent) {
    auto* label = kit.add(id, new QLabel(kit.text(static_cast<UINT>(id)), parent));
    label->setTextInteractionFlags(Qt::NoTextInteraction);
    return label;
}

} // namespace

CAboutDetailsDlg::CAboutDetailsDlg(QWidget* parent)
    : ResourceDialog(parent, IDD_ABOUT_DETAILS, GetResourceHandle()) {
    auto* rows = new QVBoxLayout(this);
    auto* text = new QLabel(kit().text(IDS_ABOUT_DETAILS_TEXT), this);
    text->setWordWrap(true);
    rows->addWidget(text);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    kit().add(IDOK, buttons->button(QDialogButtonBox::Ok));
    rows->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
}

CAboutDlg::CAboutDlg(QWidget* parent) : ResourceDialog(parent, IDD_ABOUT, GetResourceHandle()) {
    auto* grid = new QGridLayout(this);
    picture_ = kit().add(IDC_ABOUT_PICTURE, new CImagePreview(this));
    picture_->setFixedSize(kPictureSize, kPictureSize);
    picture_->SetStretch(false);
    picture_->SetTransparent(true);
    // Without an archive the dialog shows no picture.
    picture_->SetImage(LoadArchiveImage(1));
    grid->addWidget(picture_, 0, 0, 4, 1, Qt::AlignTop);

    title_ = addStatic(kit(), IDC_ABOUT_TITLE, this);
    QFont bold = title_->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.4);
    title_->setFont(bold);
    grid->addWidget(title_, 0, 1);
    grid->addWidget(addStatic(kit(), IDC_ABOUT_VERSION, this), 1, 1);
    grid->addWidget(addStatic(kit(), IDC_ABOUT_COPYRIGHT, this), 2, 1);
    grid->addWidget(addStatic(kit(), IDC_ABOUT_NOTE, this), 3, 1);

    webLink_ = new CHyperLink(kit().text(IDS_ABOUT_WEB_LINK), this);
    webLink_->setObjectName(QStringLiteral("WebLink"));
    webLink_->SetUrl(kit().text(IDS_WEB_ADDRESS));
    mailLink_ = new CHyperLink(kit().text(IDS_ABOUT_MAIL_LINK), this);
    mailLink_->setObjectName(QStringLiteral("MailLink"));
    mailLink_->SetUrl(kit().text(IDS_ABOUT_MAIL_ADDRESS));
    grid->addWidget(webLink_, 4, 1, Qt::AlignLeft);
    grid->addWidget(mailLink_, 5, 1, Qt::AlignLeft);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    QPushButton* details =
        buttons->addButton(kit().text(IDC_ABOUT_DETAILS), QDialogButtonBox::ActionRole);
    kit().add(IDOK, buttons->button(QDialogButtonBox::Ok));
    kit().add(IDC_ABOUT_DETAILS, details);
    grid->addWidget(buttons, 6, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(details, &QPushButton::clicked, this, &CAboutDlg::OnDetails);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
}

CAboutDlg::~CAboutDlg() {
    if (theAboutDlg == this)
        theAboutDlg = nullptr;
}

void CAboutDlg::OnDetails() {
    CAboutDetailsDlg details(this);
    details.exec();
}

QWidget* CAboutDlg::Drawing() const {
    return drawing_ && drawing_->isVisible() ? drawing_.data() : nullptr;
}

bool CAboutDlg::OnKeyDown(int key) {
    if (key != Qt::Key_Tab || QCursor::pos() != QPoint(0, 0))
        return false;
    // After the key's own work, so the drawing shows over the dialog as the key left it.
    QTimer::singleShot(0, this, [this] { drawPicture(); });
    return true;
}

std::optional<QPoint> CAboutDlg::RandomPlace(const QSize& area, const QSize& pictureSize) {
    if (pictureSize.width() > area.width() || pictureSize.height() > area.height() ||
        pictureSize.isEmpty())
        return std::nullopt;
    const int x = std::rand() % (area.width() - pictureSize.width() + 1);
    const int y = std::rand() % (area.height() - pictureSize.height() + 1);
    return QPoint(x, y);
}

void CAboutDlg::drawPicture() {
    const ScopedImage picture(LoadArchiveImage(1));
    if (!picture.get())
        return;
    const QImage drawn = KpxImageToQImage(picture.get(), true);
    const auto place = RandomPlace(size(), drawn.size());
    if (drawn.isNull() || !place)
        return;
    clearDrawing();
    QImage look = grab().toImage().convertToFormat(QImage::Format_RGB32);
    look.setDevicePixelRatio(1.0);
    look = look.scaled(size());
    {
        QPainter painter(&look);
        painter.drawImage(*place, drawn);
    }
    lastPlace_ = *place;
    // Over every control, until the dialog changes: a click on it, a new size or the focus
    // moving on takes it away.
    drawing_ = new QLabel(this);
    drawing_->setObjectName(QStringLiteral("AboutDrawing"));
    drawing_->setPixmap(QPixmap::fromImage(look));
    drawing_->setGeometry(rect());
    drawing_->installEventFilter(this);
    drawing_->show();
    drawing_->raise();
    connect(qApp, &QApplication::focusChanged, drawing_, [this] { clearDrawing(); });
}

void CAboutDlg::clearDrawing() {
    if (drawing_) {
        drawing_->hide();
        drawing_->deleteLater();
    }
    drawing_.clear();
}

bool CAboutDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == drawing_ && event->type() == QEvent::MouseButtonPress) {
        clearDrawing();
        return true;
    }
    return ResourceDialog::eventFilter(watched, event);
}

void CAboutDlg::resizeEvent(QResizeEvent* event) {
    clearDrawing();
    ResourceDialog::resizeEvent(event);
}

CAboutDlg* TheAboutDlg() {
    return theAboutDlg;
}

void OnAppAbout(QWidget* parent) {
    CAboutDlg dialog(parent);
    theAboutDlg = &dialog;
    dialog.exec();
    theAboutDlg = nullptr;
}

bool CAppMessageFilter::eventFilter(QObject* watched, QEvent* event) {
    // A key press passes the filter once for the window and once for each widget it is offered
    // to; only the offer to the focus widget counts.
    if (event->type() == QEvent::KeyPress && theAboutDlg && watched->isWidgetType() &&
        watched == QApplication::focusWidget()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab && !key->isAutoRepeat())
            theAboutDlg->OnKeyDown(Qt::Key_Tab);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace kfm::ui
