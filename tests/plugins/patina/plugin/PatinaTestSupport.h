#pragma once
// What the texture plug-in's widget tests share: answering a modal dialog while the test blocks
// in it, controls by id, and the folder of screenshots.

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <type_traits>

namespace kfm::patina::test {

// Runs answer on the next modal dialog of the kind W once it shows, while the caller blocks in
// it; a dialog that never comes fails the test.
template <class W = QDialog>
void answerModal(std::type_identity_t<std::function<void(W&)>> answer) {
    auto* timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, answer] {
        auto* dialog = qobject_cast<W*>(QApplication::activeModalWidget());
        if (!dialog && ++*tries < 15000)
            return;
        timer->stop();
        timer->deleteLater();
        if (!dialog) {
            ADD_FAILURE() << "no dialog came";
            return;
        }
        answer(*dialog);
    });
    timer->start();
}

template <class W> W* control(QWidget& dialog, int id) {
    return dialog.findChild<W*>(QStringLiteral("id%1").arg(id));
}

inline std::string artifact(const std::string& name) {
    const std::string folder = KFM_TEST_ARTIFACTS_DIR;
    QDir().mkpath(QString::fromStdString(folder));
    return folder + "/" + name;
}

} // namespace kfm::patina::test
