#include "editors/editor.h"
#include "app/dlg.h"
#include "app/main_module.h"
#include "app/picture_store.h"
#include "app/quorlen.h"
#include "editors/audition.h"
#include "editors/editor_juno.h"
#include "editors/panel_paint.h"
#include "editors/patch.h"
#include "instrument/instrument.h"
#include "midi/midi_port.h"
#include "midi/routines.h"
#include "midi/sysex.h"
#include "platform/host.h"
#include "sequencer/playback.h"
#include <QAction>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <algorithm>
#include <cmath>

using K = Ctl_Kind;
using E = Editor;

namespace {
constexpr std::array<const char*, 4> none{};
constexpr std::array<const char*, 4> range{"16'", "8'", "4'", "2'"};
constexpr std::array<const char*, 4> wave{"NOI", "SQR", "PLS", "SAW"};
constexpr std::array<const char*, 4> xmod{"OFF", "SYN", "RNG", "XMD"};
constexpr std::array<const char*, 4> dyn{"OFF", "1", "2", "3"};
constexpr std::array<const char*, 4> envmode{"E2\u2193", "E2", "E1\u2193", "E1"};
constexpr std::array<const char*, 4> hpf{"0", "1", "2", "3"};
constexpr std::array<const char*, 4> lfowave{"RND", "SQR", "TRI", nullptr};
constexpr std::array<const char*, 4> chorus{"OFF", "1", "2", nullptr};
constexpr std::array<const char*, 4> vcamode{"ENV2", "GATE", nullptr, nullptr};
} // namespace

