// The least a Qt Widgets program can do before its first frame: an empty
// window of the program's size, shown, and left once it has painted.
#include <QApplication>
#include <QWidget>

#include "quit_on_first_paint.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setFixedSize(1160, 955);
    quimbaro::bench::QuitOnFirstPaint quitter(window);
    window.show();
    app.exec();
    return 0;
}
