#include "app/dlg.h"
#include "app/main_module.h"
#include "app/quorlen.h"
#include "app/recent.h"
#include "app/save_as.h"
#include "dialogs/file_dlg.h"
#include "dialogs/picture_buttons.h"
#include "editors/audition.h"
#include "editors/editor.h"
#include "editors/knob_model.h"
#include "editors/patch.h"
#include "editors/random_tone.h"
#include "editors/tname.h"
#include "help/help.h"
#include "instrument/instrument.h"
#include "midi/midi_port.h"
#include "midi/midi_setup.h"
#include "midi/receive.h"
#include "midi/routines.h"
#include "midi/sysex.h"
#include "midi/tone_files.h"
#include "platform/host.h"
#include "platform/msgbox.h"
#include "sequencer/oscillator.h"
#include "sequencer/playback.h"
#include "sequencer/sequence.h"
#include "sequencer/sequencer.h"
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <new>

void Quorlen::Build_Menus() {
    QMenuBar* bar = menuBar();
    auto item = [this](QMenu* menu, const char* caption, void (Quorlen::*handler)()) {
        QAction* a = menu->addAction(caption);
        if (handler) connect(a, &QAction::triggered, this, handler);
        return a;
    };
    auto recent = [](QMenu* menu, std::array<QAction*, 4>& entries) {
        for (QAction*& a : entries) {
            a = menu->addAction(QString());
            a->setVisible(false);
        }
    };

    QMenu* file = bar->addMenu("&File");
    Menu_File = file->menuAction();
    QMenu* syx = file->addMenu("&Tone");
    Menu_File_SYX = syx->menuAction();
    connect(syx, &QMenu::aboutToShow, this, &Quorlen::Menu_File_SYX_Click);
    Menu_File_SYX_New = item(syx, "&New", &Quorlen::Menu_File_SYX_New_Click);
    Menu_File_SYX_Open = item(syx, "&Open...", &Quorlen::Menu_File_SYX_Open_Click);
    Menu_File_SYX_Save = item(syx, "&Save", &Quorlen::Menu_File_SYX_Save_Click);
    Menu_File_SYX_SaveAs = item(syx, "Save &as...", &Quorlen::Menu_File_SYX_SaveAs_Click);
    Menu_File_SYX_Trenn_1 = syx->addSeparator();
    Menu_File_SYX_Trenn_1->setVisible(false);
    recent(syx, Menu_File_SYX_N);
    for (int k = 0; k < 4; ++k)
        connect(Menu_File_SYX_N[k], &QAction::triggered, this,
                [k] { Menu_File_SYX_N_Click(k + 1); });

    QMenu* seq = file->addMenu("Se&quence");
    Menu_File_Seq = seq->menuAction();
    Menu_File_Seq_New = item(seq, "&New", &Quorlen::Menu_File_Seq_New_Click);
    Menu_File_Seq_Open = item(seq, "&Open...", &Quorlen::Menu_File_Seq_Open_Click);
    Menu_File_Seq_Save = item(seq, "&Save", &Quorlen::Menu_File_Seq_Save_Click);
    Menu_File_Seq_SaveAs = item(seq, "Save &as...", &Quorlen::Menu_File_Seq_SaveAs_Click);
    Menu_File_Seq_Trenn_1 = seq->addSeparator();
    Menu_File_Seq_Trenn_1->setVisible(false);
    recent(seq, Menu_File_Seq_N);
    for (int k = 0; k < 4; ++k)
        connect(Menu_File_Seq_N[k], &QAction::triggered, this,
                [k] { Menu_File_Seq_N_Click(k + 1); });

    QMenu* osc = file->addMenu("Os&cillator");
    Menu_File_Osc = osc->menuAction();
    Menu_File_Osc_New = item(osc, "&New", nullptr);
    Menu_File_Osc_Open = item(osc, "&Open...", &Quorlen::Menu_File_Osc_Open_Click);
    Menu_File_Osc_Save = item(osc, "&Save", nullptr);
    Menu_File_Osc_SaveAs = item(osc, "Save &as...", &Quorlen::Menu_File_Osc_SaveAs_Click);
    Menu_File_Osc_Trenn_1 = osc->addSeparator();
    Menu_File_Osc_Trenn_1->setVisible(false);
    recent(osc, Menu_File_Osc_N);
    Menu_File_Trenn_2 = file->addSeparator();
    Menu_File_Exit = item(file, "E&xit", &Quorlen::Menu_File_Exit_Click);

    QMenu* edit = bar->addMenu("&Edit");
    Menu_Edit = edit->menuAction();
    Menu_Edit_Undo = item(edit, "&Undo", &Quorlen::Menu_Edit_Undo_Click);

    QMenu* midi = bar->addMenu("&MIDI");
    Menu_MIDI = midi->menuAction();
    Menu_MIDI_CloseOutput = item(midi, "&Close MIDI Output", &Quorlen::Menu_MIDI_CloseOutput_Click);
    Menu_MIDI_Setup = item(midi, "&Setup...", &Quorlen::Menu_MIDI_Setup_Click);
    Menu_MIDI_Trenn = midi->addSeparator();
    Menu_MIDI_Osc = item(midi, "Osc&illator...", &Quorlen::Menu_MIDI_Osc_Click);
    Menu_MIDI_Seq = item(midi, "Seq&uencer...", &Quorlen::Menu_MIDI_Seq_Click);
    Menu_MIDI_Seq_Load = midi->addAction("Preload Sequence");

    QMenu* tone = bar->addMenu("&Tone");
    Menu_Tone = tone->menuAction();
    Menu_Tone_Name = item(tone, "&Name...", &Quorlen::Menu_Tone_Name_Click);
    Menu_Tone_Patch = item(tone, "&Patch...", &Quorlen::Menu_Tone_Patch_Click);
    Menu_Tone_Trenn1 = tone->addSeparator();
    Menu_Tone_Random = item(tone, "&Random", &Quorlen::Menu_Tone_Random_Click);
    Menu_Tone_Trenn2 = tone->addSeparator();
    Menu_Tone_Receive = item(tone, "Recei&ve ", &Quorlen::Menu_Tone_Receive_Click);
    Menu_Tone_Send = item(tone, "Sen&d", &Quorlen::Menu_Tone_Send_Click);

    QMenu* windows = bar->addMenu("&Windows");
    Menu_Windows = windows->menuAction();
    Menu_Windows_SavePos = windows->addAction("&Save Positions");
    Menu_Windows_Reset = item(windows, "&Reset Settings...", &Quorlen::Menu_Windows_Reset_Click);

    QMenu* help = bar->addMenu("&Help");
    Menu_Help = help->menuAction();
    Menu_Help_Howto = item(help, "&How to use Quorlen...", &Quorlen::Menu_Help_Howto_Click);
    Menu_Help_Search = item(help, "&Search...", &Quorlen::Menu_Help_Search_Click);
    Menu_Help_Trenn = help->addSeparator();
    Menu_Help_About = item(help, "&About...", &Quorlen::Menu_Help_About_Click);

    // The commands toggle their check marks themselves; Qt's own toggle is taken back first.
    const std::pair<QAction*, void (Quorlen::*)()> checked[] = {
        {Menu_MIDI_Seq_Load, &Quorlen::Menu_MIDI_Seq_Load_Click},
        {Menu_Windows_SavePos, &Quorlen::Menu_Windows_SavePos_Click}};
    for (const auto& entry : checked) {
        // Named copies: clang 14 cannot capture structured bindings.
        QAction* a = entry.first;
        auto handler = entry.second;
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, a, handler](bool on) {
            a->setChecked(!on);
            (this->*handler)();
        });
    }
}