// Panel order, which is also the Tab order.
const std::array<Tone_Control_Spec, 44> Tone_Controls{{
    {"DCO1_Range", &E::DCO1_Range, 11, K::Lever4, "bl", 32, 62, 19, 62, 19, 62, "RANGE", range, 1},
    {"DCO1_Waveform", &E::DCO1_Waveform, 12, K::Lever4, "bl", 32, 62, 59, 62, 59, 62, "WAVE", wave,
     1},
    {"DCO1_Tune", &E::DCO1_Tune, 13, K::Knob_Tune, "kn1", 0, 0, 32, 102, 33, 102, "TUNE", none, 0},
    {"DCO1_LFO", &E::DCO1_LFO, 14, K::Fader, "bm", 152, 232, 19, 232, 19, 152, "LFO", none, 0},
    {"DCO1_ENV", &E::DCO1_ENV, 15, K::Fader, "bm", 152, 232, 58, 232, 58, 232, "ENV", none, 0},
    {"DCO_Dynamics", &E::DCO_Dynamics, 26, K::Lever4, "bl", 278, 308, 19, 308, 19, 308, "DYNA", dyn,
     1},
    {"DCO_Mode", &E::DCO_Mode, 27, K::Lever4, "bl", 278, 308, 59, 308, 59, 308, "ENV MODE", envmode,
     1},
    {"DCO2_Range", &E::DCO2_Range, 16, K::Lever4, "bl", 32, 62, 119, 62, 119, 62, "RANGE", range,
     -1},
    {"DCO2_Waveform", &E::DCO2_Waveform, 17, K::Lever4, "bl", 32, 62, 159, 62, 159, 62, "WAVE",
     wave, -1},
    {"DCO2_Crossmod", &E::DCO2_Crossmod, 18, K::Lever4, "br", 32, 62, 189, 62, 189, 62, "X-MOD",
     xmod, 1},
    {"DCO2_Tune", &E::DCO2_Tune, 19, K::Knob_Tune, "kn2", 0, 0, 122, 102, 122, 102, "TUNE", none,
     0},
    {"DCO2_FTune", &E::DCO2_FTune, 20, K::Knob_Fine, "kn2f", 0, 0, 182, 102, 182, 102, "F-TUNE",
     none, 0},
    {"DCO2_LFO", &E::DCO2_LFO, 21, K::Fader, "bm", 152, 232, 119, 232, 119, 232, "LFO", none, 0},
    {"DCO2_ENV", &E::DCO2_ENV, 22, K::Fader, "bm", 152, 232, 158, 232, 158, 232, "ENV", none, 0},
    {"Mixer_DCO1", &E::Mixer_DCO1, 28, K::Fader, "bm", 32, 112, 259, 112, 259, 112, "DCO1", none,
     0},
    {"Mixer_DCO2", &E::Mixer_DCO2, 29, K::Fader, "bm", 32, 112, 298, 112, 298, 112, "DCO2", none,
     0},
    {"Mixer_ENV", &E::Mixer_ENV, 30, K::Fader, "bm", 152, 232, 299, 232, 299, 232, "ENV", none, 0},
    {"Mixer_Dynamics", &E::Mixer_Dynamics, 31, K::Lever4, "bl", 278, 308, 259, 308, 259, 308,
     "DYNA", dyn, 1},
    {"Mixer_Mode", &E::Mixer_Mode, 32, K::Lever4, "bl", 278, 308, 299, 308, 299, 308, "ENV MODE",
     envmode, 1},
    {"VCF_HPF", &E::VCF_HPF, 33, K::Lever4, "bl", 32, 62, 359, 62, 359, 62, "HPF", hpf, 1},
    {"VCF_CutoffF", &E::VCF_CutoffF, 34, K::Fader, "bm", 32, 112, 399, 112, 399, 112, "CUTOFF",
     none, 0},
    {"VCF_Res", &E::VCF_Res, 35, K::Fader, "bm", 32, 112, 438, 112, 438, 112, "RES", none, 0},
    {"VCF_LFO", &E::VCF_LFO, 36, K::Fader, "bm", 152, 232, 360, 232, 360, 232, "LFO", none, 0},
    {"VCF_ENV", &E::VCF_ENV, 37, K::Fader, "bm", 152, 232, 399, 232, 399, 232, "ENV", none, 0},
    {"VCF_Keyfollow", &E::VCF_Keyfollow, 38, K::Fader, "bm", 152, 232, 438, 232, 438, 232, "KEY",
     none, 0},
    {"VCF_Dynamics", &E::VCF_Dynamics, 39, K::Lever4, "bl", 278, 308, 359, 308, 359, 308, "DYNA",
     dyn, 1},
    {"VCF_Mode", &E::VCF_Mode, 40, K::Lever4, "bl", 278, 308, 399, 308, 399, 308, "ENV MODE",
     envmode, 1},
    {"VCA_Level", &E::VCA_Level, 41, K::Fader, "bm", 32, 112, 489, 112, 489, 112, "LEVEL", none, 0},
    {"VCA_Mode", &E::VCA_Mode, 58, K::Toggle, "br", 152, 162, 489, 162, 489, 162, "MODE", vcamode,
     1},
    {"VCA_Dynamics", &E::VCA_Dynamics, 42, K::Lever4, "bl", 278, 308, 489, 308, 489, 308, "DYNA",
     dyn, 1},
    {"LFO_Waveform", &E::LFO_Waveform, 44, K::Lever3, "bl", 377, 397, 18, 397, 18, 397, "WAVE",
     lfowave, -1},
    {"LFO_DelayT", &E::LFO_DelayT, 45, K::Fader, "bm", 357, 437, 45, 437, 45, 437, "DELAY", none,
     0},
    {"LFO_Rate", &E::LFO_Rate, 46, K::Fader, "bm", 357, 437, 84, 437, 84, 437, "RATE", none, 0},
    {"ENV1_Attack", &E::ENV1_Attack, 47, K::Fader, "bm", 357, 437, 135, 437, 135, 437, "A", none,
     0},
    {"ENV1_Decay", &E::ENV1_Decay, 48, K::Fader, "bm", 357, 437, 165, 437, 165, 437, "D", none, 0},
    {"ENV1_Sustain", &E::ENV1_Sustain, 49, K::Fader, "bm", 357, 437, 195, 437, 195, 437, "S", none,
     0},
    {"ENV1_Release", &E::ENV1_Release, 50, K::Fader, "bm", 357, 437, 225, 437, 225, 437, "R", none,
     0},
    {"ENV1_Keyfollow", &E::ENV1_Keyfollow, 51, K::Lever4, "br", 388, 418, 265, 418, 265, 418, "KEY",
     dyn, 1},
    {"ENV2_Attack", &E::ENV2_Attack, 52, K::Fader, "bm", 357, 437, 315, 437, 315, 437, "A", none,
     0},
    {"ENV2_Decay", &E::ENV2_Decay, 53, K::Fader, "bm", 357, 437, 345, 437, 345, 437, "D", none, 0},
    {"ENV2_Sustain", &E::ENV2_Sustain, 54, K::Fader, "bm", 357, 437, 375, 437, 375, 437, "S", none,
     0},
    {"ENV2_Release", &E::ENV2_Release, 55, K::Fader, "bm", 357, 437, 405, 437, 405, 437, "R", none,
     0},
    {"ENV2_Keyfollow", &E::ENV2_Keyfollow, 56, K::Lever4, "br", 388, 418, 445, 418, 445, 418, "KEY",
     dyn, 1},
    {"Chorus_Mode", &E::Chorus_Mode, 43, K::Lever3, "br", 398, 418, 488, 418, 488, 418, "", chorus,
     1},
}};

