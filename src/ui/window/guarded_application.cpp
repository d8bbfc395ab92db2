#include "window/guarded_application.h"

#include <cstdio>
#include <cstdlib>
#include <new>

#include "dialogs/programmer_message.h"

namespace quimbaro {

bool GuardedApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::bad_alloc&) {
        const char* text = "no hubo memoria suficiente y la agenda se cierra; lo guardado sigue guardado";
        std::fprintf(stderr, "quimbaro: %s\n", text);
        try {
            ShowProgrammerMessage(QString::fromUtf8(text));
        } catch (const std::bad_alloc&) {
        }
        std::_Exit(1);  // the half-done handler left the window in no state to go on
    }
}

}  // namespace quimbaro
