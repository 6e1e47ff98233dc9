#include "editors/audition.h"
#include "app/main_module.h"
#include "app/quorlen.h"
#include "dialogs/picture_buttons.h"
#include "editors/editor.h"
#include "editors/knob_model.h"
#include "midi/midi_port.h"
#include "midi/receive.h"
#include "platform/host.h"
#include "sequencer/playback.h"
#include "sequencer/sequence.h"
#include "sequencer/sequencer.h"
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>

namespace {
void show_picture(QWidget* w, const QPixmap& picture) {
    if (!w) return;
    if (auto* c = qobject_cast<Pic_Control*>(w))
        c->Set_Picture(picture);
    else if (auto* box = qobject_cast<Picture_Box*>(w))
        box->Set_Picture(picture);
    else if (auto* label = qobject_cast<QLabel*>(w))
        label->setPixmap(picture);
}

// The pressed or released look of a 3-D button: its face and its caption
// one pixel right and down while pressed.
void press(QWidget* face, QWidget* caption, bool down) {
    if (!face) return;
    if (down)
        Btn_Down(*face);
    else
        Btn_Up(*face);
    // The button routines know the stock's own button kinds; an editor's
    // picture control takes its face here.
    const Quorlen& m = Quorlen::get();
    if (qobject_cast<Pic_Control*>(face)) show_picture(face, down ? m.Button_Dn3D : m.Button_Up3D);
    if (caption) caption->move(down ? 4 : 3, down ? 4 : 3);
}

void key_released(const Audition_Controls& c) {
    show_picture(c.Keys_Pic, Quorlen::get().Buttons[9]);
}

// A file may hold any base note and any cell byte: a note or velocity
// above 127 would put a status byte on the wire.
void send_step_note(int note, int velocity) {
    if (note < 0 || note > 127) return;
    Seq_SendNote(note, velocity > 127 ? 127 : velocity);
}

// Hands the mouse events of one editor's three controls to the routines.
class Audition_Events : public QObject {
  public:
    Audition_Events(const Audition_Controls& c, QObject* parent) : QObject(parent), c_(c) {
        for (QWidget* w : {c.Keys_Pic, c.ED_Seq_Start, c.ED_Seq_Stop})
            if (w) w->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        const QEvent::Type t = e->type();
        if (t != QEvent::MouseButtonPress && t != QEvent::MouseButtonDblClick &&
            t != QEvent::MouseButtonRelease)
            return false;
        auto* me = static_cast<QMouseEvent*>(e);
        const int button = Mouse_Button(me->button());
        const bool down = t != QEvent::MouseButtonRelease;
        if (watched == c_.Keys_Pic) {
            if (down)
                Keys_Pic_MouseDown(c_, button);
            else
                Keys_Pic_MouseUp(c_, button);
            return true;
        }
        // The 3-D buttons answer the left button, as every button of the stock does.
        if (button != 1) return true;
        auto* w = static_cast<QWidget*>(watched);
        const bool inside = w->rect().contains(me->position().toPoint());
        if (watched == c_.ED_Seq_Start) {
            if (down) {
                ED_Seq_Start_MouseDown(c_);
            } else {
                ED_Seq_Start_MouseUp(c_);
                if (inside) ED_Seq_Start_Click(c_);
            }
        } else if (watched == c_.ED_Seq_Stop) {
            if (down) {
                ED_Seq_Stop_MouseDown(c_);
            } else {
                ED_Seq_Stop_MouseUp(c_);
                if (inside) ED_Seq_Stop_Click(c_);
            }
        }
        return true;
    }

  private:
    Audition_Controls c_;
};
} // namespace

void Audition_Attach(const Audition_Controls& c) {
    if (!c.Keys_Pic) return;
    new Audition_Events(c, c.Keys_Pic);
}

Audition_Controls Editor_Audition() {
    Editor* ed = Editor::peek();
    if (!ed) return {};
    return {ed->Keys_Pic, ed->ED_Seq_Start, ed->ED_Seq_Stop, ed->ED_Seq_Start_Pic,
            ed->ED_Seq_Stop_Pic};
}

bool Seq_Playable() {
    return Seq_Loaded == 255 || Seq_Saved == 0;
}

void ED_Seq_Captions_Show(const Audition_Controls& c, bool enabled) {
    const Quorlen& m = Quorlen::get();
    show_picture(c.ED_Seq_Start_Pic, enabled ? m.Start_Enabled : m.Start_Disabled);
    show_picture(c.ED_Seq_Stop_Pic, enabled ? m.Stop_Enabled : m.Stop_Disabled);
}

void Keys_Pic_MouseDown(const Audition_Controls& c, int button) {
    bool step_used = false;
    for (int k = 0; k <= 12; ++k) step_used = step_used || Seq_Data[k] != 0;
    if (button == 1 && MIDI_Enabled == 1) {
        show_picture(c.Keys_Pic, Quorlen::get().Buttons[10]);
        if (MIDI_Out_Port.Handle == -1) MIDI_Out_Open();
        if (step_used) {
            // A port that would not open has turned MIDI off; every note would
            // then answer with an error box.
            for (int k = 0; k <= 12 && MIDI_Enabled == 1; ++k)
                send_step_note(Seq_Base_Note + 12 - k, Seq_Data[k]);
        } else {
            for (int note : {60, 64, 67, 72}) MIDI_SendNote(note, 90);
        }
    } else if (button == 2) {
        MIDI_AllNotesOff();
    }
}

void Keys_Pic_MouseUp(const Audition_Controls& c, int button) {
    if (button == 2) key_released(c);
}

void ED_Seq_Start_Click(const Audition_Controls&) {
    if (!Seq_Playable()) return;
    MIDI_Out_Open();
    Seq_Step = 0;
    Seq_Status = MIDI_Channel + 143;
    Quorlen::get().Seq_Tmr->start();
    Seq_Running = 255;
}

void ED_Seq_Start_MouseDown(const Audition_Controls& c) {
    press(c.ED_Seq_Start, c.ED_Seq_Start_Pic, true);
}

void ED_Seq_Start_MouseUp(const Audition_Controls& c) {
    // While the sequence plays the button stays down.
    if (!Seq_Playable()) press(c.ED_Seq_Start, c.ED_Seq_Start_Pic, false);
}

void ED_Seq_Stop_Click(const Audition_Controls& c) {
    if (MIDI_Receiving != 0) {
        MIDI_Receive_Toggle();
        return;
    }
    Quorlen::get().Seq_Tmr->stop();
    // The lights are reset only in an open window: opening it for that
    // would show a window nobody asked for.
    if (Seq_Form_Open == 255) Sequencer::get().Seq_Lights_Off();
    Seq_Step = 0;
    key_released(c);
    MIDI_AllNotesOff();
    MIDI_Out_Close();
    Seq_Running = 0;
}

void ED_Seq_Stop_MouseDown(const Audition_Controls& c) {
    key_released(c);
    press(c.ED_Seq_Stop, c.ED_Seq_Stop_Pic, true);
}

void ED_Seq_Stop_MouseUp(const Audition_Controls& c) {
    press(c.ED_Seq_Stop, c.ED_Seq_Stop_Pic, false);
    ED_Seq_Start_Up(c);
    if (Seq_Form_Open == 255) Sequencer::get().Start_Released();
}

void ED_Seq_Start_Up(const Audition_Controls& c) {
    press(c.ED_Seq_Start, c.ED_Seq_Start_Pic, false);
}
