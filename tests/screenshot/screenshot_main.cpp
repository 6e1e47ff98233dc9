// Starts Quorlen and saves a picture of the main window and of each window open in it.
#include "app/quorlen.h"
#include "editors/editor.h"
#include "editors/editor_juno.h"
#include "instrument/instrument.h"
#include "platform/msgbox.h"
#include <QApplication>
#include <QDir>
#include <QFile>
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
    // The display font is built beside the program, one folder up from here.
    const QString here = QCoreApplication::applicationDirPath();
    if (!QFile::exists(here + "/JX8P.FNT")) QFile::copy(here + "/../JX8P.FNT", here + "/JX8P.FNT");
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
    // The editor again with a tone whose bytes are spread over every range.
    if (Editor::loaded() && Editor::get().isVisible()) {
        for (int i = 11; i < 59; ++i) Tone_Data[i] = static_cast<std::uint8_t>((i * 37 + 11) % 128);
        const char* name = "BRASS-8 ";
        for (int i = 0; i < 10; ++i) Tone_Data[i] = i < 8 ? name[i] : ' ';
        Editor_Redraw();
        QTest::qWait(50);
        Editor::get().grab().save(out + "/Editor_tone.png");
    }
    return 0;
}