namespace {
const Tone_Control_Spec& spec_of(const Pic_Control* c) {
    return Tone_Controls[c->Index];
}

// A two-position lever: off at the bottom of its travel, on at the top.
int toggle_top(const Tone_Control_Spec& s, int v) {
    return v <= 63 ? s.travel_bottom : s.travel_top;
}

bool is_fader_byte(int p) {
    for (const Tone_Control_Spec& s : Tone_Controls)
        if (s.param == p) return s.kind == K::Fader;
    return false;
}
} // namespace

Editor::Editor() : Mdi_Form("JX-8P Tone Editor") {
    // The panel fills the frame's document area: no title bar of its own.
    frame()->setWindowFlags(Qt::SubWindow | Qt::FramelessWindowHint);
    for (int i = 0; i < static_cast<int>(Tone_Controls.size()); ++i) {
        const Tone_Control_Spec& s = Tone_Controls[i];
        auto* c = new Pic_Control(this, this, s.name, s.tag, i);
        this->*(s.member) = c;
        by_param_[s.param] = c;
        if (s.kind == K::Knob_Tune || s.kind == K::Knob_Fine) {
            // The pointer lies on the body; the body takes its mouse and keys.
            auto* ptr = new Pic_Control(c, nullptr, QString(s.name) + "_Knopf", s.tag, i);
            ptr->setAttribute(Qt::WA_TransparentForMouseEvents);
            ptr->Knob_Body = c;
            c->Knob_Pointer = ptr;
            Register_Knob_Pointer(s.tag, ptr);
        }
    }
    DCO1_Tune_Knopf = DCO1_Tune->Knob_Pointer;
    DCO2_Tune_Knopf = DCO2_Tune->Knob_Pointer;
    DCO2_FTune_Knopf = DCO2_FTune->Knob_Pointer;
    // The first four controls of the panel carry help rows 1 to 4; a knob's
    // pointer, which holds the focus, carries its body's.
    int help = 0;
    for (Pic_Control* c : {DCO1_Range, DCO1_Waveform, DCO1_Tune, DCO1_LFO}) {
        c->Help_Context = ++help;
        if (c->Knob_Pointer) c->Knob_Pointer->Help_Context = help;
    }

    Build_Plate(this);

    Timer1 = new QTimer(this);
    Timer1->setInterval(250);
    connect(Timer1, &QTimer::timeout, this, &Editor::Timer1_Timer);
    setFixedSize(528, 456);
}

void Editor::Form_Load() {
    Pics_Editor();
    Pic_Quorlen->Set_Picture(Picture(Pic::Quorlen_Logo));
    Pic_Orvel->Set_Picture(Picture(Pic::Orvel_Logo));
    Audition_Attach(Editor_Audition());
    ED_Seq_Captions_Show(Editor_Audition(), ED_Seq_Pics_Enabled);
    Blink_Phase = 0;
    Focus_Control = DCO1_Range;
    Track_Activation();
}

