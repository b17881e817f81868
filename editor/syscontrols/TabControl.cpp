#include "TabControl.h"

#include "ClassicDrawing.h"
#include "ControlDrawing.h"
#include "gdi/SystemLook.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <numeric>

namespace kfm::syscontrols {

namespace {

constexpr int kPadding = 6;   // beside a tab's text, on each side
constexpr int kMargin = 2;    // before the first tab and above the top row
constexpr int kButtonGap = 3; // between tabs drawn as buttons
constexpr int kLift = 2;      // how far the selected tab stands out

int tabHeight() {
    return QFontMetrics(ControlFont()).height() + 7;
}

void line(QPainter& painter, const QColor& colour, int x1, int y1, int x2, int y2) {
    painter.setPen(colour);
    painter.drawLine(x1, y1, x2, y2);
}

} // namespace

TabStrip LayOutTabs(const std::vector<int>& textWidths, int width, int tabHeight, bool multiline,
                    bool fixedWidth, bool ragged, bool buttons, int selected) {
    TabStrip strip;
    const std::size_t count = textWidths.size();
    if (count == 0)
        return strip;
    const int widest = *std::max_element(textWidths.begin(), textWidths.end());
    std::vector<int> widths(count);
    for (std::size_t i = 0; i < count; ++i)
        widths[i] = (fixedWidth ? widest : textWidths[i]) + 2 * kPadding;
    const int gap = buttons ? kButtonGap : 0;
    const int available = std::max(1, width - 2 * kMargin);

    std::vector<std::vector<std::size_t>> rows(1);
    int used = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const int need = widths[i] + (rows.back().empty() ? 0 : gap);
        if (multiline && !rows.back().empty() && used + need > available) {
            rows.emplace_back();
            used = 0;
        }
        used += widths[i] + (rows.back().empty() ? 0 : gap);
        rows.back().push_back(i);
    }
    if (rows.size() > 1 && !ragged) {
        for (const auto& row : rows) {
            int total = -gap;
            for (const std::size_t i : row)
                total += widths[i] + gap;
            const int extra = std::max(0, available - total);
            const int n = static_cast<int>(row.size());
            for (int k = 0; k < n; ++k)
                widths[row[static_cast<std::size_t>(k)]] += extra / n + (k < extra % n ? 1 : 0);
        }
    }
    // The row holding the selected tab lies next to the panel.
    if (!buttons && selected >= 0) {
        for (std::size_t r = 0; r + 1 < rows.size(); ++r) {
            if (std::find(rows[r].begin(), rows[r].end(), static_cast<std::size_t>(selected)) !=
                rows[r].end()) {
                std::rotate(rows.begin() + static_cast<long>(r),
                            rows.begin() + static_cast<long>(r) + 1, rows.end());
                break;
            }
        }
    }
    strip.tabs.resize(count);
    const int rowStep = tabHeight + (buttons ? kButtonGap : 0);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        int x = kMargin;
        for (const std::size_t i : rows[r]) {
            strip.tabs[i] = QRect(x, kMargin + static_cast<int>(r) * rowStep, widths[i], tabHeight);
            x += widths[i] + gap;
        }
    }
    strip.rows = static_cast<int>(rows.size());
    strip.stripHeight = kMargin + strip.rows * rowStep;
    return strip;
}

CSysControlTab::CSysControlTab(const ControlLook& look, QWidget* parent)
    : QWidget(parent), items_(look.items), selected_(look.selection), hot_(look.hotTab),
      highlighted_(look.highlightTab), buttons_(look.tabButtons),
      multiline_(look.tabMultiline || look.tabsVertical), bottom_(look.tabsBottom),
      vertical_(look.tabsVertical), fixedWidth_(look.tabAlign == 1), ragged_(look.tabAlign == 2),
      focus_(look.focus) {
    setAutoFillBackground(true);
}

