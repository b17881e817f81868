#include "SysControlWnd.h"

#include "CaptureConversion.h"
#include "ClassicDrawing.h"
#include "ControlDrawing.h"
#include "ControlIcons.h"
#include "ControlItems.h"
#include "DateControls.h"
#include "DlgSysControlEmu.h"
#include "ListControls.h"
#include "RangeControls.h"
#include "ResourceAccess.h"
#include "TabControl.h"
#include "TextControls.h"
#include "gdi/SystemLook.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>

#include <algorithm>

namespace kfm::syscontrols {

namespace {

namespace ie = kfm::shell::imageedit;
namespace w = word;

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

bool isArrow(int key) {
    return key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down;
}

bool sortsItems(const SysControlSettings& s, int type) {
    return (type == ListBox && s.flag(w::LBSort)) || (type == ComboBox && s.flag(w::CBSort));
}

// Where a new item goes in a sorted list: after every item that does not sort after it.
std::size_t sortedPlace(const std::vector<std::string>& items, const std::string& item) {
    const QString text = ShownText(item);
    std::size_t place = 0;
    while (place < items.size() && ShownText(items[place]).compare(text, Qt::CaseInsensitive) <= 0)
        ++place;
    return place;
}

} // namespace

CSysControlWnd::CSysControlWnd(QWidget* parent)
    : CImageEditWnd(parent), settings_(PreviewStartSettings()),
      lastDateTime_(QDate(2000, 1, 1), QTime(1, 1, 1)), lastToday_(2000, 1, 1),
      lastSelected_(2000, 1, 1) {
    // The host is never on the screen: a control placed in it is only drawn into pictures.
    hostWindow_ = std::make_unique<QWidget>();
    hostWindow_->setAttribute(Qt::WA_DontShowOnScreen);
    hostWindow_->setGeometry(-1100, -1100, 1000, 1000);
    hostWindow_->show();
    icons_ = LoadControlIcons();
}

CSysControlWnd::~CSysControlWnd() {
    destroyLiveControl(false);
    DeleteCapture();
}

// -------------------- Settings

void CSysControlWnd::GetSettings(SysControlSettings& out) {
    if (live_.dateTime && type_ == DateTime) {
        const QDateTime value = live_.dateTime->dateTime();
        settings_[w::DTYear] = value.date().year();
        settings_[w::DTMonth] = value.date().month();
        settings_[w::DTDay] = value.date().day();
        settings_[w::DTHour] = value.time().hour();
        settings_[w::DTMinute] = value.time().minute();
        settings_[w::DTSecond] = value.time().second();
    }
    if (live_.calendar && type_ == MonthCalendar) {
        const QDate today = live_.calendar->Today();
        const QDate selected = live_.calendar->Selected();
        settings_[w::MCYear] = today.year();
        settings_[w::MCMonth] = today.month();
        settings_[w::MCDay] = today.day();
        settings_[w::MCSelYear] = selected.year();
        settings_[w::MCSelMonth] = selected.month();
        settings_[w::MCSelDay] = selected.day();
    }
    out = settings_;
}

SysControlSettings CSysControlWnd::settingsOfType() const {
    SysControlSettings s = settings_;
    s[w::Type] = type_;
    return s;
}

// -------------------- The live control

void CSysControlWnd::UpdateControl(int type, int place, int rebuild) {
    if (rebuild)
        SetControlType(type, place);
    else
        PlaceControl(place);
    if (GetTool() != kToolMove)
        return;
    DeleteCapture();
    Capture();
    SetCaptureAsOverlay();
    SetViewRect(settings_[w::Left], settings_[w::Top], settings_[w::Left] + settings_[w::Width],
                settings_[w::Top] + settings_[w::Height]);
    viewport()->update();
}

void CSysControlWnd::SetControlType(int type, int place) {
    destroyLiveControl(true);
    if (type != 0)
        type_ = type;
    else if (type_ == 0)
        type_ = settings_[w::Type];
    createLiveControl(false);
    PlaceControl(place);
}

void CSysControlWnd::createLiveControl(bool forCapture) {
    GetImageClientRect(&imageRect_);
    const ControlLook look =
        LookFromSettings(settingsOfType(), items_, static_cast<int>(icons_.size()));
    if (look.date && look.time)
        lastDateTime_ = QDateTime(QDate(look.date->year, look.date->month, look.date->day),
                                  QTime(look.time->hour, look.time->minute, look.time->second));
    if (look.today)
        lastToday_ = QDate(look.today->year, look.today->month, look.today->day);
    if (look.selectedDate)
        lastSelected_ =
            QDate(look.selectedDate->year, look.selectedDate->month, look.selectedDate->day);
    LiveControlContext context;
    context.icons = &icons_;
    context.lastDateTime = lastDateTime_;
    context.lastToday = lastToday_;
    context.lastSelected = lastSelected_;
    context.forCapture = forCapture;
    live_ = BuildLiveControl(look, context, hostWindow_.get());
    forCapture_ = forCapture;
    if (!live_.window)
        return;
    liveOwner_.reset(live_.window);
    onPreview_ = false;
    // The list box and the combo box take the height they really need.
    if (live_.listBox || live_.comboBox)
        settings_[w::Height] = live_.height;
    connectLiveControl();
}

void CSysControlWnd::destroyLiveControl(bool saveItems) {
    if (saveItems && live_.window && HasItems(live_.type))
        items_ = liveItems();
    liveOwner_.reset();
    live_ = LiveControl{};
    onPreview_ = false;
}

void CSysControlWnd::rebuildInPlace() {
    const bool onPreview = onPreview_;
    destroyLiveControl(false);
    createLiveControl(false);
    PlaceControl(onPreview ? 1 : 0);
}

void CSysControlWnd::connectLiveControl() {
    if (live_.listBox) {
        live_.listBox->OnSelectionChanged([this](int current, bool anySelected) {
            if (host_)
                host_->EnableDeleteItem(anySelected);
            const std::vector<std::string> items = liveItems();
            settings_[w::LBCurSel] = current;
            settings_.Text = current >= 0 && current < static_cast<int>(items.size())
                                 ? items[static_cast<std::size_t>(current)]
                                 : std::string();
            if (host_)
                host_->ShowItemText(settings_.Text);
        });
    }
    if (live_.comboBox) {
        live_.comboBox->OnSelectionChanged([this](int index, const std::string& text) {
            if (host_)
                host_->EnableDeleteItem(true);
            settings_[w::CBCurSel] = index;
            settings_.Text = text;
            if (host_)
                host_->ShowItemText(text);
        });
        live_.comboBox->OnEditChanged([this] {
            if (host_)
                host_->EnableDeleteItem(false);
        });
    }
    if (live_.tab) {
        live_.tab->OnSelectionChanged([this](int index) {
            if (host_)
                host_->EnableDeleteItem(true);
            settings_[w::TCCurSel] = index;
            const std::vector<std::string> items = liveItems();
            std::string caption = index >= 0 && index < static_cast<int>(items.size())
                                      ? items[static_cast<std::size_t>(index)]
                                      : std::string();
            caption.resize(std::min<std::size_t>(caption.size(), 256));
            settings_.Text = caption;
            if (host_)
                host_->ShowItemText(caption);
        });
    }
    auto editChanged = [this](const QString& text) {
        settings_.Text = kfm::ui::ToCodePage1252(text);
        if (host_)
            host_->ShowItemText(settings_.Text);
    };
    if (live_.lineEdit)
        connect(live_.lineEdit, &QLineEdit::textChanged, this, editChanged);
    if (live_.textEdit)
        connect(live_.textEdit, &QPlainTextEdit::textChanged, this,
                [this, editChanged] { editChanged(live_.textEdit->toPlainText()); });
    if (live_.dateTime) {
        live_.dateTime->OnChanged([this](const QDateTime& value) {
            if (!value.isValid())
                return;
            if (settings_[w::DTFormat] == 2) {
                settings_[w::DTHour] = value.time().hour();
                settings_[w::DTMinute] = value.time().minute();
                settings_[w::DTSecond] = value.time().second();
            } else {
                settings_[w::DTYear] = value.date().year();
                settings_[w::DTMonth] = value.date().month();
                settings_[w::DTDay] = value.date().day();
            }
            lastDateTime_ = value;
            if (host_)
                host_->DateTimeChanged();
        });
    }
}

void CSysControlWnd::PlaceControl(int flag) {
    if (!live_.window)
        return;
    GetImageClientRect(&imageRect_);
    const int width = std::max(1, settings_[w::Width]);
    const int height =
        std::max(1, (live_.listBox || live_.comboBox) ? live_.height : settings_[w::Height]);
    if (flag == 0) {
        if (live_.window->parentWidget() != hostWindow_.get())
            live_.window->setParent(hostWindow_.get());
        live_.window->move(0, 0);
        onPreview_ = false;
    } else {
        if (live_.window->parentWidget() != viewport())
            live_.window->setParent(viewport());
        live_.window->move(imageRect_.left + settings_[w::Left],
                           imageRect_.top + settings_[w::Top]);
        onPreview_ = true;
    }
    live_.window->resize(width, height);
    live_.window->show();
    live_.window->raise();
    controlRect_ = QRect(live_.window->mapToGlobal(QPoint(0, 0)), live_.window->size());
}

bool CSysControlWnd::placedOnPreview() const {
    return onPreview_ && live_.window;
}

// -------------------- Render and capture

QImage CSysControlWnd::Render(COLORREF background) {
    QImage picture;
    return renderInto(picture, background) ? picture : QImage();
}

bool CSysControlWnd::renderInto(QImage& picture, COLORREF background) {
    // The emulations are drawn from their capture templates, made once after each rebuild.
    const bool emulated = type_ == Dialog || type_ == MessageBox;
    if (emulated && !settings_.flag(w::GeneralDisabled) && !(live_.emulation && forCapture_)) {
        destroyLiveControl(false);
        createLiveControl(true);
    }
    PlaceControl(0);
    if (!live_.window)
        return false;
    const int width = live_.window->width();
    const int height = live_.window->height();
    if (width < 1 || height < 1 || width > kMaxRenderSide || height > kMaxRenderSide ||
        static_cast<long long>(width) * height > kMaxRenderPixels)
        return false;
    // A picture of the right size is drawn over again rather than made anew.
    if (picture.size() != QSize(width, height) || picture.format() != QImage::Format_RGB32)
        picture = QImage(width, height, QImage::Format_RGB32);
    if (picture.isNull())
        return false;
    picture.fill(kfm::ui::ToQColor(background));
    QWidget::RenderFlags flags = QWidget::DrawChildren;
    if (!live_.transparent)
        flags |= QWidget::DrawWindowBackground;
    live_.window->render(&picture, QPoint(), QRegion(), flags);
    return true;
}

KpxHandle CSysControlWnd::Capture() {
    DeleteCapture();
    if (!renderInto(overRed_, kRed))
        return 0;
    const QRegion shape = live_.emulation ? live_.emulation->mask() : QRegion();
    if (live_.transparent) {
        if (!renderInto(overBlue_, kBlue) || overBlue_.size() != overRed_.size())
            return 0;
        captured_ = ConvertCapture(overRed_, &overBlue_, shape);
    } else {
        captured_ = ConvertCapture(overRed_, nullptr, shape);
    }
    return captured_;
}

void CSysControlWnd::DeleteCapture() {
    KPXDeleteImage(captured_);
    captured_ = 0;
}

void CSysControlWnd::SetCaptureAsOverlay() {
    SetOverlayImage(captured_);
}

// -------------------- Text sizes and items

void CSysControlWnd::GetTextSize(int* width, int* height) const {
    const QString text = ShownText(settings_.Text);
    int w = 4;
    int h = 17;
    if (!text.isEmpty()) {
        const QFontMetrics metrics(ControlFont());
        w = metrics.horizontalAdvance(text) + 4;
        h = metrics.height() + 4;
    }
    if (width)
        *width = w;
    if (height)
        *height = h;
}

void CSysControlWnd::FitSizeToText(int type) {
    int width = 0;
    int height = 0;
    GetTextSize(&width, &height);
    // Room for the box or the button's edge.
    settings_[w::Width] = width + (type != StaticText ? 16 : 0);
    settings_[w::Height] = height;
}

std::vector<std::string> CSysControlWnd::liveItems() const {
    if (live_.listBox)
        return live_.listBox->Items();
    if (live_.comboBox)
        return live_.comboBox->Items();
    if (live_.tab)
        return live_.tab->Items();
    return items_;
}

std::vector<int> CSysControlWnd::selectedRows() const {
    std::vector<int> rows;
    if (live_.listBox) {
        for (int row = 0; row < live_.listBox->count(); ++row)
            if (live_.listBox->item(row)->isSelected())
                rows.push_back(row);
    } else if (const int index = liveSelection(); index >= 0) {
        rows.push_back(index);
    }
    return rows;
}

int CSysControlWnd::liveSelection() const {
    if (live_.listBox) {
        for (int row = 0; row < live_.listBox->count(); ++row)
            if (live_.listBox->item(row)->isSelected())
                return row;
        return -1;
    }
    if (live_.comboBox)
        return live_.comboBox->CurrentIndex();
    if (live_.tab)
        return live_.tab->CurrentIndex();
    return -1;
}

void CSysControlWnd::AddItem(const std::string& text) {
    if (!HasItems(type_) || CheckNewItem(liveItems(), text) != ItemRefusal::None)
        return;
    items_ = liveItems();
    const std::size_t place =
        type_ != Tab && sortsItems(settings_, type_) ? sortedPlace(items_, text) : items_.size();
    items_.insert(items_.begin() + static_cast<long>(place), text);
    const int selection = SelectionWordOfType(type_);
    if (type_ == Tab || settings_[selection] >= 0)
        settings_[selection] = static_cast<int>(place);
    rebuildInPlace();
    if (host_)
        host_->EnableDeleteItem(true);
}

void CSysControlWnd::DeleteSelectedItem() {
    if (!HasItems(type_))
        return;
    const std::vector<int> rows = selectedRows();
    items_ = liveItems();
    for (auto row = rows.rbegin(); row != rows.rend(); ++row)
        if (*row >= 0 && *row < static_cast<int>(items_.size()))
            items_.erase(items_.begin() + *row);
    const int selection = SelectionWordOfType(type_);
    settings_[selection] = std::min(settings_[selection], static_cast<int>(items_.size()) - 1);
    rebuildInPlace();
    if (host_)
        host_->EnableDeleteItem(!items_.empty());
}

void CSysControlWnd::SetSelectedItemText(const std::string& text) {
    if (!HasItems(type_) || text.empty())
        return;
    // With no item selected there is nothing to replace.
    const int index = liveSelection();
    items_ = liveItems();
    if (index < 0 || index >= static_cast<int>(items_.size()))
        return;
    std::vector<std::string> others = items_;
    others.erase(others.begin() + index);
    if (CheckNewItem(others, text) != ItemRefusal::None)
        return;
    items_[static_cast<std::size_t>(index)] = text;
    settings_[SelectionWordOfType(type_)] = index;
    rebuildInPlace();
}

std::string CSysControlWnd::GetItemsText() const {
    return JoinItems(liveItems());
}

void CSysControlWnd::SetItemsFromText(const std::string& text) {
    if (text.empty())
        return;
    items_ = ItemsFromText(text);
}

std::string CSysControlWnd::ItemFromText(const std::string& text, int index) {
    return kfm::syscontrols::ItemFromText(text, index);
}

int CSysControlWnd::CountItemsInText(const std::string& text) {
    return kfm::syscontrols::CountItemsInText(text);
}

int CSysControlWnd::GetScrollPos() const {
    return live_.scrollBar ? live_.scrollBar->value() : 0;
}

int CSysControlWnd::GetSliderPos() const {
    return live_.slider ? live_.slider->value() : 0;
}

// -------------------- Moves of the placement view

bool CSysControlWnd::followsMoves() const {
    return GetTool() == kToolMove && (ObjectFlags() & ie::kObjectMovable);
}

void CSysControlWnd::sendMoved(WPARAM ended) {
    kfm::ui::MessageTarget* target = notifyWindow_;
    for (QWidget* w = parentWidget(); !target && w; w = w->parentWidget())
        target = dynamic_cast<kfm::ui::MessageTarget*>(w);
    if (!target)
        return;
    RECT object{};
    GetViewRect(&object);
    const LPARAM position = static_cast<LPARAM>(
        (static_cast<std::uint32_t>(static_cast<std::uint16_t>(object.top)) << 16) |
        static_cast<std::uint16_t>(object.left));
    kfm::ui::SendMessageTo(target, WM_SYSCONTROL_MOVED, ended, position);
}

void CSysControlWnd::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    CImageEditWnd::mousePressEvent(event);
}

