#include "PaneTestSupport.h"

#include "AnimationData.h"
#include "AnimationView.h"
#include "Bitra5.h"
#include "GIFAnimDoc.h"
#include "MainPanes.h"

#include <QDragEnterEvent>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <iterator>

namespace kfm::test {

namespace {

KpxHandle filledImage(int width, int height, int index) {
    const KpxHandle image = KPXCreateImage(width, height, 8);
    KPXFillImageByIndexColor(image, index);
    return image;
}

void onNextPopup(std::function<void(QMenu*)> act) {
    auto* timer = new QTimer;
    auto waited = std::make_shared<int>(0);
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, waited, act] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu && ++*waited < kfm::test::kHangMilliseconds / 20)
            return;
        timer->stop();
        timer->deleteLater();
        if (!menu) {
            ADD_FAILURE() << "no popup menu came";
            return;
        }
        act(menu);
    });
    timer->start();
}

} // namespace

void FillAnimation(EditorFixture& editor, int frames, int width, int height, int screenWidth,
                   int screenHeight) {
    CAnimationData& a = *g_pAnimationData;
    a.ResetFrames();
    a.AnimationWidth = screenWidth;
    a.AnimationHeight = screenHeight;
    for (int i = 0; i < frames; ++i) {
        CObjFrame frame;
        frame.SetImage(static_cast<std::uint16_t>(filledImage(width, height, i % 200)));
        frame.width = width;
        frame.height = height;
        frame.left = i % 8;
        frame.top = i % 5;
        frame.delay = 10;
        frame.comment = "f" + std::to_string(i);
        a.frames.insert(std::prev(a.frames.end()), std::move(frame));
    }
    a.UpdateFrameCount();
    editor.Frame().Panes().OnDocumentChanged();
    editor.Idle();
}

void ForgetChanges(EditorFixture& editor) {
    if (editor.Running() && editor.App().Document())
        editor.App().Document()->SetModifiedFlag(FALSE);
}

std::vector<std::string> FrameLabels() {
    std::vector<std::string> labels;
    const FrameList& frames = g_pAnimationData->frames;
    for (auto it = frames.begin(); it != std::prev(frames.end()); ++it)
        labels.push_back(it->comment);
    return labels;
}

Qt::DropAction DropOnStrip(kfm::ui::CAnimationView& strip, const QMimeData& data, int item,
                           double yFraction, Qt::KeyboardModifiers modifiers,
                           Qt::MouseButtons buttons) {
    const QRect rect = strip.visualRect(strip.model()->index(item, 0));
    const QPoint at(rect.center().x(), rect.top() + static_cast<int>(rect.height() * yFraction));
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
    QWidget* target = strip.viewport();
    QDragEnterEvent enter(at, actions, &data, buttons, modifiers);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return Qt::IgnoreAction;
    QDragMoveEvent move(at, actions, &data, buttons, modifiers);
    QApplication::sendEvent(target, &move);
    if (!move.isAccepted())
        return Qt::IgnoreAction;
    QDropEvent drop(QPointF(at), actions, &data, buttons, modifiers);
    drop.setDropAction(move.dropAction());
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
}

void AnswerNextPopup(const QString& text) {
    onNextPopup([text](QMenu* menu) {
        for (QAction* action : menu->actions())
            if (action->text().remove('&') == text) {
                const QPoint at = menu->actionGeometry(action).center();
                QTest::mouseMove(menu, at);
                QTest::mouseClick(menu, Qt::LeftButton, {}, at);
                return;
            }
        ADD_FAILURE() << "no item " << text.toStdString();
        menu->close();
    });
}

void ReadNextPopup(QStringList* texts) {
    onNextPopup([texts](QMenu* menu) {
        for (const QAction* action : menu->actions())
            if (!action->isSeparator())
                texts->append(action->text().remove('&'));
        menu->close();
    });
}

} // namespace kfm::test
