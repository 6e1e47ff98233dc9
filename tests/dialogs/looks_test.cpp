#include "app/quorlen.h"
#include "dialogs/file_dlg.h"
#include "dialogs/input_dlg.h"
#include "midi/midi_setup.h"
#include "support/fixture.h"
#include <QDir>
#include <QLineEdit>

// Grabs the dialogs as a user would see them, into the test's own folder.
class LooksTest : public ProgramTest {};

TEST_F(LooksTest, DialogsDrawThemselves) {
    Write_Settings("[MIDI]\nOutput=Synth Out\nInput=Synth In\n");
    Start_Program();
    const QString out = folder.filePath("look_");
    FD_Mode = "SaveAs_SYX";
    File_Dlg& f = File_Dlg::get();
    f.Form_Show();
    f.FD_FileName->setText("tone");
    EXPECT_TRUE(f.grab().save(out + "file_dlg.png"));
    f.Form_Unload();

    MIDI_Setup& m = MIDI_Setup::get();
    m.Form_Show();
    EXPECT_TRUE(m.grab().save(out + "midi_setup.png"));
    m.Form_Unload();

    Set_Input_Box_Hook([&](Input_Dlg& d) {
        EXPECT_TRUE(d.grab().save(out + "input_box.png"));
        d.Input_OK_Click();
    });
    Input_Box("Please enter a name for the new folder in:\r/home/user/tones", "Create new folder",
              "folder");
    Set_Input_Box_Hook({});
}
