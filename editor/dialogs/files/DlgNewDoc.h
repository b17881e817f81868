#pragma once
// The new-animation dialog (template 10605) and its companion that names a format of the user's
// own (template 10606). The user picks a banner format or a user format from the list, or types
// a width and height; user formats are added, deleted, and written back when the dialog closes,
// also after Cancel.

#include <functional>
#include <vector>

#include "NewDocFormats.h"
#include "framework/ResourceDialog.h"

class QPushButton;
class QTreeWidget;
class QLineEdit;

namespace kfm::ui {
class CNumEdit;
class CUpDown;
} // namespace kfm::ui

namespace kfm::dialogs {

// Names and sizes a new user format: OK writes the name (at most 100 characters), the width and
// the height back.
class CDlgNewDocFormat final : public kfm::ui::ResourceDialog {
    Q_OBJECT
public:
    enum Control : int {
        kHeight = 10135,
        kHeightSpin = 10136,
        kName = 10137,
        kWidth = 10138,
        kWidthSpin = 10139,
    };
    static constexpr int kMaxNameLength = 100;

    CDlgNewDocFormat(QWidget* parent, QString* name, int* width, int* height);

public slots:
    void accept() override;

private:
    QString* name_;
    int* width_;
    int* height_;
    QLineEdit* nameEdit_;
    kfm::ui::CUpDown* widthSpin_ = nullptr;
    kfm::ui::CUpDown* heightSpin_ = nullptr;
};

class CDlgNewDoc final : public kfm::ui::ResourceDialog {
    Q_OBJECT
public:
    enum Control : int {
        kDelete = 10127,
        kList = 10128,
        kHeight = 10129,
        kHeightSpin = 10130,
        kSetDefault = 10131,
        kAdd = 10132,
        kWidth = 10133,
        kWidthSpin = 10134,
    };
    // Asks for a new format's name and size, as CDlgNewDocFormat does; replaceable so that
    // tests answer for the user. False when the user cancels.
    using FormatAsker =
        std::function<bool(QWidget* parent, QString& name, int& width, int& height)>;

    // OK writes the chosen size to width and height; set-as-default writes the size and the
    // selected index to the default variables.
    CDlgNewDoc(QWidget* parent, int* width, int* height, int* defaultIndex, int* defaultWidth,
               int* defaultHeight);
    ~CDlgNewDoc() override;

    void SetFormatAsker(FormatAsker asker) { asker_ = std::move(asker); }
    QTreeWidget* List() const { return list_; }
    // The selected list index, -1 for none.
    int Selection() const;
    // The user formats as they stand (written back when the dialog closes).
    const std::vector<NewDocFormat>& UserFormats() const { return userFormats_; }

public slots:
    void accept() override;
    void done(int result) override;

private:
    void fillList();
    void select(int index);
    void selectionChanged();
    void enableButtons();
    void addFormat();
    void deleteFormat();
    void setAsDefault();
    void showSize(int width, int height);
    NewDocFormat entry(int index) const;

    int* width_;
    int* height_;
    int* defaultIndex_;
    int* defaultWidth_;
    int* defaultHeight_;
    std::vector<NewDocFormat> userFormats_;
    FormatAsker asker_;
    QTreeWidget* list_;
    kfm::ui::CUpDown* widthSpin_ = nullptr;
    kfm::ui::CUpDown* heightSpin_ = nullptr;
    bool written_ = false;
};

} // namespace kfm::dialogs
