// The yardstick for start-up: a bare Qt program with the main window of
// Quorlen's size, the same menu bar and one document window of the same
// size, shown and exposed, then ended. What it copies comes from a layout
// file that bench_quorlen_start writes.
//
//   bench_bare_start LAYOUT
#include "shown_clock.h"
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTextStream>
#include <vector>

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    QApplication app(argc, argv);
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return 1;
    QTextStream in(&file);

    QMainWindow main;
    auto* area = new QMdiArea;
    main.setCentralWidget(area);
    std::vector<QMenu*> open; // the menu at each depth being filled
    int documents = 0;
    for (QString line; in.readLineInto(&line);) {
        const QStringList f = line.split('\t');
        if (f[0] == "window" && f.size() >= 3) {
            main.resize(f[1].toInt(), f[2].toInt());
        } else if (f[0] == "document" && f.size() >= 4 && documents++ == 0) {
            auto* doc = area->addSubWindow(new QWidget, Qt::SubWindow | Qt::WindowTitleHint |
                                                            Qt::WindowSystemMenuHint);
            doc->setWindowTitle(f[3]);
            doc->setFixedSize(f[1].toInt(), f[2].toInt());
            doc->show();
        } else if (f.size() >= 6) {
            const int depth = f[1].toInt();
            if (depth < 0 || depth > static_cast<int>(open.size())) return 1;
            open.resize(static_cast<size_t>(depth));
            QAction* a = nullptr;
            if (f[0] == "menu") {
                QMenu* m = depth == 0 ? main.menuBar()->addMenu(f[5]) : open.back()->addMenu(f[5]);
                open.push_back(m);
                a = m->menuAction();
            } else if (depth == 0) {
                return 1;
            } else if (f[0] == "separator") {
                a = open.back()->addSeparator();
            } else {
                a = open.back()->addAction(f[5]);
                a->setCheckable(f[3] == "1");
                if (!f[4].isEmpty()) a->setShortcut(QKeySequence(f[4]));
            }
            a->setVisible(f[2] == "1");
        }
    }
    if (documents != 1 || main.menuBar()->actions().isEmpty()) return 1;
    main.show();
    if (!QTest::qWaitForWindowExposed(&main)) return 1;
    Report_Shown();
    return 0;
}
