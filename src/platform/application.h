#pragma once
// The program's application object: every event is delivered as a handler of
// the window it belongs to (see handlers.h), and only the main window's own
// closing ends the program.
#include <QApplication>

class Quorlen_Application : public QApplication {
    Q_OBJECT
  public:
    Quorlen_Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
