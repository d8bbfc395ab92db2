#include "dialogs/programmer_message.h"

#include <QEventLoop>
#include <QMessageBox>

namespace quimbaro {

void ShowProgrammerMessage(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kMessageTitle), text, QMessageBox::Ok,
                    nullptr);
    // exec() would make the box application-modal; a local loop keeps the
    // main window usable while the box waits.
    box.setWindowModality(Qt::NonModal);
    QEventLoop loop;
    QObject::connect(&box, &QDialog::finished, &loop, &QEventLoop::quit);
    box.show();
    loop.exec();
}

}  // namespace quimbaro
