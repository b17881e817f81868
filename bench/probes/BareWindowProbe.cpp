// A bare QApplication with one QMainWindow: the baseline of the editor's start-up.

#include "FirstPaint.h"

#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.resize(800, 600);
    FirstPaintExit probe(&window);
    window.show();
    return QApplication::exec();
}
