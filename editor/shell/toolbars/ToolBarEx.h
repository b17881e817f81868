#pragma once
// The main window's toolbars: flat buttons that rise under the pointer (hot tracking that a
// 250 ms timer ends once the pointer has left the bar), checked buttons sunken on a lighter face,
// disabled pictures embossed, etched separators and a double gripper. The bar's owner can draw
// along or instead through custom-draw callbacks. CMainToolBar adds the right-click menu with
// the toolbar and status-bar toggles.

#include <QColor>
#include <QImage>
#include <QProxyStyle>
#include <QTimer>
#include <QToolBar>

#include <functional>
#include <memory>
#include <vector>

#include "types/Win32Types.h"

class QMenu;

namespace kfm::ui {

class CommandRouter;

// The four colours of the flat painting.
struct ToolBarColours {
    QColor face;      // button background (3-D face)
    QColor highlight; // raised edges (3-D highlight)
    QColor shadow;    // sunken edges (3-D shadow)
    QColor light;     // checked buttons: 3-D light, or the highlight when that equals the face
};

// Custom-draw stages, answers and item states.
constexpr DWORD CDDS_PREPAINT = 0x1;
constexpr DWORD CDDS_POSTPAINT = 0x2;
constexpr DWORD CDDS_ITEMPREPAINT = 0x10001;
constexpr DWORD CDDS_ITEMPOSTPAINT = 0x10002;
constexpr LRESULT CDRF_DODEFAULT = 0x0;
constexpr LRESULT CDRF_SKIPDEFAULT = 0x4;
constexpr LRESULT CDRF_NOTIFYPOSTPAINT = 0x10;
constexpr LRESULT CDRF_NOTIFYITEMDRAW = 0x20;
constexpr UINT CDIS_DISABLED = 0x4;
constexpr UINT CDIS_CHECKED = 0x8;

// What the owner is told at each stage of a paint.
struct ToolBarCustomDraw {
    DWORD drawStage = 0;
    QPainter* painter = nullptr;
    UINT barId = 0;     // the toolbar's identifier
    UINT itemSpec = 0;  // the button's command id (items only)
    QRect rect;         // the button (items only)
    UINT itemState = 0; // CDIS_DISABLED, CDIS_CHECKED (items only)
};

class CToolBarEx : public QToolBar {
    Q_OBJECT
public:
    // The hot button stays until the pointer was seen outside the bar at one of these ticks.
    static constexpr int kHotTimerMilliseconds = 250;
    // The gripper's two bars and the room beside them (horizontal bar: 4, vertical bar: 6).
    static constexpr int kGripperWidth = 8;
    static constexpr int kHorizontalOffset = 4;
    static constexpr int kVerticalOffset = 6;
    // Where a picture starts in a button that shows its text under it.
    static constexpr int kTextPictureTop = 3;

    using CustomDrawHandler = std::function<LRESULT(ToolBarCustomDraw&)>;

    CToolBarEx(const QString& title, QWidget* parent, UINT barId);
    ~CToolBarEx() override;

    // The owner's custom-draw callback (none: the bar draws alone).
    void SetCustomDrawHandler(CustomDrawHandler handler) { owner_ = std::move(handler); }
    // Flat painting (on from the start); off leaves the painting to the base toolbar.
    void SetFlat(bool flat);
    bool IsFlat() const { return flat_; }
    // The index (in actions()) of the button under the pointer; -1 for none.
    int HotButton() const { return hot_; }
    bool HotTimerActive() const { return hotTimer_.isActive(); }
    const ToolBarColours& Colours() const { return colours_; }

    // Runs a command update; only the buttons whose state it changed repaint.
    void OnUpdateCmdUI(const std::function<void()>& update);

    // The colours from a palette, with the light colour's rule.
    static ToolBarColours ColoursFrom(const QPalette& palette);
    // The embossed picture of a disabled button, one pixel larger each way: the picture's pixels
    // that are neither the face nor the highlight colour (nor transparent) painted in the
    // highlight colour one pixel right and down, then in the shadow colour in place.
    static QImage EmbossDisabled(const QImage& picture, const QColor& face, const QColor& highlight,
                                 const QColor& shadow);

protected:
    void paintEvent(QPaintEvent* event) override;
    void actionEvent(QActionEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct ButtonState {
        bool enabled;
        bool checked;
        bool visible;
        qint64 icon;
    };
    int indexOfWidget(const QObject* widget) const;
    ButtonState stateOf(const QAction* action) const;
    void setHot(int index);
    void onHotTimer();
    void invalidateButton(int index);
    void drawGripper(QPainter& painter) const;
    void drawSeparator(QPainter& painter, const QRect& rect) const;
    void drawButton(QPainter& painter, QAction* action, QWidget* button, LRESULT paintAnswer);

    UINT barId_;
    bool flat_ = true;
    int hot_ = -1;
    QTimer hotTimer_;
    ToolBarColours colours_;
    CustomDrawHandler owner_;
    std::unique_ptr<QProxyStyle> style_;
};

// The main window's toolbar: a right click shows sub-menu 0 of menu 102, whose commands go to
// the main window's router.
class CMainToolBar : public CToolBarEx {
    Q_OBJECT
public:
    CMainToolBar(const QString& title, QWidget* parent, UINT barId, CommandRouter& router);
    ~CMainToolBar() override;

    // The menu while it shows (tests), else null.
    QMenu* ContextMenu() const { return menu_.get(); }

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    CommandRouter& router_;
    std::unique_ptr<QMenu> menu_;
};

} // namespace kfm::ui