void Editor::Form_Activate() {
    Blink_Phase = 0;
    Focus_Control = DCO1_Range;
    // The control that keeps the keyboard focus gets it again, as after any
    // activation, so the blink stays on the control the keys reach.
    if (auto* c = qobject_cast<Pic_Control*>(focusWidget()))
        Control_GotFocus(c);
    else if (!focusWidget())
        DCO1_Range->setFocus();
}

void Editor::Form_Deactivate() {
    Focus_Pic_Reset();
}

void Editor::Timer1_Timer() {
    Blink_Phase = Blink_Phase + 1 > 1 ? 0 : Blink_Phase + 1;
    Focus_Pic_Blink();
}

void Editor::paintEvent(QPaintEvent* e) {
    Panel_Paint::Paint_Window(this, e, panel_, [] { return Picture(Pic::Editor_Panel); });
}

Pic_Control* Editor::Param_Control(int p) const {
    return p >= 0 && p < static_cast<int>(by_param_.size()) ? by_param_[p] : nullptr;
}

// ---- Store, show and send ------------------------------------------------------------

void Editor::Tone_Param_Set(int p, int value) {
    Tone_Data[p] = static_cast<std::uint8_t>(value);
    if (Tone_Loading == 0) {
        if (is_fader_byte(p))
            Tone_Name->setText(QString::number((value * 99) / 127));
        else if (p == 13 || p == 19)
            Tone_Name->setText(QString::number(Knob_Val_PM12(value)));
        else if (p == 20)
            Tone_Name->setText(QString::number(Knob_Val_PM50(value)));
        Display_Timer_Restart();
    }
    Tone_Param_Send(p);
    Tone_Saved = false;
}

void Editor::Tone_Param_Send(int p) {
    Param_Send(Hdr_Tone_IPR, static_cast<unsigned>(p), Tone_Data[p]);
}

// ---- Key rules ------------------------------------------------------------------------

void Editor::Slider_KeyStep(int top, int bottom, int p, int key) {
    Edit_Value = Tone_Data[p];
    if (Fader_Key_Step(Edit_Value, key)) Tone_Param_Set(p, static_cast<int>(Edit_Value));
    Slider_Redraw(top, bottom, p);
}

void Editor::Switch_KeyStep(int top, int bottom, int p, int key) {
    int v = Tone_Data[p];
    const bool known = Lever_Key_Step(v, key);
    if ((p == 43 || p == 44) && v > 64) v = 64;
    if (known) Tone_Param_Set(p, v);
    Switch_Redraw(top, bottom, p);
}

void Editor::Tune_Knob_Key(int p, int key) {
    Knob_Display_Value = Knob_Val_PM12(Tone_Data[p]);
    Tune_Key_Step(Knob_Display_Value, key);
    Knob_Pointer_Set(12, 10, 12);
    Tone_Param_Set(p, Tune_Semi_To_Value(static_cast<int>(Knob_Display_Value)));
}

namespace {
// The fine-tune byte takes the working value; pointer and display follow.
void fine_knob_store(Editor& ed, int p) {
    Tone_Data[p] = static_cast<std::uint8_t>(Edit_Value);
    Knob_Display_Value = Knob_Val_PM50(Tone_Data[p]);
    Knob_Pointer_Set(12, 10, 3);
    ed.Tone_Param_Set(p, static_cast<int>(Edit_Value));
}
} // namespace

void Editor::Fine_Knob_Key(int p, int key) {
    Edit_Value = Tone_Data[p];
    Fine_Key_Step(Edit_Value, key, true);
    fine_knob_store(*this, p);
}

void Editor::Toggle_Key(int p, int key) {
    if (Toggle_Key_Flips(key)) {
        const int v = Tone_Data[p];
        Tone_Data[p] = static_cast<std::uint8_t>(v <= 63 ? v + 64 : v - 64);
        if (Pic_Control* c = Param_Control(p)) c->Set_Top(toggle_top(spec_of(c), Tone_Data[p]));
    }
    Tone_Param_Send(p);
    Tone_Saved = false;
}