namespace {
// The same for the sequence; the answer given, 0 when nothing was asked.
int seq_save_prompt() {
    if (Seq_Saved != 0) return 0;
    const int answer = Msg_Box("Save actual SEQUENCE first?", Mb::YesNoCancel | Mb::Question);
    if (answer == Mb::No) Seq_Saved = 255;
    return answer;
}

void open_file_dialog(const char* mode) {
    FD_Mode = mode;
    File_Dlg::get().Form_Show();
}

// Stops a playing sequence and closes the port; the JX-8P editor's start
// button comes back up.
void stop_playing(Quorlen& m) {
    if (Seq_Running != 255) return;
    m.Seq_Tmr->stop();
    Seq_Step = 0;
    MIDI_AllNotesOff();
    MIDI_Out_Close();
    Seq_Running = 0;
    ED_Seq_Start_Up(Editor_Audition());
}
} // namespace

void Quorlen::Menu_File_SYX_Click() {
    stop_playing(*this);
}

void Quorlen::Menu_File_SYX_New_Click() {
    if (!Tone_Save_Prompt(false)) return;
    Tone_Saved = true;
    Tone_Loading = 255;
    Tone_New();
    Tone_Loading = 0;
    Tone_Send();
}

void Quorlen::Menu_File_SYX_Open_Click() {
    if (Tone_Save_Prompt(true)) open_file_dialog("Open_SYX");
}

void Quorlen::Menu_File_SYX_Save_Click() {
    if (Tone_File.isEmpty() || Tone_File == ".syx")
        SaveAs_SYX();
    else
        Save_SYX(Tone_File);
}

void Quorlen::Menu_File_SYX_SaveAs_Click() {
    SaveAs_SYX();
}
void Quorlen::Menu_File_Seq_New_Click() {
    const int answer = seq_save_prompt();
    // Only a written file counts: the saved flag may be left from an earlier open.
    if (answer == Mb::Yes && !SaveAs_SEQ()) {
        Msg_Box("Sequence not saved.", Mb::OkOnly | Mb::Exclamation);
        return;
    }
    if (answer != Mb::Cancel && Seq_Saved == 255) New_SEQ();
}

