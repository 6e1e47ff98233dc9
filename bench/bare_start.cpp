// The yardstick for start-up: a bare Qt program with a main window that
// holds an MDI area, shown and exposed, then ended.
#include "shown_clock.h"
#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QTest>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow main;
    main.setCentralWidget(new QMdiArea);
    main.resize(800, 600);
    main.show();
    if (!QTest::qWaitForWindowExposed(&main)) return 1;
    Report_Shown();
    return 0;
}
