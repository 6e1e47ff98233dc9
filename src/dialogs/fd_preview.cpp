// The file dialog's preview panels: a clicked tone is loaded, sent and
// sounded, a clicked sequence is loaded, drawn and played.
#include "app/main_module.h"
#include "app/quorlen.h"
#include "dialogs/fd_shared.h"
#include "dialogs/file_dlg.h"
#include "dialogs/picture_buttons.h"
#include "editors/knob_model.h"
#include "midi/midi_port.h"
#include "midi/routines.h"
#include "midi/tone_files.h"
#include "sequencer/playback.h"
#include "sequencer/sequence.h"
#include <QFrame>
#include <QPainter>
#include <QSignalBlocker>
#include <QTimer>
#include <algorithm>

namespace {
// A sequence to play: one was read, or the grid was edited since it was cleared.
bool sequence_at_hand() {
    return Seq_Loaded == 255 || Seq_Saved == 0;
}

// What a tone click sounds, as the options show it: with no sequence at hand
// the note, while the stored choice stays for when there is one.
int shown_mode() {
    return sequence_at_hand() ? Soundcheck_Mode : 0;
}

QPixmap cell(QColor fill) {
    QPixmap pm(7, 7);
    pm.fill(QColor(0x20, 0x22, 0x26));
    QPainter p(&pm);
    p.fillRect(1, 1, 5, 5, fill);
    return pm;
}

void set_list_enabled(File_Dlg& d, bool on) {
    d.FD_SYX_SoundCheck_Note_List->setEnabled(on);
    d.FD_SYX_SoundCheck_Velocity_List->setEnabled(on);
}

void captions(Picture_Button* start, Picture_Button* stop, bool enabled) {
    const Quorlen& m = Quorlen::get();
    start->Caption()->Set_Picture(enabled ? m.Start_Enabled : m.Start_Disabled);
    stop->Caption()->Set_Picture(enabled ? m.Stop_Enabled : m.Stop_Disabled);
}
} // namespace

void File_Dlg::Connect_Preview_Panels() {
    FD_SEQ_Pics = {cell(QColor(0x38, 0x3A, 0x40)), cell(QColor(0x38, 0x3A, 0x40)),
                   cell(QColor(0xFF, 0x50, 0x20)), cell(QColor(0xA0, 0x48, 0x28))};
    FD_SEQ_Preview->setAutoFillBackground(false);
    connect(FD_SYX_CB_Autoplay, &Picture_Box::Click, this, &File_Dlg::FD_SYX_CB_Autoplay_Click);
    connect(FD_SYX_CB_Autosend, &Picture_Box::Click, this, &File_Dlg::FD_SYX_CB_Autosend_Click);
    connect(FD_SEQ_CB_Autoplay, &Picture_Box::Click, this, &File_Dlg::FD_SEQ_CB_Autoplay_Click);
    for (int i = 0; i < static_cast<int>(FD_SYX_OB_Soundcheck.size()); ++i)
        connect(FD_SYX_OB_Soundcheck[i], &Picture_Box::Click, this,
                [this, i] { FD_SYX_OB_Soundcheck_Click(i); });
    connect(FD_SYX_SoundCheck_Note_List, &QComboBox::currentIndexChanged, this,
            &File_Dlg::FD_SYX_SoundCheck_Note_List_Click);
    connect(FD_SYX_SoundCheck_Velocity_List, &QComboBox::currentIndexChanged, this,
            &File_Dlg::FD_SYX_SoundCheck_Velocity_List_Click);
    const std::pair<Picture_Button*, Picture_Button*> panels[] = {
        {FD_SYX_Button_Start, FD_SYX_Button_Stop}, {FD_SEQ_Button_Start, FD_SEQ_Button_Stop}};
    for (const auto& panel : panels) {
        // Named copies: clang 14 cannot capture structured bindings.
        Picture_Button* start = panel.first;
        Picture_Button* stop = panel.second;
        connect(start, &Picture_Box::Mouse_Down, this, [start] { Btn_Down(*start); });
        connect(start, &Picture_Box::Click, this, [this, start] { FD_Button_Start_Click(start); });
        connect(stop, &Picture_Box::Mouse_Down, this, [stop] { Btn_Down(*stop); });
        connect(stop, &Picture_Box::Mouse_Up, this,
                [this, stop, start] { FD_Button_Stop_MouseUp(stop, start); });
        connect(stop, &Picture_Box::Click, this, &File_Dlg::FD_Button_Stop_Click);
    }
    soundcheck_poll_ = new QTimer(this);
    soundcheck_poll_->setInterval(10);
    connect(soundcheck_poll_, &QTimer::timeout, this, &File_Dlg::Soundcheck_Poll);
}

// ---- Set-up ---------------------------------------------------------------------------

namespace {
// The grid of the sequence preview, all cells empty until a sequence is drawn.
void draw_preview(const Seq_Grid& grid) {
    if (!File_Dlg::loaded()) return;
    File_Dlg& d = File_Dlg::get();
    QPixmap pm(67, 107);
    pm.fill(QColor(0x10, 0x10, 0x12));
    QPainter p(&pm);
    Seq_Preview_Paint(p, grid, d.FD_SEQ_Pics);
    p.end();
    d.FD_SEQ_Preview->Set_Picture(pm);
}
} // namespace

