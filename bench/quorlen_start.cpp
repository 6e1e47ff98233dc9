// Quorlen's start-up up to the main window shown and exposed, then ended.
// Boxes are answered at once: a first start without settings or MIDI
// devices shows some, and a person clicking them is not what is measured.
//
//   bench_quorlen_start FOLDER [LAYOUT]
//
// With LAYOUT, the main window's size, menu bar and shown document windows
// are written there once it is shown, for the bare program to copy.
#include "app/picture_store.h"
#include "app/quorlen.h"
#include "platform/application.h"
#include "platform/host.h"
#include "platform/msgbox.h"
#include "shown_clock.h"
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTextStream>

namespace {
void write_menu(QTextStream& out, const QList<QAction*>& actions, int depth) {
    for (const QAction* a : actions) {
        const char* kind = a->menu() ? "menu" : a->isSeparator() ? "separator" : "item";
        out << kind << '\t' << depth << '\t' << int(a->isVisible()) << '\t' << int(a->isCheckable())
            << '\t' << a->shortcut().toString() << '\t' << a->text() << '\n';
        if (a->menu()) write_menu(out, a->menu()->actions(), depth + 1);
    }
}

bool write_layout(Quorlen& main, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) return false;
    QTextStream out(&file);
    out << "window\t" << main.width() << '\t' << main.height() << '\n';
    for (const QMdiSubWindow* w : main.Mdi_Area()->subWindowList())
        if (w->isVisible())
            out << "document\t" << w->width() << '\t' << w->height() << '\t' << w->windowTitle()
                << '\n';
    write_menu(out, main.menuBar()->actions(), 0);
    out.flush();
    return file.error() == QFile::NoError;
}
} // namespace

int main(int argc, char** argv) {
    Host_Fonts_Prepare();
    Quorlen_Application app(argc, argv);
    Install_Build_Pictures();
    Set_MsgBox_Handler([](const MsgBoxCall& call) {
        return (call.style & 0x0F) == Mb::YesNo || (call.style & 0x0F) == Mb::YesNoCancel
                   ? static_cast<int>(Mb::No)
                   : static_cast<int>(Mb::Ok);
    });
    // The display font lies in the build folder, where the program looks for it.
    if (argc > 1) Set_Program_Folder(QString::fromLocal8Bit(argv[1]));
    Quorlen& main = Quorlen::get();
    if (main.Unloaded()) return 1;
    main.show();
    if (!QTest::qWaitForWindowExposed(&main)) return 1;
    Report_Shown();
    if (argc > 2 && !write_layout(main, QString::fromLocal8Bit(argv[2]))) return 1;
    return 0;
}