void Quorlen::Menu_File_Seq_Open_Click() {
    const int answer = seq_save_prompt();
    if (answer == Mb::Yes) Menu_File_Seq_SaveAs_Click();
    if (Seq_Saved == 255 && answer != Mb::Cancel) open_file_dialog("Open_SEQ");
}

void Quorlen::Menu_File_Seq_Save_Click() {
    if (Seq_File.isEmpty() || Seq_File == ".seq")
        SaveAs_SEQ();
    else
        Save_SEQ(Seq_File);
}

void Quorlen::Menu_File_Seq_SaveAs_Click() {
    SaveAs_SEQ();
}
void Quorlen::Menu_File_Osc_Open_Click() {
    if (Tone_Save_Prompt(true)) open_file_dialog("Open_OSC");
}
void Quorlen::Menu_File_Osc_SaveAs_Click() {
    Msg_Box("OSC SaveAs", Mb::OkOnly);
}
void Quorlen::Menu_File_Exit_Click() {
    close();
}
void Quorlen::Menu_Edit_Undo_Click() {
    Undo_Restore();
}

void Quorlen::Menu_MIDI_CloseOutput_Click() {
    MIDI_AllNotesOff();
    stop_playing(*this);
    MIDI_Out_Close_All();
}
void Quorlen::Menu_MIDI_Setup_Click() {
    if (MIDI_Enabled == 1 && Seq_Running == 255) {
        Seq_Tmr->stop();
        Seq_Step = 0;
        MIDI_AllNotesOff();
        Seq_Running = 0;
        if (Seq_Form_Open == 255)
            if (QWidget* start = Sequencer::get().findChild<QWidget*>("Seq_Start")) Btn_Up(*start);
    }
    if (Dlg_Open.isEmpty()) MIDI_Setup::get().Form_Show();
}
void Quorlen::Menu_MIDI_Osc_Click() {
    Oscillator& osc = Oscillator::get();
    osc.Form_Show();
    mdi_->setActiveSubWindow(osc.frame());
}
void Quorlen::Menu_MIDI_Seq_Click() {
    try {
        Sequencer::get().Form_Show();
    } catch (const std::bad_alloc&) {
        Msg_Box("Not enough memory to display the Sequencer Window.");
    }
}
void Quorlen::Menu_MIDI_Seq_Load_Click() {
    Menu_MIDI_Seq_Load->setChecked(!Menu_MIDI_Seq_Load->isChecked());
}
void Quorlen::Menu_Tone_Name_Click() {
    if (Dlg_Open.isEmpty()) TName_Show();
}
void Quorlen::Menu_Tone_Patch_Click() {
    if (Synth_Is(Synth_Type, "JX-8P")) {
        Patch& w = Patch::get();
        w.Move_To(Round_Even(Patch_Left / Twips_Per_Pixel_X()),
                  Round_Even(Patch_Top / Twips_Per_Pixel_Y()));
        w.Form_Show();
    } else if (Synth_Is(Synth_Type, "MKS-70")) {
        Msg_Box("Sorry, patch settings not available yet.", Mb::OkOnly | Mb::Exclamation);
    }
}
void Quorlen::Menu_Tone_Random_Click() {
    Tone_Random();
}

void Quorlen::Menu_Tone_Receive_Click() {
    Focus_Pic_Reset();
    if (Tone_Save_Prompt(false)) MIDI_Receive_Toggle();
}

void Quorlen::Menu_Tone_Send_Click() {
    Set_Synth();
    Tone_Send();
}

void Quorlen::Menu_Windows_SavePos_Click() {
    Menu_Windows_SavePos->setChecked(!Menu_Windows_SavePos->isChecked());
}
void Quorlen::Menu_Windows_Reset_Click() {
    if (Msg_Box("Do you really want to RESET the window settings?", Mb::YesNo | Mb::Question) !=
        Mb::Yes)
        return;
    setWindowState(Qt::WindowNoState);
    const bool old = Win_Version() < 3.95;
    int width = old ? 536 : 540;
    int height = old ? 502 : 506;
    if (Screen_PPI == 120) {
        height = 516;
        width = 540;
    }
    if (Host_Screen_Height() < 480) {
        height = 440;
        width = 556;
    }
    Set_Outer_Size(width, height);
    move(0, 0); // one twip is less than a pixel
    FD_Left = FD_Top = Patch_Left = Patch_Top = Seq_Left = Seq_Top = 1; // twips
}
void Quorlen::Menu_Help_Howto_Click() {
    Help::get().Cmd_Howto_Click();
    Help_Topic = "Howto";
    Help::get().Form_Show();
}

void Quorlen::Menu_Help_Search_Click() {
    Help_Topic = "Search";
    Help::get().Form_Show();
    if (Dlg_Open == "Help") Help::get().Help_Keyword->setFocus();
}

void Quorlen::Menu_Help_About_Click() {
    Help_Topic = "About";
    Help_Open();
    Help::get().Form_Show();
}
