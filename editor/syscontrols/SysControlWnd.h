#pragma once
// The preview of the system-control dialog. It keeps the settings and makes the live control of
// the current type from them. In control view (tool 1) the live control stands on the preview
// at its place over the frame image and the user works it; every change the user makes there is
// written back into the settings. In placement view (the move tool) the live control sits in a
// hidden host window and is captured into an 8-bit picture on the library's fine palette, which
// the preview shows as its movable, resizable overlay; each move is sent to the dialog as
// WM_SYSCONTROL_MOVED. The captured picture becomes the control frame's picture.

#include <QDate>
#include <QDateTime>
#include <QImage>
#include <QPixmap>

#include <memory>
#include <string>
#include <vector>

#include "Bitra5.h"
#include "ImageEditWnd.h"
#include "LiveControlFactory.h"
#include "MessageTarget.h"
#include "SysControlSettings.h"

namespace kfm::syscontrols {

// What the preview tells its dialog when the user works the live control.
class SysControlWndHost {
public:
    virtual ~SysControlWndHost() = default;
    // The delete-item button (10350) on or off.
    virtual void EnableDeleteItem(bool enable) = 0;
    // The text field shows the text (without applying it again).
    virtual void ShowItemText(const std::string& text) = 0;
    // The date-time picker wrote its date or time into the settings.
    virtual void DateTimeChanged() = 0;
};

class CSysControlWnd : public kfm::ui::CImageEditWnd {
public:
    static constexpr UINT WM_SYSCONTROL_MOVED = WM_USER + 218;
    // The tool of the control view.
    static constexpr int kToolControl = 1;
    // The largest side of a control the render makes a picture of.
    static constexpr int kMaxRenderSide = 9999;
    static constexpr long long kMaxRenderPixels = 16LL * 1024 * 1024;

    explicit CSysControlWnd(QWidget* parent = nullptr);
    ~CSysControlWnd() override;

    void SetHost(SysControlWndHost* host) { host_ = host; }
    // The window that gets WM_SYSCONTROL_MOVED; by default the nearest ancestor that takes
    // messages.
    void SetNotifyWindow(kfm::ui::MessageTarget* window) { notifyWindow_ = window; }

    void SetSettings(const SysControlSettings& settings) { settings_ = settings; }
    // The settings, with the live date-time picker's or month calendar's values read first.
    void GetSettings(SysControlSettings& out);
    const SysControlSettings& Settings() const { return settings_; }

    // Rebuilds the live control (type 0 keeps the type) or only places it; then, in placement
    // view, captures it again and shows the capture at Left, Top with Width x Height.
    void UpdateControl(int type, int place, int rebuild);
    void SetControlType(int type, int place);
    // Flag 0: into the hidden host at 0, 0; otherwise onto the preview at its place over the
    // image.
    void PlaceControl(int flag);

    // A 24-bit picture of the live control over the background colour; a null image when the
    // control or the picture cannot be made.
    QImage Render(COLORREF background);
    // Captures the live control into an 8-bit image (the captured image); 0 on failure.
    KpxHandle Capture();
    KpxHandle GetCapturedImage() const { return captured_; }
    void DeleteCapture();
    void SetCaptureAsOverlay();

    int GetType() const { return live_.window ? live_.type : 0; }
    QWidget* GetControlWindow() const { return live_.window; }
    QWidget* GetControl() const { return live_.control; }
    const LiveControl& Live() const { return live_; }

    void GetTextSize(int* width, int* height) const;
    void FitSizeToText(int type);

    // Items of the list box, combo box and tab. A refused item (empty, or one that would make
    // the items longer than a record carries) changes nothing.
    void AddItem(const std::string& text);
    void DeleteSelectedItem();
    void SetSelectedItemText(const std::string& text);
    std::string GetItemsText() const;
    void SetItemsFromText(const std::string& text);
    static std::string ItemFromText(const std::string& text, int index);
    static int CountItemsInText(const std::string& text);
    int GetItemCount() const { return static_cast<int>(items_.size()); }
    const std::vector<std::string>& Items() const { return items_; }

    // The live scroll bar's and slider's positions (0 without one).
    int GetScrollPos() const;
    int GetSliderPos() const;

    // The icons the icon type and the message box show.
    const std::vector<QPixmap>& IconList() const { return icons_; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void createLiveControl(bool forCapture);
    void destroyLiveControl(bool saveItems);
    void connectLiveControl();
    // Rebuilds the live control where it stands, after its items changed.
    void rebuildInPlace();
    SysControlSettings settingsOfType() const;
    // Renders into picture, which keeps its memory when it has the size already.
    bool renderInto(QImage& picture, COLORREF background);
    void sendMoved(WPARAM ended);
    bool followsMoves() const;
    bool placedOnPreview() const;
    std::vector<std::string> liveItems() const;
    int liveSelection() const;
    std::vector<int> selectedRows() const;

    SysControlSettings settings_;
    std::vector<std::string> items_;
    int type_ = 0;
    std::unique_ptr<QWidget> hostWindow_;
    LiveControl live_;
    // Owns live_.window wherever it is placed (declared after the host, so it goes first).
    std::unique_ptr<QWidget> liveOwner_;
    std::vector<QPixmap> icons_;
    KpxHandle captured_ = 0;
    // The renders of the last capture, drawn over again by the next one.
    QImage overRed_;
    QImage overBlue_;
    QRect controlRect_;
    RECT imageRect_{0, 0, 0, 0};
    bool onPreview_ = false;
    // The live control was made for a capture (the emulations' capture templates).
    bool forCapture_ = false;
    QDateTime lastDateTime_;
    QDate lastToday_;
    QDate lastSelected_;
    SysControlWndHost* host_ = nullptr;
    kfm::ui::MessageTarget* notifyWindow_ = nullptr;
};

} // namespace kfm::syscontrols