// ---- Drag rules ------------------------------------------------------------------------

void Editor::Slider_Drag(int top, int bottom, int p, double y) {
    Edit_Value = std::clamp(Tone_Data[p] - y, 0.0, 127.0);
    Tone_Param_Set(p, static_cast<int>(Edit_Value));
    Slider_Redraw(top, bottom, p);
}

void Editor::Switch_Drag(int top, int bottom, int p, double y) {
    const int v = std::clamp(Round_Even(Tone_Data[p] - y), 0, 127);
    Tone_Data[p] = static_cast<std::uint8_t>(v);
    Switch_Redraw(top, bottom, p);
    if (Last_Param == p && std::abs(Last_Value - v) > 4) Tone_Param_Send(p);
    Tone_Saved = false;
    Last_Value = v;
    Last_Param = p;
}

void Editor::Tune_Knob_Drag(int p, double x) {
    Knob_Display_Value = Knob_Val_PM12(Tone_Data[p]);
    Tune_Drag_Step(Knob_Display_Value, x);
    Knob_Pointer_Set(12, 10, 12);
    Tone_Param_Set(p, Tune_Semi_To_Value(static_cast<int>(Knob_Display_Value)));
}

void Editor::Fine_Knob_Drag(int p, double x) {
    Edit_Value = Tone_Data[p];
    Fine_Drag_Step(Edit_Value, x, true);
    fine_knob_store(*this, p);
}

// ---- Redraw of one control ---------------------------------------------------------------

void Editor::Slider_Redraw(int, int bottom, int p) {
    if (Pic_Control* c = Param_Control(p)) c->Set_Top(Fader_Top(bottom, Tone_Data[p]));
}

void Editor::Switch_Redraw(int, int bottom, int p) {
    Pic_Control* c = Param_Control(p);
    if (!c) return;
    // Every band shows at once, also the ones only a drag reaches.
    c->Set_Top(Quarter_Top(bottom, std::min<int>(Tone_Data[p], p == 43 || p == 44 ? 64 : 127)));
}

// ---- Events of the panel controls -----------------------------------------------------------

void Editor::Control_KeyDown(Pic_Control* c, int key, int) {
    const Tone_Control_Spec& s = spec_of(c);
    switch (s.kind) {
    case K::Fader:
        Slider_KeyStep(s.travel_top, s.travel_bottom, s.param, key);
        break;
    case K::Lever4:
    case K::Lever3:
        Switch_KeyStep(s.travel_top, s.travel_bottom, s.param, key);
        break;
    case K::Knob_Tune:
        Tune_Knob_Key(s.param, key);
        break;
    case K::Knob_Fine:
        Fine_Knob_Key(s.param, key);
        break;
    case K::Toggle:
        Toggle_Key(s.param, key);
        break;
    }
}

void Editor::Control_MouseDown(Pic_Control* c, int, int, double, double) {
    const Tone_Control_Spec& s = spec_of(c);
    switch (s.kind) {
    case K::Fader:
    case K::Knob_Tune:
    case K::Knob_Fine:
        Tone_Param_Set(s.param, Tone_Data[s.param]);
        break;
    case K::Toggle:
        Toggle_Key(s.param, Vk::Up);
        break;
    default:
        break;
    }
}

void Editor::Control_MouseMove(Pic_Control* c, int button, int, double x, double y) {
    if (button <= 0) return;
    const Tone_Control_Spec& s = spec_of(c);
    switch (s.kind) {
    case K::Fader:
        Slider_Drag(s.travel_top, s.travel_bottom, s.param, y);
        break;
    case K::Lever4:
    case K::Lever3:
        Switch_Drag(s.travel_top, s.travel_bottom, s.param, y);
        break;
    case K::Knob_Tune:
        Tune_Knob_Drag(s.param, x);
        break;
    case K::Knob_Fine:
        Fine_Knob_Drag(s.param, x);
        break;
    case K::Toggle:
        break;
    }
}