TabStrip CSysControlTab::strip() const {
    const QFontMetrics metrics(font());
    std::vector<int> widths;
    for (const std::string& item : items_)
        widths.push_back(metrics.horizontalAdvance(ShownText(item).remove(QLatin1Char('&'))));
    return LayOutTabs(widths, vertical_ ? height() : width(), tabHeight(), multiline_, fixedWidth_,
                      ragged_, buttons_, selected_);
}

std::vector<QRect> CSysControlTab::placedTabs(const TabStrip& strip) const {
    std::vector<QRect> placed;
    for (const QRect& t : strip.tabs) {
        if (vertical_)
            placed.push_back(bottom_
                                 ? QRect(width() - t.y() - t.height(), t.x(), t.height(), t.width())
                                 : QRect(t.y(), t.x(), t.height(), t.width()));
        else
            placed.push_back(
                bottom_ ? QRect(t.x(), height() - t.y() - t.height(), t.width(), t.height()) : t);
    }
    return placed;
}

QRect CSysControlTab::panelRect(const TabStrip& strip) const {
    const int band = strip.stripHeight;
    if (vertical_)
        return bottom_ ? QRect(0, 0, width() - band, height())
                       : QRect(band, 0, width() - band, height());
    return bottom_ ? QRect(0, 0, width(), height() - band)
                   : QRect(0, band, width(), height() - band);
}

void CSysControlTab::drawTab(QPainter& painter, const QRect& tab, int index) const {
    const QColor light = SysColour(COLOR_3DHILIGHT);
    const QColor dark = SysColour(COLOR_3DDKSHADOW);
    const QColor shadow = SysColour(COLOR_3DSHADOW);
    const bool selected = index == selected_;
    const bool highlighted = index == highlighted_;
    if (buttons_) {
        painter.fillRect(tab, SysColour(highlighted ? COLOR_HIGHLIGHT : COLOR_3DFACE));
        if (selected) {
            kfm::ui::Draw3dRect(painter, tab, shadow, light);
            kfm::ui::Draw3dRect(painter, tab.adjusted(1, 1, -1, -1), dark,
                                SysColour(COLOR_3DLIGHT));
        } else {
            kfm::ui::Draw3dRect(painter, tab, light, dark);
            kfm::ui::Draw3dRect(painter, tab.adjusted(1, 1, -1, -1), SysColour(COLOR_3DLIGHT),
                                shadow);
        }
        return;
    }
    const int l = tab.left();
    const int t = tab.top();
    const int r = tab.right();
    const int b = tab.bottom();
    painter.fillRect(tab.adjusted(1, 1, -1, -1),
                     SysColour(highlighted ? COLOR_HIGHLIGHT : COLOR_3DFACE));
    if (vertical_ && !bottom_) { // on the left, open to the right
        line(painter, light, l + 2, t, r, t);
        line(painter, light, l + 1, t + 1, l + 1, t + 1);
        line(painter, light, l, t + 2, l, b - 2);
        line(painter, dark, l + 1, b - 1, l + 1, b - 1);
        line(painter, dark, l + 2, b, r, b);
        line(painter, shadow, l + 2, b - 1, r, b - 1);
    } else if (vertical_) { // on the right, open to the left
        line(painter, light, l, t, r - 2, t);
        line(painter, dark, r - 1, t + 1, r - 1, t + 1);
        line(painter, dark, r, t + 2, r, b - 2);
        line(painter, shadow, r - 1, t + 2, r - 1, b - 2);
        line(painter, dark, l, b, r - 2, b);
        line(painter, shadow, l, b - 1, r - 2, b - 1);
    } else if (bottom_) { // below, open to the top
        line(painter, light, l, t, l, b - 2);
        line(painter, dark, l + 1, b - 1, l + 1, b - 1);
        line(painter, dark, l + 2, b, r - 2, b);
        line(painter, shadow, l + 2, b - 1, r - 2, b - 1);
        line(painter, dark, r - 1, b - 1, r - 1, b - 1);
        line(painter, dark, r, t, r, b - 2);
        line(painter, shadow, r - 1, t, r - 1, b - 2);
    } else { // above, open to the bottom
        line(painter, light, l, t + 2, l, b);
        line(painter, light, l + 1, t + 1, l + 1, t + 1);
        line(painter, light, l + 2, t, r - 2, t);
        line(painter, dark, r - 1, t + 1, r - 1, t + 1);
        line(painter, dark, r, t + 2, r, b);
        line(painter, shadow, r - 1, t + 2, r - 1, b);
    }
}

