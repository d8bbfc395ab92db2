#include <QApplication>
#include <QWidget>

#include "surface/fonts.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    quimbaro::RegisterFonts();
    QWidget window;
    window.setWindowTitle("Quimbaro");
    window.setFixedSize(1160, 955);
    window.show();
    return app.exec();
}
