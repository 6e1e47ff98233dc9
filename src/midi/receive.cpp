#include "midi/receive.h"
#include "app/dlg.h"
#include "app/quorlen.h"
#include "dialogs/input_dlg.h"
#include "editors/editor.h"
#include "editors/editor_juno.h"
#include "editors/knob_model.h"
#include "instrument/instrument.h"
#include "midi/midi_port.h"
#include "platform/midi_host.h"
#include "platform/msgbox.h"
#include "sequencer/playback.h"
#include "sequencer/sequence.h"
#include <QWidget>

std::uint8_t AutoSend_Saved = 0;
std::string MIDI_In_Buf1, MIDI_In_Buf2;
std::array<MIDI_In_Hdr, 5> MIDI_In_Hdrs;

void Receive_Reset() {
    AutoSend_Saved = 0;
    MIDI_In_Buf1.clear();
    MIDI_In_Buf2.clear();
    MIDI_In_Hdrs.fill(MIDI_In_Hdr{});
}

namespace {
void show_picture(QWidget* w, const QPixmap& p) {
    if (auto* pic = qobject_cast<Pic_Control*>(w))
        pic->Set_Picture(p);
    else if (w)
        w->update();
}

// The sequencer buttons of both tone editors, found by name: the Alpha Juno
// editor builds its own set.
template <class Ed> void editor_seq_buttons(bool receiving) {
    if (!Ed::loaded()) return;
    const Quorlen& m = Quorlen::get();
    Ed& ed = Ed::get();
    auto* start = ed.template findChild<QWidget*>("ED_Seq_Start");
    auto* start_pic = ed.template findChild<QWidget*>("ED_Seq_Start_Pic");
    auto* stop_pic = ed.template findChild<QWidget*>("ED_Seq_Stop_Pic");
    if (receiving) {
        show_picture(start, m.Button_Dn3D);
        show_picture(start_pic, m.Record);
        show_picture(stop_pic, m.Stop_Enabled);
        return;
    }
    show_picture(start, m.Button_Up3D);
    const bool loaded = Seq_Loaded == 255;
    show_picture(start_pic, loaded ? m.Start_Enabled : m.Start_Disabled);
    show_picture(stop_pic, loaded ? m.Stop_Enabled : m.Stop_Disabled);
    if (start) start->setEnabled(true);
}
} // namespace

void MIDI_Receive_Toggle() {
    if (MIDI_Receiving != 0) {
        MIDI_Receiving = 0;
        MIDI_In_Close();
        editor_seq_buttons<Editor>(false);
        editor_seq_buttons<Editor_Juno>(false);
        if (Seq_Loaded == 255)
            ED_Seq_Pics_On();
        else
            ED_Seq_Pics_Off();
        Menus_Enable();
        AutoSend_On = AutoSend_Saved;
        return;
    }
    // Receive mode needs an open input port, and none is ever opened.
    if (MIDI_In_Port.Handle <= 0) return;
    Input_Result = Tone_Name_Text;
    MIDI_Receiving = 1;
    editor_seq_buttons<Editor>(true);
    editor_seq_buttons<Editor_Juno>(true);
    Menus_Disable();
    AutoSend_Saved = AutoSend_On;
    AutoSend_On = 0;
}

void MIDI_In_Close() {
    if (MIDI_In_Port.Handle < 0) return;
    vbMidiInClose(MIDI_In_Port.Handle);
    MIDI_In_Port.Handle = -1;
}

int vbMidiInClose(int) {
    // The host has no input side: resetting and closing the port succeed at once.
    int r = MidiResult::Ok;
    MIDI_In_ShowError(r, "vbMidiInClose");
    vbMidiInUnPrepareHeader();
    MIDI_In_ShowError(r, "vbMidiInClose");
    return r;
}

void vbMidiInUnPrepareHeader() {
    for (int i = 1; i <= 4; ++i)
        if (!MIDI_In_Hdrs[i].lpData.empty() || MIDI_In_Hdrs[i].hMem1 != 0)
            vbMidiInFreeBuffer(MIDI_In_Hdrs[i]);
}

void vbMidiInFreeBuffer(MIDI_In_Hdr& hdr) {
    hdr.lpData.clear();
    hdr.dwBufferLength = hdr.dwBytesRecorded = 0;
    hdr.hMem1 = hdr.pMem1 = hdr.hMem2 = hdr.pMem2 = 0;
}

void MIDI_In_ShowError(int code, const QString& location) {
    if (code == 0) return;
    QString text = "Unknown error";
    Midi_Host().errorText(code, text);
    Msg_Box(location + ": " + text.left(160));
}

std::string MIDI_In_TakeBuffer1() {
    std::string s;
    s.swap(MIDI_In_Buf1);
    return s;
}

std::string MIDI_In_TakeBuffer2() {
    std::string s;
    s.swap(MIDI_In_Buf2);
    return s;
}

void MIDI_In_Notify() {
    const std::string first = MIDI_In_TakeBuffer1();
    if (!first.empty()) MIDI_In_ReceiveTone(first);
    const std::string second = MIDI_In_TakeBuffer2();
    if (!second.empty()) MIDI_In_ReceiveTone(second);
}

void MIDI_In_ReceiveTone(const std::string& message) {
    // Positions 8 to 66 (counted from 1) hold the tone after its seven header bytes.
    const std::size_t n = message.size();
    for (std::size_t i = 1; i <= n; ++i)
        if (i >= 8 && i <= 66) Tone_Data[i - 8] = static_cast<std::uint8_t>(message[i - 1]);
    if (n == 67) {
        Editor_Redraw();
        MIDI_Receive_Toggle();
    }
}