void File_Dlg::FD_Preview_Setup() {
    draw_preview(Seq_Grid{});
    FD_SEQ_Preview_Draw = [] { draw_preview(Seq_Data); };
    OB_Select(FD_SYX_OB_Soundcheck, 0);
    {
        // Filling the lists selects their first entries: that is no choice to store.
        const QSignalBlocker quiet_note(FD_SYX_SoundCheck_Note_List);
        const QSignalBlocker quiet_velocity(FD_SYX_SoundCheck_Velocity_List);
        FD_SYX_SoundCheck_Note_List->clear();
        FD_SYX_SoundCheck_Velocity_List->clear();
        if (AutoPlay_On == 1) CB_Toggle(*FD_SYX_CB_Autoplay);
        if (AutoSend_On == 1) CB_Toggle(*FD_SYX_CB_Autosend);
        for (int k = 0; k <= 4; ++k) FD_SYX_SoundCheck_Note_List->addItem("C" + QString::number(k));
        for (int v = 0; v <= 127; ++v)
            FD_SYX_SoundCheck_Velocity_List->addItem(" " + QString::number(v));
    }
    // A stored value off the lists shows, and is kept, as the nearest entry.
    const int note = std::clamp(Round_Even((Soundcheck_Note - 24) / 12.0), 0, 4);
    FD_SYX_SoundCheck_Note_List->setCurrentIndex(note);
    FD_SYX_SoundCheck_Velocity_List->setCurrentIndex(std::min<int>(Soundcheck_Velocity, 127));
    // Setting an index that is already set reports no change: store in any case.
    FD_SYX_SoundCheck_Note_List_Click();
    FD_SYX_SoundCheck_Velocity_List_Click();
    OB_Select(FD_SYX_OB_Soundcheck, Soundcheck_Mode);

    if (MIDI_Enabled == 0) {
        AutoPlay_On = 0;
        AutoSend_On = 0;
        CB_Disable(*FD_SYX_CB_Autosend);
        CB_Disable(*FD_SYX_CB_Autoplay);
        OB_Disable_All(FD_SYX_OB_Soundcheck);
        set_list_enabled(*this, false);
    }
    if (!sequence_at_hand()) {
        OB_Disable(*FD_SYX_OB_Soundcheck[1]);
        OB_Select(FD_SYX_OB_Soundcheck, 0);
        captions(FD_SYX_Button_Start, FD_SYX_Button_Stop, false);
    } else {
        if (MIDI_Enabled == 1) CB_Enable(*FD_SYX_OB_Soundcheck[1]);
        OB_Select(FD_SYX_OB_Soundcheck, Soundcheck_Mode);
        captions(FD_SYX_Button_Start, FD_SYX_Button_Stop, true);
    }
    FD_Preview_Enable();
}

void FD_Preview_Enable() {
    File_Dlg& d = File_Dlg::get();
    if (AutoPlay_On != 0) {
        CB_Check(*d.FD_SEQ_CB_Autoplay);
        CB_Enable(*d.FD_SYX_OB_Soundcheck[0]);
        if (shown_mode() == 1) CB_Enable(*d.FD_SYX_OB_Soundcheck[1]);
        set_list_enabled(d, true);
        captions(d.FD_SEQ_Button_Start, d.FD_SEQ_Button_Stop, true);
    } else {
        OB_Disable_All(d.FD_SYX_OB_Soundcheck);
        set_list_enabled(d, false);
        captions(d.FD_SEQ_Button_Start, d.FD_SEQ_Button_Stop, false);
    }
}

void File_Dlg::FD_Preview_Store() {
    const int note = FD_SYX_SoundCheck_Note_List->currentIndex();
    const int velocity = FD_SYX_SoundCheck_Velocity_List->currentIndex();
    if (note >= 0) Soundcheck_Note = static_cast<std::uint8_t>(note * 12 + 24);
    if (velocity >= 0) Soundcheck_Velocity = static_cast<std::uint8_t>(velocity);
    // A pause still waiting sounds nothing once the dialog is gone.
    if (soundcheck_poll_) soundcheck_poll_->stop();
}

// ---- Boxes, options and lists -------------------------------------------------------------

void File_Dlg::FD_SYX_CB_Autoplay_Click() {
    CB_Toggle(*FD_SYX_CB_Autoplay);
    const bool on = FD_SYX_CB_Autoplay->State() > 0;
    if (on) {
        CB_Enable(*FD_SYX_OB_Soundcheck[0]);
        if (sequence_at_hand()) CB_Enable(*FD_SYX_OB_Soundcheck[1]);
    } else {
        OB_Disable_All(FD_SYX_OB_Soundcheck);
    }
    AutoPlay_On = on ? 1 : 0;
    FD_Preview_Enable();
}

