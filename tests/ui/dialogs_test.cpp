// Qt's own dialogs as the program shows them: Spanish button texts, custom
// colours of its own, and no file in the user's configuration folder.
#include <QApplication>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include "dialogs/colour_choice.h"
#include "dialogs/programmer_message.h"
#include "dialogs/qt_spanish_texts.h"

namespace quimbaro {
namespace {

// Runs action on the first visible window of type T, once it shows.
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

// A user who once ran another Qt program has custom colours in Qt's file:
// they are neither offered nor overwritten. Ours last for the run, a cancelled
// dialog changes nothing else, and only the chosen colour reaches a file.
TEST(QtDialogs, SpanishButtonsOwnCustomColoursAndQtsFileLeftAlone) {
    QTemporaryDir home;
    EXPECT_FALSE(LoadQtSpanishTexts(*qApp, home.path()));
    EXPECT_EQ(BoxButtonText(), "OK");
    ASSERT_TRUE(LoadQtSpanishTexts(*qApp));
    EXPECT_EQ(BoxButtonText(), "Aceptar");

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
    SettingsStore store{.file = (home.path() + "/settings.ini").toStdString(), .userColour = 255};
    QStringList seen;  // per dialog: the first custom colour offered, the OK and Cancel texts
    auto pick = [&](QColor colour, bool accept) {
        WhenShown<QColorDialog>([&, colour, accept](QColorDialog& dialog) {
            const auto* buttons = dialog.findChild<QDialogButtonBox*>();
            seen << QColorDialog::customColor(0).name() + " " + buttons->button(QDialogButtonBox::Ok)->text() +
                        " " + buttons->button(QDialogButtonBox::Cancel)->text();
            dialog.setCurrentColor(colour);
            for (QPushButton* button : dialog.findChildren<QPushButton*>())
                if (button->text().contains("personalizados")) button->click();  // adds the colour
            accept ? dialog.accept() : dialog.reject();
        });
        return ChooseUserColour(mainWindow, custom, store);
    };
    EXPECT_EQ(pick(QColor(10, 20, 30), false), ColourChoice::kNone);
    EXPECT_EQ(custom[0], QColor(10, 20, 30));
    EXPECT_EQ(store.userColour, 255);
    EXPECT_FALSE(std::filesystem::exists(store.file));
    EXPECT_EQ(pick(QColor(0, 0, 255), true), ColourChoice::kSaved);
    EXPECT_EQ(seen, QStringList({"#000000 Aceptar Cancelar", "#0a141e Aceptar Cancelar"}));
    EXPECT_EQ(store.userColour, 0xFF0000);  // blue, kept as the INI keeps it
    EXPECT_EQ(QDir(home.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList({".config", "settings.ini"}));
    EXPECT_EQ(QDir(config).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList({"QtProject.conf"}));
    ASSERT_TRUE(seeded.open(QIODevice::ReadOnly));
    EXPECT_EQ(seeded.readAll(), earlier);
}

}  // namespace
}  // namespace quimbaro
