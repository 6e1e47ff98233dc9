// Quorlen's start-up up to the main window shown and exposed, then ended.
// Boxes are answered at once: a first start without settings or MIDI
// devices shows some, and a person clicking them is not what is measured.
#include "app/picture_store.h"
#include "app/quorlen.h"
#include "platform/host.h"
#include "platform/msgbox.h"
#include "shown_clock.h"
#include <QApplication>
#include <QTest>

int main(int argc, char** argv) {
    Host_Fonts_Prepare();
    QApplication app(argc, argv);
    Install_Build_Pictures();
    Set_MsgBox_Handler([](const MsgBoxCall& call) {
        return (call.style & 0x0F) == Mb::YesNo || (call.style & 0x0F) == Mb::YesNoCancel
                   ? static_cast<int>(Mb::No)
                   : static_cast<int>(Mb::Ok);
    });
    // The display font lies in the build folder, where the program looks for it.
    if (argc > 1) Set_Program_Folder(QString::fromLocal8Bit(argv[1]));
    Quorlen& main = Quorlen::get();
    if (main.Is_Unloaded()) return 1;
    main.show();
    if (!QTest::qWaitForWindowExposed(&main)) return 1;
    Report_Shown();
    return 0;
}
