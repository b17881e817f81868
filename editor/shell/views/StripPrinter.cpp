#include "StripPrinter.h"

#include "AppSettings.h"
#include "Bitra5.h"
#include "DisplayHelpers.h"
#include "FrameChainBuild.h"
#include "FramePictures.h"
#include "FrameStripDelegate.h"
#include "Kfm5ResourceIds.h"
#include "PaletteRender.h"
#include "ProgramState.h"
#include "ResourceAccess.h"
#include "ShellServices.h"
#include "UndoHistory.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>

#include <iterator>

namespace kfm::ui {

namespace {

constexpr int kTitlePoints = 8;

FrameList& frames() {
    return g_pAnimationData->frames;
}

int screenDpi() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? static_cast<int>(screen->logicalDotsPerInchX()) : 96;
}

QColor toColor(COLORREF c) {
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

class WaitCursor {
public:
    WaitCursor() { ::shell().setWaitCursor(true); }
    ~WaitCursor() { ::shell().setWaitCursor(false); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

StripPrinter::StripPrinter(QWidget& parent) : parent_(parent) {
    const auto& s = kfm::shell::g_AppSettings;
    options_.rim = s.PrintRim != 0;
    options_.title = s.PrintTitle != 0;
    options_.orderColumns = s.PrintOrderColumns != 0;
    options_.orderRows = s.PrintOrderRows != 0;
    rendered_ = s.PrintRendered != 0;
    // The title font is sized in screen pixels: the painter scales it to the printer.
    titleFont_ = QApplication::font();
    titleFont_.setPixelSize(std::max(kTitlePoints * screenDpi() / 72, 1));
    titleHeight_ = QFontMetrics(titleFont_).height();
}

StripPrinter::~StripPrinter() {
    finish();
}

kfm::shell::PrintLayout StripPrinter::LayoutFor(QPrinter& printer) const {
    kfm::shell::PrintMeasures m;
    m.printerDpiX = printer.logicalDpiX();
    m.printerDpiY = printer.logicalDpiY();
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    m.pageWidth = page.width();
    m.pageHeight = page.height();
    m.screenDpiX = screenDpi();
    m.titleHeight = titleHeight_;
    const CAnimationData* a = g_pAnimationData;
    return kfm::shell::ComputePrintLayout(options_, m, a ? a->AnimationWidth : 0,
                                          a ? a->AnimationHeight : 0, a ? a->RealFrameCount() : 0);
}

bool StripPrinter::prepare() {
    if (!g_pAnimationData || g_pAnimationData->RealFrameCount() < 1)
        return false;
    prepared_ = true;
    if (!rendered_)
        return true;
    TheUndoHistory().BeginStep(kUndoKindSaveAndPreview);
    int result = 0;
    {
        WaitCursor wait;
        ProgressBegin(kfm5res::IDS_CAPTION_RENDERING, CountObjectFrames(-1));
        result = RenderImagesFromFrames(&frames(), IsEscapePressed, nullptr);
        ProgressEnd();
    }
    TheUndoHistory().EndStep(0);
    if (result == 2)
        return false;
    PutAllFramesInfo(1);
    chained_ = BuildFramesImage(frames(), 1, 0) == 1;
    return chained_;
}

void StripPrinter::finish() {
    if (canvas_)
        KPXDeleteImage(canvas_);
    canvas_ = 0;
    if (!prepared_)
        return;
    prepared_ = false;
    if (chained_)
        SplitFramesImage(frames(), 1);
    chained_ = false;
    if (!rendered_)
        return;
    DeleteRenderedImages(frames());
    if (TheUndoHistory().GetCurrentKind() == kUndoKindSaveAndPreview)
        TheUndoHistory().Undo();
}

void StripPrinter::Run() {
    if (!prepare()) {
        finish();
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    const kfm::shell::PrintLayout layout = LayoutFor(printer);
    QPrintDialog dialog(&printer, &parent_);
    dialog.setMinMax(1, std::max(layout.pages, 1));
    if (dialog.exec() == QDialog::Accepted)
        printPages(printer);
    finish();
}

int StripPrinter::PrintTo(QPrinter& printer) {
    const int pages = prepare() ? printPages(printer) : 0;
    finish();
    return pages;
}

void StripPrinter::composeUpTo(int frameIndex) {
    if (!canvas_ || !chained_)
        return;
    const auto head = static_cast<KpxHandle>(frames().front().GetDisplayImage());
    for (int i = composed_ + 1; i <= frameIndex; ++i)
        KPXStretchBltFrame(canvas_, 0, 0, cell_.width(), cell_.height(), head, i, 0, 0, 0, 0, 0, 0,
                           0, g_Settings.animBkColor, 0);
    composed_ = std::max(composed_, frameIndex);
}

void StripPrinter::printCell(QPainter& painter, int frameIndex, const QRect& cell) {
    painter.save();
    painter.setClipRect(cell);
    if (rendered_) {
        composeUpTo(frameIndex);
        painter.drawImage(cell.topLeft(), PictureOfImage(canvas_));
    } else {
        const CObjFrame& frame = *std::next(frames().begin(), frameIndex);
        const QImage picture = FramePicture(frame, Transparency::Through);
        QImage over(picture.size(), QImage::Format_ARGB32_Premultiplied);
        over.fill(toColor(g_Settings.animBkColor));
        QPainter(&over).drawImage(0, 0, picture);
        painter.drawImage(cell.topLeft() + QPoint(frame.left, frame.top), over);
    }
    painter.restore();
    if (options_.rim) {
        painter.setPen(QPen(Qt::black, kfm::shell::kPrintRimPen));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(cell.adjusted(-1, -1, 0, 0));
    }
}

void StripPrinter::printTitle(QPainter& painter, int frameIndex, const QRect& cell) {
    const CObjFrame& frame = *std::next(frames().begin(), frameIndex);
    std::string title =
        FormatResourceText(kfm5res::IDS_FRAME_LABEL_PREFIX, {std::to_string(frameIndex + 1)}) +
        frame.comment;
    const QFontMetrics metrics(titleFont_);
    ShortenTextToWidth(
        [&metrics](std::string_view s) {
            return metrics.horizontalAdvance(FromCodePage1252(std::string(s)));
        },
        title, cell.width() - 4);
    painter.setFont(titleFont_);
    painter.setPen(Qt::black);
    const int top = cell.bottom() + 1 + (options_.rim ? 4 : 2);
    painter.drawText(QRect(cell.left(), top, cell.width(), titleHeight_),
                     Qt::AlignLeft | Qt::AlignVCenter, FromCodePage1252(title));
}

int StripPrinter::printPages(QPrinter& printer) {
    const kfm::shell::PrintLayout layout = LayoutFor(printer);
    if (layout.pages < 1)
        return 0;
    cell_ = QSize(static_cast<int>(layout.cell.cx), static_cast<int>(layout.cell.cy));
    if (rendered_ && !canvas_) {
        canvas_ = KPXCreateImage(cell_.width(), cell_.height(), 24);
        KPXFillImageByRGBColor(canvas_, g_Settings.animBkColor);
        composed_ = -1;
    }
    const int firstPage = printer.fromPage() > 0 ? printer.fromPage() : 1;
    const int lastPage =
        printer.toPage() > 0 ? std::min(printer.toPage(), layout.pages) : layout.pages;
    QPainter painter;
    if (firstPage > lastPage || !painter.begin(&printer))
        return 0;
    painter.scale(layout.scaleX, layout.scaleY);
    const int frameCount = g_pAnimationData->RealFrameCount();
    const int rim = options_.rim ? 2 : 0;
    int printed = 0;
    for (int page = firstPage; page <= lastPage; ++page) {
        if (printed > 0)
            printer.newPage();
        for (int n = 0; n < layout.framesPerPage(); ++n) {
            const int frameIndex = (page - 1) * layout.framesPerPage() + n;
            if (frameIndex >= frameCount)
                break;
            const POINT origin = kfm::shell::PrintCellOrigin(layout, options_, n);
            const QRect cell(static_cast<int>(origin.x) + rim, static_cast<int>(origin.y) + rim,
                             cell_.width(), cell_.height());
            printCell(painter, frameIndex, cell);
            if (options_.title)
                printTitle(painter, frameIndex, cell);
        }
        ++printed;
    }
    painter.end();
    return printed;
}

} // namespace kfm::ui