void CSysControlTab::drawLabel(QPainter& painter, const QRect& tab, int index) const {
    const QString text = ShownText(items_[static_cast<std::size_t>(index)]);
    QColor ink = SysColour(COLOR_BTNTEXT);
    if (!isEnabled())
        ink = SysColour(COLOR_GRAYTEXT);
    else if (index == highlighted_)
        ink = SysColour(COLOR_HIGHLIGHTTEXT);
    else if (index == hot_)
        ink = SysColour(COLOR_HOTLIGHT);
    QRect area = tab;
    if (buttons_ && index == selected_)
        area.translate(1, 1);
    const int flags = Qt::AlignCenter | Qt::TextSingleLine;
    painter.setFont(font());
    if (!vertical_) {
        DrawControlText(painter, area, flags, text, false, ink);
    } else {
        // Text reads upwards on tabs down the side.
        painter.save();
        painter.translate(area.center() + QPoint(1, 1));
        painter.rotate(-90);
        const QRect turned(-area.height() / 2, -area.width() / 2, area.height(), area.width());
        DrawControlText(painter, turned, flags, text, false, ink);
        painter.restore();
    }
    if (focus_ && index == selected_)
        DrawFocusMark(painter, tab.adjusted(3, 3, -3, -3), SysColour(COLOR_3DFACE));
}

void CSysControlTab::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), SysColour(COLOR_3DFACE));
    const TabStrip laid = strip();
    if (!buttons_) {
        const QRect panel = panelRect(laid);
        kfm::ui::Draw3dRect(painter, panel, SysColour(COLOR_3DHILIGHT),
                            SysColour(COLOR_3DDKSHADOW));
        kfm::ui::Draw3dRect(painter, panel.adjusted(1, 1, -1, -1), SysColour(COLOR_3DLIGHT),
                            SysColour(COLOR_3DSHADOW));
    }
    const std::vector<QRect> tabs = placedTabs(laid);
    for (int i = 0; i < static_cast<int>(tabs.size()); ++i) {
        if (i == selected_)
            continue;
        drawTab(painter, tabs[static_cast<std::size_t>(i)], i);
        drawLabel(painter, tabs[static_cast<std::size_t>(i)], i);
    }
    if (selected_ >= 0 && selected_ < static_cast<int>(tabs.size())) {
        QRect tab = tabs[static_cast<std::size_t>(selected_)];
        if (!buttons_) {
            // The selected tab stands out from the others and runs into the panel.
            if (vertical_)
                tab = bottom_ ? tab.adjusted(-1, -kLift, kLift, kLift)
                              : tab.adjusted(-kLift, -kLift, 1, kLift);
            else
                tab = bottom_ ? tab.adjusted(-kLift, -1, kLift, kLift)
                              : tab.adjusted(-kLift, -kLift, kLift, 1);
        }
        drawTab(painter, tab, selected_);
        drawLabel(painter, tab, selected_);
    }
}

void CSysControlTab::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const std::vector<QRect> tabs = placedTabs(strip());
    for (int i = 0; i < static_cast<int>(tabs.size()); ++i) {
        if (!tabs[static_cast<std::size_t>(i)].contains(event->position().toPoint()))
            continue;
        if (i != selected_) {
            selected_ = i;
            update();
            if (report_)
                report_(i);
        }
        return;
    }
}

} // namespace kfm::syscontrols
