// Runs the widget tests on Qt's offscreen platform with the program's fonts.
#include <QApplication>
#include <gtest/gtest.h>

#include "surface/fonts.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    quimbaro::RegisterFonts();
    return RUN_ALL_TESTS();
}