// ---- Name display ---------------------------------------------------------------------------

// ---- Whole tone --------------------------------------------------------------------------------

void Editor_Redraw() {
    QString name;
    for (int i = 0; i <= 9; ++i) name += QChar(static_cast<char16_t>(Tone_Data[i]));
    Tone_Name_Text = Ascii_Upper(Blanks_Trimmed(name));
    Editor::get().Tone_Name->setText(Tone_Name_Text);
    Editor_Controls_Redraw();
}

void Editor_Controls_Redraw() {
    Editor& ed = Editor::get();
    for (const Tone_Control_Spec& s : Tone_Controls) {
        Pic_Control* c = ed.*(s.member);
        const int v = Tone_Data[s.param];
        switch (s.kind) {
        case K::Fader:
            c->Set_Top(Slider_Pos(s.param));
            break;
        case K::Lever4:
            // The two long rows keep their routines' rule for a byte above 127.
            c->Set_Top(s.travel_bottom == Lever_Row_A   ? Switch_Pos_A(s.param)
                       : s.travel_bottom == Lever_Row_B ? Switch_Pos_B(s.param)
                                                        : Quarter_Top(s.travel_bottom, v));
            break;
        case K::Lever3:
            c->Set_Top(Quarter_Top(s.travel_bottom, std::min(v, 64)));
            break;
        case K::Toggle:
            c->Set_Top(toggle_top(s, v));
            break;
        default:
            break;
        }
    }
    Knob_Draw("kn1", 10, 12, 12);
    Knob_Draw("kn2", 10, 12, 12);
    Knob_Draw("kn2f", 10, 12, 3);
}

void Editor_Layout_Show() {
    Editor& ed = Editor::get();
    ed.Layout_Shown = true;
    ed.Tone_Name->move(100, 292);
    ed.Pic_Orvel->move(197, 204);
    ed.Pic_Quorlen->move(181, 152);
    ed.Keys_Pic->move(214, 221);
    ed.ED_Seq_Start->move(188, 221);
    ed.ED_Seq_Stop->move(261, 221);
    for (QWidget* w : std::initializer_list<QWidget*>{ed.Tone_Name, ed.Pic_Orvel, ed.Pic_Quorlen,
                                                      ed.Keys_Pic, ed.ED_Seq_Start, ed.ED_Seq_Stop})
        w->setVisible(true);
    for (const Tone_Control_Spec& s : Tone_Controls) {
        Pic_Control* c = ed.*(s.member);
        c->Set_Pos(s.layout_left, s.layout_top);
        c->setVisible(true);
    }
}

void Editor_Layout_Hide() {
    Editor& ed = Editor::get();
    ed.Layout_Shown = false;
    for (const Tone_Control_Spec& s : Tone_Controls) (ed.*(s.member))->setVisible(false);
}

void Undo_Save() {
    if (!Synth_Is(Synth_Type, "Alpha Juno")) {
        Undo_Tone = Tone_Data;
        Undo_Patch = Patch_Data;
    } else {
        Undo_Juno_Tone = Juno_Tone;
    }
    Quorlen::get().Menu_Edit_Undo->setEnabled(true);
}

void Undo_Restore() {
    if (!Synth_Is(Synth_Type, "Alpha Juno")) {
        Tone_Data = Undo_Tone;
        Patch_Data = Undo_Patch;
        Editor_Redraw();
        if (Patch_Form_Open == 255) Patch_Redraw();
    } else {
        Juno_Tone = Undo_Juno_Tone;
        Juno_Editor_Redraw();
    }
    Quorlen::get().Menu_Edit_Undo->setEnabled(false);
    Tone_Send();
}

void Name_To_Tone() {
    int i = 0;
    // At most ten characters: bytes from 11 on are parameters.
    for (; i < Tone_Name_Text.size() && i < 10; ++i)
        Tone_Data[i] = static_cast<std::uint8_t>(Tone_Name_Text.at(i).unicode() & 0xFF);
    for (; i <= 10; ++i) Tone_Data[i] = 32;
}
