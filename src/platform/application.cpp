#include "platform/application.h"
#include "platform/handlers.h"
#include <QEvent>
#include <QThread>

Quorlen_Application::Quorlen_Application(int& argc, char** argv) : QApplication(argc, argv) {
    // A window closed while the closing waits for an answer must not end the
    // program behind the question's back.
    setQuitOnLastWindowClosed(false);
}

bool Quorlen_Application::notify(QObject* receiver, QEvent* event) {
    // The windows and their handlers are the GUI thread's alone.
    if (QThread::currentThread() != thread()) return QApplication::notify(receiver, event);
    const Handler_Scope scope(receiver, event);
    if (scope.Refused()) {
        event->ignore();
        return true;
    }
    return QApplication::notify(receiver, event);
}