void CSysControlWnd::mouseMoveEvent(QMouseEvent* event) {
    CImageEditWnd::mouseMoveEvent(event);
    if (followsMoves() && DraggingObject())
        sendMoved(0);
}

void CSysControlWnd::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && followsMoves() && DraggingObject())
        sendMoved(1);
    CImageEditWnd::mouseReleaseEvent(event);
}

void CSysControlWnd::keyPressEvent(QKeyEvent* event) {
    if (isArrow(event->key()) && followsMoves()) {
        sendMoved(0);
        SetObjectHit(ie::kHitMove);
    }
    CImageEditWnd::keyPressEvent(event);
}

void CSysControlWnd::keyReleaseEvent(QKeyEvent* event) {
    if (isArrow(event->key()) && !event->isAutoRepeat() && followsMoves())
        sendMoved(1);
    CImageEditWnd::keyReleaseEvent(event);
}

void CSysControlWnd::resizeEvent(QResizeEvent* event) {
    CImageEditWnd::resizeEvent(event);
    if (placedOnPreview())
        PlaceControl(1);
}

void CSysControlWnd::scrollContentsBy(int dx, int dy) {
    CImageEditWnd::scrollContentsBy(dx, dy);
    if (placedOnPreview())
        PlaceControl(1);
}

} // namespace kfm::syscontrols
