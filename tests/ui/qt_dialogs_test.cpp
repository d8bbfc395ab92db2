// What Qt's own dialogs show and keep: Spanish button texts, and no file in
// the user's configuration folder.
#include <QApplication>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

#include "dialogs/colour_choice.h"
#include "dialogs/programmer_message.h"
#include "dialogs/qt_spanish_texts.h"

namespace quimbaro {
namespace {

// Runs action on the first visible top-level widget of type T, once it shows.
template <typename T>
void WhenShown(std::function<void(T&)> action) {
    QTimer::singleShot(10, [action] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* found = qobject_cast<T*>(widget); found && found->isVisible()) return action(*found);
        WhenShown(action);
    });
}

QString BoxButtonText() {
    QString text;
    WhenShown<QMessageBox>([&](QMessageBox& box) {
        text = box.buttons().value(0)->text();
        box.buttons().value(0)->click();
    });
    ShowProgrammerMessage(QString::fromUtf8(kBadEntryText));
    return text;
}

// The OK and Cancel texts of the colour dialog, left by Cancel.
QStringList ColourDialogButtonTexts(QWidget& mainWindow) {
    QStringList texts;
    WhenShown<QColorDialog>([&](QColorDialog& dialog) {
        auto* buttons = dialog.findChild<QDialogButtonBox*>();
        texts = {buttons->button(QDialogButtonBox::Ok)->text(),
                 buttons->button(QDialogButtonBox::Cancel)->text()};
        dialog.reject();
    });
    CustomColours custom = InitialCustomColours();
    SettingsStore store{.file = "unused.ini"};
    EXPECT_EQ(ChooseUserColour(mainWindow, custom, store), ColourChoice::kNone);
    return texts;
}

TEST(QtDialogs, ButtonsSpeakSpanishOnceQtsTextsLoadAndEnglishWithoutThem) {
    QTemporaryDir empty;
    EXPECT_FALSE(LoadQtSpanishTexts(*qApp, empty.path()));
    EXPECT_EQ(BoxButtonText(), "OK");

    ASSERT_TRUE(LoadQtSpanishTexts(*qApp));
    EXPECT_EQ(BoxButtonText(), "Aceptar");
    QWidget mainWindow;
    mainWindow.show();
    EXPECT_EQ(ColourDialogButtonTexts(mainWindow), QStringList({"Aceptar", "Cancelar"}));
}

// A user who once ran another Qt program has custom colours in Qt's file:
// they are neither offered nor overwritten, and no file is added.
TEST(QtDialogs, ColourDialogLeavesTheConfigurationFolderAsItWas) {
    QTemporaryDir home;
    const QString config = home.path() + "/.config";
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", config.toUtf8());
    ASSERT_TRUE(QDir().mkpath(config));
    const QByteArray earlier = "[Qt]\ncustomColors\\0=4294901760\n";
    QFile seeded(config + "/QtProject.conf");
    ASSERT_TRUE(seeded.open(QIODevice::WriteOnly) && seeded.write(earlier) == earlier.size());
    seeded.close();

    QWidget mainWindow;
    mainWindow.show();
    CustomColours custom = InitialCustomColours();
    SettingsStore store{.file = (home.path() + "/settings.ini").toStdString()};
    QColor offered;
    WhenShown<QColorDialog>([&](QColorDialog& dialog) {
        offered = QColorDialog::customColor(0);
        dialog.setCurrentColor(QColor(10, 20, 30));
        for (QPushButton* button : dialog.findChildren<QPushButton*>())
            if (button->text().contains("Custom")) button->click();
        dialog.accept();
    });
    EXPECT_EQ(ChooseUserColour(mainWindow, custom, store), ColourChoice::kSaved);
    EXPECT_EQ(custom[0], QColor(10, 20, 30));
    EXPECT_EQ(offered, QColor(0, 0, 0));
    EXPECT_EQ(QDir(home.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList({".config", "settings.ini"}));
    EXPECT_EQ(QDir(config).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList({"QtProject.conf"}));
    ASSERT_TRUE(seeded.open(QIODevice::ReadOnly));
    EXPECT_EQ(seeded.readAll(), earlier);
}

}  // namespace
}  // namespace quimbaro