void File_Dlg::FD_SYX_CB_Autosend_Click() {
    CB_Toggle(*FD_SYX_CB_Autosend);
    AutoSend_On = FD_SYX_CB_Autosend->State() > 0 ? 1 : 0;
}

void File_Dlg::FD_SEQ_CB_Autoplay_Click() {
    CB_Toggle(*FD_SEQ_CB_Autoplay);
    AutoPlay_On = FD_SEQ_CB_Autoplay->State() > 0 ? 1 : 0;
}

void File_Dlg::FD_SYX_OB_Soundcheck_Click(int index) {
    if (index < 0 || index > 1 || !FD_SYX_OB_Soundcheck[index]->isEnabled()) return;
    OB_Select(FD_SYX_OB_Soundcheck, index);
    Soundcheck_Mode = static_cast<std::uint8_t>(index);
}

void File_Dlg::FD_SYX_SoundCheck_Note_List_Click() {
    const int i = FD_SYX_SoundCheck_Note_List->currentIndex();
    if (i >= 0) Soundcheck_Note = static_cast<std::uint8_t>(i * 12 + 24);
}

void File_Dlg::FD_SYX_SoundCheck_Velocity_List_Click() {
    const int i = FD_SYX_SoundCheck_Velocity_List->currentIndex();
    if (i >= 0) Soundcheck_Velocity = static_cast<std::uint8_t>(i);
}

// ---- Start and stop -------------------------------------------------------------------------

void File_Dlg::FD_Button_Start_Click(Picture_Button* start) {
    Btn_Down(*start);
    if (MIDI_Enabled == 1 && sequence_at_hand()) {
        Seq_Play_Start();
        return; // stays pressed while it plays
    }
    Btn_Up(*start);
}

void File_Dlg::FD_Button_Stop_Click() {
    Seq_Play_Stop();
}

void File_Dlg::FD_Button_Stop_MouseUp(Picture_Button* stop, Picture_Button* start) {
    Btn_Up(*stop);
    Btn_Up(*start);
}

// ---- The click preview -------------------------------------------------------------------------

bool File_Dlg::Soundcheck_Pending() const {
    return soundcheck_poll_ && soundcheck_poll_->isActive();
}

void File_Dlg::Soundcheck_Poll() {
    if (Soundcheck_Wait == 0) return;
    soundcheck_poll_->stop();
    Quorlen::get().Timer_Display->stop();
    MIDI_SendNote(Soundcheck_Note, Soundcheck_Velocity);
}

void File_Dlg::FD_Click_Preview() {
    // The file highlighted in the list, in the folder the list shows.
    const QString name = FD_List_Files->Picked_Name();
    if (name.isEmpty()) return;
    const QString file = In_Folder(FD_List_Files->Path(), name);
    if (FD_Mode == "Open_SYX") {
        if (AutoSend_On == 1) Seq_SendAllNotesOff();
        Load_SYX(file, "Soundcheck");
        if (AutoPlay_On != 1 || SYX_Tone_Found != 255) return;
        if (shown_mode() == 0) {
            // The display timer's first tick ends the pause; the event loop runs
            // on meanwhile, and a later click starts the pause again.
            Soundcheck_Wait = 0;
            Quorlen::get().Timer_Display->start();
            soundcheck_poll_->start();
        } else {
            FD_Button_Start_Click(FD_SYX_Button_Start);
        }
    } else if (FD_Mode == "Open_SEQ") {
        Load_SEQ(file, "Soundcheck");
        if (MIDI_Enabled == 1 && AutoPlay_On == 1 && Seq_Loaded == 255) {
            FD_Button_Stop_Click();
            FD_Button_Stop_MouseUp(FD_SEQ_Button_Stop, FD_SEQ_Button_Start);
            FD_Button_Start_Click(FD_SEQ_Button_Start);
        }
    }
}

// ---- Keys ---------------------------------------------------------------------------------------

bool File_Dlg::Preview_Alt_Key(int key) {
    if (!FD_SYX->isVisible()) return false;
    switch (key) {
    case 'P':
        if (!FD_SYX_CB_Autoplay->isEnabled()) return false;
        FD_SYX_CB_Autoplay->setFocus(Qt::ShortcutFocusReason);
        FD_SYX_CB_Autoplay_Click();
        return true;
    case 'S':
        if (!FD_SYX_CB_Autosend->isEnabled()) return false;
        FD_SYX_CB_Autosend->setFocus(Qt::ShortcutFocusReason);
        FD_SYX_CB_Autosend_Click();
        return true;
    case 'C':
        if (!FD_SYX_OB_Soundcheck[0]->isEnabled()) return false;
        FD_SYX_OB_Soundcheck[0]->setFocus(Qt::ShortcutFocusReason);
        FD_SYX_OB_Soundcheck_Click(0);
        return true;
    case 'Q':
        if (!FD_SYX_OB_Soundcheck[1]->isEnabled() || Seq_Loaded != 255) return false;
        FD_SYX_OB_Soundcheck[1]->setFocus(Qt::ShortcutFocusReason);
        FD_SYX_OB_Soundcheck_Click(1);
        return true;
    default:
        return false;
    }
}
