#pragma once
// The live list box and combo box. Both sort case-insensitively as the classic controls do,
// draw their rows at the classic item height with the classic selection and focus marks, and
// report the user's choices to the preview through callbacks.

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

#include "ControlLook.h"

namespace kfm::syscontrols {

class LeftScrollBar;

// The height of one row of a list in the control font.
int ListItemHeight();
// The height of a combo box's selection field.
int ComboFieldHeight();
// The items in the order a list shows them: sorted without regard to case when asked.
std::vector<std::string> ShownItems(const ControlLook& look);

class CSysControlListBox : public QListWidget {
public:
    // The selection changed: the current row (-1 none) and whether any row is selected.
    using SelectionChanged = std::function<void(int current, bool anySelected)>;

    CSysControlListBox(const ControlLook& look, QWidget* parent);
    void OnSelectionChanged(SelectionChanged report) { report_ = std::move(report); }
    // The height the list takes in a rectangle of that height inside edges of edgeWidth: whole
    // rows only with the integral height.
    static int RealHeight(const ControlLook& look, int height, int edgeWidth);
    std::vector<std::string> Items() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    SelectionChanged report_;
    LeftScrollBar* left_ = nullptr;
    bool filling_ = true;
};

// Kinds 0 (simple: a field over a list), 1 (drop-down: an editable field) and 2 (drop-down
// list); with the list shown, the drop-down kinds show their list below the field.
class CSysControlComboBox : public QWidget {
public:
    using SelectionChanged = std::function<void(int index, const std::string& text)>;

    CSysControlComboBox(const ControlLook& look, QWidget* parent);
    void OnSelectionChanged(SelectionChanged report) { selected_ = std::move(report); }
    void OnEditChanged(std::function<void()> report) { edited_ = std::move(report); }
    // The height the combo box takes for a requested list height.
    static int RealHeight(const ControlLook& look, int height);
    std::vector<std::string> Items() const;
    int CurrentIndex() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void layOut();
    void select(int index);

    ControlLook look_;
    QComboBox* dropDown_ = nullptr;
    QLineEdit* field_ = nullptr;
    QListWidget* list_ = nullptr;
    SelectionChanged selected_;
    std::function<void()> edited_;
    bool filling_ = true;
};

} // namespace kfm::syscontrols
