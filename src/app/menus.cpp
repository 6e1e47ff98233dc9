#include "app/dlg.h"
#include "app/main_module.h"
#include "app/quorlen.h"
#include "app/recent.h"
#include "app/save_as.h"
#include "midi/midi_port.h"
#include "midi/sysex.h"
#include "midi/tone_files.h"
#include "platform/msgbox.h"
#include "sequencer/sequence.h"
#include <QMenu>
#include <QMenuBar>

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
    for (auto [a, handler] : checked) {
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, a, handler](bool on) {
            a->setChecked(!on);
            (this->*handler)();
        });
    }
}

void Quorlen::Menu_File_SYX_Click() {}
void Quorlen::Menu_File_SYX_New_Click() {}
void Quorlen::Menu_File_SYX_Open_Click() {}

void Quorlen::Menu_File_SYX_Save_Click() {
    if (Tone_File.isEmpty() || Tone_File == ".syx")
        SaveAs_SYX();
    else
        Save_SYX(Tone_File);
}

void Quorlen::Menu_File_SYX_SaveAs_Click() {
    SaveAs_SYX();
}
void Quorlen::Menu_File_Seq_New_Click() {}
void Quorlen::Menu_File_Seq_Open_Click() {}

void Quorlen::Menu_File_Seq_Save_Click() {
    if (Seq_File.isEmpty() || Seq_File == ".seq")
        SaveAs_SEQ();
    else
        Save_SEQ(Seq_File);
}

void Quorlen::Menu_File_Seq_SaveAs_Click() {
    SaveAs_SEQ();
}
void Quorlen::Menu_File_Osc_Open_Click() {}
void Quorlen::Menu_File_Osc_SaveAs_Click() {
    Msg_Box("OSC SaveAs", Mb::OkOnly);
}
void Quorlen::Menu_File_Exit_Click() {
    close();
}
void Quorlen::Menu_Edit_Undo_Click() {}
void Quorlen::Menu_MIDI_CloseOutput_Click() {}
void Quorlen::Menu_MIDI_Setup_Click() {}
void Quorlen::Menu_MIDI_Osc_Click() {}
void Quorlen::Menu_MIDI_Seq_Click() {}
void Quorlen::Menu_MIDI_Seq_Load_Click() {
    Menu_MIDI_Seq_Load->setChecked(!Menu_MIDI_Seq_Load->isChecked());
}
void Quorlen::Menu_Tone_Name_Click() {}
void Quorlen::Menu_Tone_Patch_Click() {}
void Quorlen::Menu_Tone_Random_Click() {}
void Quorlen::Menu_Tone_Receive_Click() {}

void Quorlen::Menu_Tone_Send_Click() {
    Set_Synth();
    Tone_Send();
}

void Quorlen::Menu_Windows_SavePos_Click() {
    Menu_Windows_SavePos->setChecked(!Menu_Windows_SavePos->isChecked());
}
void Quorlen::Menu_Windows_Reset_Click() {}
void Quorlen::Menu_Help_Howto_Click() {}
void Quorlen::Menu_Help_Search_Click() {}
void Quorlen::Menu_Help_About_Click() {}
