// Starts Quorlen and saves a picture of the main window, of each window open
// in it, and of every other window and dialog opened one after the other.
#include "app/picture_store.h"
#include "app/quorlen.h"
#include "dialogs/file_dlg.h"
#include "dialogs/input_dlg.h"
#include "editors/editor.h"
#include "editors/editor_juno.h"
#include "editors/patch.h"
#include "editors/patch_mks70.h"
#include "editors/random_tone.h"
#include "editors/tname.h"
#include "help/help.h"
#include "instrument/instrument.h"
#include "midi/midi_port.h"
#include "midi/midi_setup.h"
#include "midi/sysex.h"
#include "platform/application.h"
#include "platform/msgbox.h"
#include "sequencer/oscillator.h"
#include "sequencer/sequence.h"
#include "sequencer/sequencer.h"
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QScreen>
#include <QTest>
#include <cstdio>

int main(int argc, char** argv) {
    Quorlen_Application app(argc, argv);
    Install_Build_Pictures();
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

    auto shot = [&](QWidget* w, const QString& name) {
        QTest::qWait(50);
        (w->parentWidget() && w->parentWidget()->inherits("QMdiSubWindow") ? w->parentWidget() : w)
            ->grab()
            .save(out + "/" + name + ".png");
    };
    // The screen as the user sees it, window manager's frame included: the
    // oscillator opened from the menu in the main window of its first size,
    // and a box with a short text under its title.
    const auto on_screen = [&](const QWidget* w, const QString& name) {
        QTest::qWait(300);
        const QRect r = w->frameGeometry();
        QGuiApplication::primaryScreen()
            ->grabWindow(0, r.x(), r.y(), r.width(), r.height())
            .save(out + "/" + name + ".png");
    };
    main.Menu_MIDI_Osc_Click();
    on_screen(&main, "Screen_Oscillator");
    for (QMdiSubWindow* w : main.Mdi_Area()->subWindowList())
        if (w->isVisible())
            std::fprintf(stderr, "main %dx%d outside, document area %dx%d: %s at %d,%d %dx%d\n",
                         main.frameGeometry().width(), main.frameGeometry().height(),
                         main.Mdi_Area()->viewport()->width(),
                         main.Mdi_Area()->viewport()->height(), qPrintable(w->windowTitle()),
                         w->x(), w->y(), w->width(), w->height());
    Oscillator::get().frame()->close();
    {
        const std::unique_ptr<QMessageBox> box =
            Msg_Box_Window({"OSC SaveAs", Mb::OkOnly, Program_Title});
        box->show();
        on_screen(box.get(), "Box");
    }

    for (int i = 0; i < 104; i += 5) Seq_Data[i] = i % 2 ? 63 : 127;
    Sequencer& seq = Sequencer::get();
    seq.Form_Show();
    seq.Seq_Redraw();
    seq.Seq_Light(3, true);
    shot(&seq, "Sequencer");
    Sequencer::Unload();

    Oscillator& osc = Oscillator::get();
    osc.Form_Show();
    shot(&osc, "Oscillator");
    osc.frame()->close();

    Patch& patch = Patch::get();
    patch.Form_Show();
    Patch_Data = {64, 90, 100, 4, 1, 40, 90, 0, 0};
    Patch_Redraw();
    shot(&patch, "Patch");
    Patch::Unload();

    Patch_MKS70& mks = Patch_MKS70::get();
    mks.Form_Show();
    shot(&mks, "Patch_MKS70");
    mks.frame()->close();

    MIDI_Setup& setup = MIDI_Setup::get();
    setup.Form_Show();
    shot(&setup, "MIDI_Setup");
    setup.close();

    TName_Show();
    if (TName::loaded()) {
        shot(&TName::get(), "TName");
        TName::get().close();
    }

    for (const char* mode : {"Open_SYX", "Open_SEQ", "Open_OSC", "SaveAs_SYX"}) {
        FD_Mode = mode;
        File_Dlg& fd = File_Dlg::get();
        fd.Form_Show();
        fd.FD_FileName->setText("tone");
        shot(&fd, QString("File_Dlg_") + mode);
        fd.close();
        QTest::qWait(50);
    }

    Set_Input_Box_Hook([&](Input_Dlg& d) {
        shot(&d, "Input_Box");
        d.Input_OK_Click();
    });
    Input_Box("Please enter a name for the new folder in:\r/home/user/tones", "Create new folder",
              "folder");
    Set_Input_Box_Hook({});

    Help& help = Help::get();
    help.Form_Show();
    help.Cmd_Howto_Click();
    shot(&help, "Help_Howto");
    help.Cmd_Search_Click();
    shot(&help, "Help_Search");
    help.Cmd_About_Click();
    shot(&help, "Help_About");
    help.close();
    QTest::qWait(50);

    // The Alpha Juno editor with a tone whose bytes are spread over every range,
    // and again with a random one.
    Synth_Type = "Alpha Juno";
    Set_Synth();
    const char* juno_name = "Brass 5-a";
    for (int i = 0; i < 10; ++i)
        Juno_Tone[36 + i] =
            Juno_Char_To_Code(i < 9 ? static_cast<std::uint8_t>(juno_name[i]) : ' ');
    for (const Juno_Control_Spec& s : Juno_Controls)
        Juno_Tone[s.param] = static_cast<std::uint8_t>((s.param * 37 + 11) % (s.max + 1));
    Juno_Editor_Redraw();
    shot(&Editor_Juno::get(), "Editor_Juno_tone");
    Tone_Random();
    shot(&Editor_Juno::get(), "Editor_Juno");
    main.grab().save(out + "/main_juno.png");
    return 0;
}
