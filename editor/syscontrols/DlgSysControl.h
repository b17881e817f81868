#pragma once
// The system-control dialog (template 10640): the user chooses one of the nineteen kinds of
// classic control, sets its text, items, position, size and general styles and the options of
// its kind on the kind's page, works the live control in the preview or drags its picture over
// the animation, and OK captures it into a new control frame. In insert mode the frame is new;
// in edit mode the dialog opens on the record of a control frame and the new frame replaces it.
// The working values live in the preview's settings; the registry copy is read when the dialog
// opens and written by a successful OK.

#include <QPointer>

#include <array>
#include <memory>
#include <string>

#include "Bitra5.h"
#include "MessageTarget.h"
#include "SysControlPageHost.h"
#include "SysControlRegistry.h"
#include "SysControlSettings.h"
#include "SysControlWnd.h"
#include "framework/ResourceDialog.h"

class CObjFrame;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QStackedWidget;
class QToolButton;

namespace kfm::ui {
class CNumEdit;
class CUpDown;
} // namespace kfm::ui

namespace kfm::syscontrols {

class CSysControlPage;

class CDlgSysControl : public kfm::ui::ResourceDialog,
                       public kfm::ui::MessageTarget,
                       public SysControlWndHost,
                       public SysControlPageHost {
    Q_OBJECT
public:
    enum Mode : int { kInsert = 0, kEdit = 1 };
    // Controls of template 10640.
    enum Control : int {
        kTypeList = 10274,
        kClientEdge = 10303,
        kStaticEdge = 10307,
        kModalFrame = 10305,
        kDisabled = 10304,
        kSetFocus = 10306,
        kLeft = 10325,
        kLeftUpDown = 10326,
        kTop = 10395,
        kTopUpDown = 10396,
        kWidth = 10398,
        kWidthUpDown = 10399,
        kHeight = 10312,
        kHeightUpDown = 10313,
        kText = 10393,
        kTextLabel = 10394,
        kAddItem = 10266,
        kReplaceItem = 10397,
        kDeleteItem = 10350,
        kPlacementView = 10342,
        kControlView = 10300,
        kPreviewFrame = 10343,
        kSheetFrame = 10360,
    };

    // edited: the frame of edit mode (not owned; may be null). background: the picture behind
    // the control (not owned; 0 makes the dialog its own of the animation's size filled with
    // index 255) and its rectangle on the animation's screen.
    CDlgSysControl(QWidget* parent, int mode, CObjFrame* edited, KpxHandle background, int left,
                   int top, int right, int bottom, UtcClock clock = SystemUtcNow);
    ~CDlgSysControl() override;

    // The frame OK made, or null; TakeNewFrame hands it to the caller.
    CObjFrame* GetNewFrame() const { return newFrame_.get(); }
    std::unique_ptr<CObjFrame> TakeNewFrame();

    CSysControlWnd* Preview() const { return preview_; }
    // The page of a type-list row once it has been shown, else null.
    CSysControlPage* Page(int row) const;

    // The row's type; PushButton for no row or a row outside the list.
    int TypeFromComboIndex() const;
    static int ComboIndexFromType(int type);

    void ApplyTypeSize(SysControlSettings& settings);
    void UpdatePositionRanges();
    void ComputeCanvasSize();
    void UpdateCanvas() override;
    void UpdatePlacement();
    void UpdateDateTimeCtrl(int type);
    void UpdateTabItemRanges();
    // The width and height fields show a size the preview gave the control (without applying
    // it again).
    void SetSizeFields(int width, int height) override;

    // Handlers, public for the pages and tests.
    void OnSelChangeType();
    void OnValueChanged(kfm::ui::CNumEdit* field);
    void OnAddItem();
    void OnDeleteItem();
    void OnSetItemText();
    void OnGeneralFlag(int word);
    void OnPlacementView();
    void OnControlView();
    void OnPreviewMoved(WPARAM ended, LPARAM position);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // SysControlWndHost.
    void EnableDeleteItem(bool enable) override;
    void ShowItemText(const std::string& text) override;
    void DateTimeChanged() override;

public slots:
    void accept() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct NumberField {
        kfm::ui::CNumEdit* edit = nullptr;
        kfm::ui::CUpDown* upDown = nullptr;
    };

    void buildControls();
    void connectControls();
    void initDialog();
    void showPage(int row);
    void readFlags();
    void setAutoApply(bool on);
    void suspendAutoApply();
    void resumeAutoApply();
    void applyEnabling(int type, const SysControlSettings& settings);
    bool controlView() const;
    // Rebuilds the live control in the current view.
    void rebuild();
    void storeCurrentSize(SysControlSettings& settings) const;
    std::string fieldText() const;
    bool captureNewFrame();

    const int mode_;
    CObjFrame* edited_;
    KpxHandle background_;
    bool ownImage_ = false;
    RECT imageRect_;
    int canvasWidth_ = 0;
    int canvasHeight_ = 0;
    UtcClock clock_;
    // What the registry held when the dialog opened.
    StoredValues stored_;
    std::unique_ptr<CObjFrame> newFrame_;
    CSysControlWnd* preview_ = nullptr;
    std::array<bool, 5> flags_{};

    QComboBox* typeList_ = nullptr;
    std::array<QCheckBox*, 5> flagBoxes_{};
    NumberField left_;
    NumberField top_;
    NumberField width_;
    NumberField height_;
    kfm::ui::CNumEdit* text_ = nullptr;
    QLabel* textLabel_ = nullptr;
    QPushButton* addItem_ = nullptr;
    QPushButton* replaceItem_ = nullptr;
    QPushButton* deleteItem_ = nullptr;
    QToolButton* placementView_ = nullptr;
    QToolButton* controlView_ = nullptr;
    QWidget* previewFrame_ = nullptr;
    QStackedWidget* sheet_ = nullptr;
    std::array<QPointer<CSysControlPage>, 19> pages_{};
};

} // namespace kfm::syscontrols
