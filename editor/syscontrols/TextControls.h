#pragma once
// The live text controls: the static text (with the "&" prefix, alignments, wrapping and its
// sunken edge), the icon static, and the edit box, one line or several, with its scroll bars
// (the vertical one on either side) and its optional up-down control.

#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollBar>

#include <functional>

#include "ControlLook.h"

namespace kfm::ui {
class CUpDown;
}

namespace kfm::syscontrols {

// A vertical scroll bar on the left of a scroll area: it stands in for the area's own bar,
// which stays hidden but keeps the range and position.
class LeftScrollBar : public QScrollBar {
public:
    // setMargin reserves the bar's width on the area's left (QAbstractScrollArea's viewport
    // margins are only open to the area itself).
    LeftScrollBar(QAbstractScrollArea* area, Qt::ScrollBarPolicy policy,
                  std::function<void(int left)> setMargin);
    // Places the bar along the area's left edge; the area calls it when it is resized.
    void Place();

private:
    void follow();

    QAbstractScrollArea* area_;
    Qt::ScrollBarPolicy policy_;
    std::function<void(int)> setMargin_;
};

class CSysControlStatic : public QLabel {
public:
    CSysControlStatic(const ControlLook& look, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int align_;
    bool centreVertically_;
    bool noPrefix_;
    bool noWrap_;
    bool sunken_;
};

class CSysControlIcon : public QLabel {
public:
    CSysControlIcon(const ControlLook& look, const QPixmap& icon, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap icon_;
    bool centre_;
    bool sunken_;
};

// The one-line edit box.
class CSysControlEdit : public QLineEdit {
public:
    CSysControlEdit(const ControlLook& look, QWidget* parent);
};

// The edit box with several lines or with scroll bars.
class CSysControlMultiEdit : public QPlainTextEdit {
public:
    CSysControlMultiEdit(const ControlLook& look, QWidget* parent);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    LeftScrollBar* left_ = nullptr;
};

// Gives the up-down control its classic form: vertical or horizontal buttons.
kfm::ui::CUpDown* MakeUpDown(bool horizontal, QWidget* parent);

} // namespace kfm::syscontrols
