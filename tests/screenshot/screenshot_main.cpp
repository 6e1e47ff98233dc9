// Starts Quorlen and saves a picture of the main window and of each window open in it.
#include "app/quorlen.h"
#include "editors/editor.h"
#include "editors/editor_juno.h"
#include "platform/msgbox.h"
#include <QApplication>
#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>
#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString out = argc > 1 ? argv[1] : "screenshots";
    QDir().mkpath(out);
    // Boxes are printed, not shown: nobody is there to answer them.
    Set_MsgBox_Handler([](const MsgBoxCall& c) {
        std::fprintf(stderr, "box: %s\n", qPrintable(c.text));
        return static_cast<int>(Mb::Ok);
    });
    Quorlen& main = Quorlen::get();
    main.show();
    (void)QTest::qWaitForWindowExposed(&main);
    QTest::qWait(300);
    main.grab().save(out + "/main.png");
    for (QMdiSubWindow* w : main.Mdi_Area()->subWindowList()) {
        if (!w->isVisible()) continue;
        QString name = w->widget() ? w->widget()->metaObject()->className() : "window";
        w->grab().save(out + "/" + name + ".png");
    }
    return 0;
}
