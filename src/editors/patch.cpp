#include "editors/patch.h"
#include "app/app_style.h"
#include "app/main_module.h"
#include "app/picture_store.h"
#include "app/quorlen.h"
#include "editors/editor.h"
#include "editors/panel_paint.h"
#include "instrument/instrument.h"
#include "midi/midi_port.h"
#include "midi/routines.h"
#include "midi/sysex.h"
#include "platform/host.h"
#include <QAction>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLayout>
#include <QPainter>
#include <QTimer>
#include <algorithm>
#include <cmath>

using P = Patch_Kind;

// Creation order, which is also the Tab order.
const std::array<Patch_Control_Spec, 16> Patch_Controls{{
    {"Portamento_Time", 1, P::Fader, "bm", 28, 108, 0, 20, 108, 16, 16},
    {"Portamento_Switch", 2, P::Porta_Switch, "br", 133, 143, 0, 20, 143, 16, 16},
    {"Pitch_Bend_LFO", 5, P::Fader, "bm", 28, 108, 0, 86, 108, 16, 16},
    {"Pitch_Bend_Range", 0, P::Bend_Lever, "br", 28, 58, 0, 117, 58, 16, 16},
    {"Key_Mode", 3, P::Key_Mode_Led, "led", 0, 0, 0, 152, 17, 14, 14},
    {"Key_Mode", 3, P::Key_Mode_Led, "led", 0, 0, 1, 152, 32, 14, 14},
    {"Key_Mode", 3, P::Key_Mode_Led, "led", 0, 0, 2, 152, 47, 14, 14},
    {"Key_Mode", 3, P::Key_Mode_Led, "led", 0, 0, 3, 152, 62, 14, 14},
    {"Key_Mode", 3, P::Key_Mode_Led, "led", 0, 0, 4, 152, 77, 14, 14},
    {"Key_Mode", 3, P::Key_Mode_Led, "led", 0, 0, 5, 152, 92, 14, 14},
    {"After_Touch", 4, P::After_Touch_Led, "led", 0, 0, 0, 222, 62, 14, 14},
    {"After_Touch", 4, P::After_Touch_Led, "led", 0, 0, 1, 222, 47, 14, 14},
    {"After_Touch", 4, P::After_Touch_Led, "led", 0, 0, 2, 222, 32, 14, 14},
    {"After_Touch", 4, P::After_Touch_Led, "led", 0, 0, 3, 222, 17, 14, 14},
    {"UDTune", 6, P::Knob, "kn2fp", 0, 0, 0, 161, 133, 28, 26},
    {"UDTune_Knopf", 6, P::Knob_Pointer, "kn2fp", 0, 0, 0, 12, 6, 4, 4},
}};

namespace {
// The value each light button stands for.
constexpr int key_mode_value[6] = {0, 1, 2, 4, 5, 6};
constexpr int after_touch_value[4] = {0, 1, 2, 4};
} // namespace

Patch::Patch() : Mdi_Form("Patch Parameter") {
    setObjectName("Patch");
    for (int i = 0; i < static_cast<int>(Patch_Controls.size()); ++i) {
        const Patch_Control_Spec& s = Patch_Controls[i];
        const bool pointer = s.kind == P::Knob_Pointer;
        const QString name = s.kind == P::Key_Mode_Led || s.kind == P::After_Touch_Led
                                 ? QString("%1_%2").arg(s.name).arg(s.group)
                                 : QString(s.name);
        QWidget* parent = pointer ? static_cast<QWidget*>(UDTune) : this;
        auto* c = new Pic_Control(parent, this, name, s.tag, i);
        controls_.push_back(c);
        switch (s.kind) {
        case P::Fader:
            (s.param == 1 ? Portamento_Time : Pitch_Bend_LFO) = c;
            break;
        case P::Bend_Lever:
            Pitch_Bend_Range = c;
            break;
        case P::Porta_Switch:
            Portamento_Switch = c;
            break;
        case P::Key_Mode_Led:
            Key_Mode[s.group] = c;
            c->installEventFilter(this);
            break;
        case P::After_Touch_Led:
            After_Touch[s.group] = c;
            c->installEventFilter(this);
            break;
        case P::Knob:
            UDTune = c;
            break;
        case P::Knob_Pointer:
            UDTune_Knopf = c;
            break;
        }
    }
    UDTune->Knob_Pointer = UDTune_Knopf;
    UDTune_Knopf->Knob_Body = UDTune;
    Register_Knob_Pointer("kn2fp", UDTune_Knopf);
}

void Patch::Form_Load() {
    Focus_Pic_Reset();
    // 4440 by 2940 twips hold the panel in its frame at 96 ppi; the panel is
    // fixed in pixels, so on any screen the frame fits it and no more.
    Set_Outer_Size(Round_Even(4440 / Twips_Per_Pixel_X()), Round_Even(2940 / Twips_Per_Pixel_Y()));
    if (frame()->layout()) frame()->layout()->activate();
    const QSize border = frame()->size() - frame()->contentsRect().size();
    Set_Outer_Size(288 + border.width(), 169 + border.height());
    Patch_Form_Open = 255;
    Led_Reset_Hook = [] {
        if (Patch* w = Patch::peek()) {
            const Quorlen& m = Quorlen::get();
            w->After_Touch[After_Touch_Index]->Set_Picture(m.LED[1]);
            w->Key_Mode[Key_Mode_Index]->Set_Picture(m.LED[1]);
        }
    };
    Patch_Pics();
    panel_ = Picture(Pic::Patch_Panel);
    Patch_Redraw();
    Blink_Phase = 0;
    Focus_Control = Portamento_Time;
    Portamento_Time->setFocus();
}

void Patch::Form_QueryUnload() {
    if (Quorlen::get().Menu_Windows_SavePos->isChecked()) {
        Patch_Left = Round_Even(frame()->x() * Twips_Per_Pixel_X());
        Patch_Top = Round_Even(frame()->y() * Twips_Per_Pixel_Y());
    }
    Patch_Form_Open = 0;
    Led_Reset_Hook = nullptr;
}

void Patch::Unload() {
    Unload_Instance(&Patch::Form_QueryUnload);
}

void Patch::closeEvent(QCloseEvent* e) {
    Unload_Form(&Patch::Form_QueryUnload);
    e->accept();
}

void Patch::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Panel_Paint::Face);
    p.drawPixmap(0, 0, panel_);
}

void Patch::Patch_Pics() {
    const Quorlen& m = Quorlen::get();
    for (Pic_Control* c : controls_) {
        const Patch_Control_Spec& s = Spec_Of(c);
        c->setGeometry(s.left, s.top, s.width, s.height);
        switch (s.kind) {
        case P::Fader:
            c->Set_Picture(m.Buttons[6]);
            break;
        case P::Bend_Lever:
        case P::Porta_Switch:
            c->Set_Picture(m.Buttons[2]);
            break;
        case P::Knob:
            c->Set_Picture(m.Buttons[8]);
            break;
        case P::Knob_Pointer:
            c->Set_Picture(m.Buttons[4]);
            break;
        default:
            c->Set_Picture(m.LED[0]);
            break;
        }
    }
    Key_Mode[Key_Mode_Index]->Set_Picture(m.LED[1]);
    After_Touch[After_Touch_Index]->Set_Picture(m.LED[1]);
}

const Patch_Control_Spec& Patch::Spec_Of(const Pic_Control* c) const {
    return Patch_Controls[c->Index];
}

Pic_Control* Patch::Control_Of(int p) const {
    switch (p) {
    case 0:
        return Pitch_Bend_Range;
    case 1:
        return Portamento_Time;
    case 2:
        return Portamento_Switch;
    case 5:
        return Pitch_Bend_LFO;
    default:
        return nullptr;
    }
}

// ---- Store, show and send ---------------------------------------------------------------------

void Patch::Patch_Param_Set(int p, int v) {
    Patch_Data[p] = static_cast<std::uint8_t>(v);
    if (Tone_Loading == 0) {
        QLabel* name = Editor::get().Tone_Name;
        if (p == 1 || p == 5)
            name->setText(QString::number((v * 99) / 127));
        else if (p == 6)
            name->setText(QString::number(Knob_Val_PM50(v)));
        Display_Timer_Restart();
    }
    Patch_Param_Send(p);
    Tone_Saved = false;
}

void Patch::Patch_Param_Send(int p) {
    Param_Send(Patch_Param_Hdr(), static_cast<unsigned>(p), Patch_Data[p]);
}

// ---- Faders ----------------------------------------------------------------------------------

void Patch::Slider_KeyStep(int top, int bottom, int p, int key) {
    Edit_Value = Patch_Data[p];
    // Every key sends the value, also one of no meaning.
    Fader_Key_Step(Edit_Value, key, 10);
    Patch_Param_Set(p, static_cast<int>(Edit_Value));
    Slider_Redraw(top, bottom, p);
}

void Patch::Slider_Drag(int top, int bottom, int p, double y) {
    Edit_Value = std::clamp(Patch_Data[p] - y, 0.0, 127.0);
    Patch_Param_Set(p, static_cast<int>(Edit_Value));
    Slider_Redraw(top, bottom, p);
}

void Patch::Slider_Redraw(int, int bottom, int p) {
    if (Pic_Control* c = Control_Of(p)) c->Set_Top(Fader_Top(bottom, Patch_Data[p]));
}

// ---- Levers ----------------------------------------------------------------------------------

void Patch::Switch_Drag(int top, int bottom, int p, double y) {
    const int v = std::clamp(Round_Even(Patch_Data[p] - y), 0, 127);
    Patch_Data[p] = static_cast<std::uint8_t>(v);
    Switch_Redraw(top, bottom, p);
    if (std::abs(Last_Value - v) > 4 && Last_Param == p) Patch_Param_Send(p);
    Tone_Saved = false;
    Last_Value = v;
    Last_Param = p;
}

void Patch::Switch_Redraw(int, int bottom, int p) {
    Pic_Control* c = Control_Of(p);
    if (!c) return;
    const int v = Patch_Data[p];
    // Only the lower half of each quarter moves the cap; the rest waits for a redraw.
    if (v % 32 < 16) c->Set_Top(Quarter_Top(bottom, v));
}

void Patch::Switch_Step(int direction, int top, int bottom, int p) {
    Pic_Control* c = Control_Of(p);
    if (!c) return;
    int v = Patch_Data[p];
    if (p == 0) {
        if (direction == 1 && c->Top() > top) {
            c->Set_Top(c->Top() - Lever_Step);
            v += 32;
        } else if (direction == 2 && c->Top() < bottom) {
            c->Set_Top(c->Top() + Lever_Step);
            v -= 32;
        }
    } else if (p == 2) {
        if (c->Top() > top) {
            c->Set_Top(c->Top() - Lever_Step);
            v += 64;
        } else if (c->Top() < bottom) {
            c->Set_Top(c->Top() + Lever_Step);
            v -= 64;
        }
    }
    // A cap out of step with its byte (after a drag) must not carry it past the range.
    Patch_Data[p] = static_cast<std::uint8_t>(std::clamp(v, 0, 127));
    Patch_Param_Send(p);
    Tone_Saved = false;
}

// ---- Light buttons -----------------------------------------------------------------------------

void Patch::Key_Mode_Click(int i) {
    Focus_Pic_Reset();
    Focus_Control = Key_Mode[i];
    Key_Mode_Index = i;
    const Quorlen& m = Quorlen::get();
    for (Pic_Control* b : Key_Mode) b->Set_Picture(m.LED[0]);
    Key_Mode[i]->Set_Picture(m.LED[1]);
    Patch_Param_Set(3, key_mode_value[i]);
}

void Patch::After_Touch_Click(int i) {
    Focus_Pic_Reset();
    Focus_Control = After_Touch[i];
    After_Touch_Index = i;
    const Quorlen& m = Quorlen::get();
    for (Pic_Control* b : After_Touch) b->Set_Picture(m.LED[0]);
    After_Touch[i]->Set_Picture(m.LED[1]);
    Patch_Param_Set(4, after_touch_value[i]);
}

void Patch::Led_Key(Pic_Control* c, int key, int shift) {
    const bool key_mode = Spec_Of(c).kind == P::Key_Mode_Led;
    // Up moves the light upwards in both groups: key modes count down the
    // column, after-touch modes up it.
    const int up = key_mode ? -1 : 1;
    const int last = key_mode ? 5 : 3;
    int& index = key_mode ? Key_Mode_Index : After_Touch_Index;
    switch (key) {
    case Vk::Up:
    case Vk::Prior:
    case Vk::Down:
    case Vk::Next: {
        const int d = (key == Vk::Up || key == Vk::Prior) ? up : -up;
        index = std::clamp(index + d, 0, last);
        if (key_mode)
            Key_Mode_Click(index);
        else
            After_Touch_Click(index);
        break;
    }
    case Vk::Tab:
        if (key_mode && (shift & 1)) {
            Pitch_Bend_Range->setFocus(Qt::BacktabFocusReason);
        } else if (key_mode) {
            Focus_Pic_Reset();
            After_Touch[After_Touch_Index]->setFocus(Qt::TabFocusReason);
        } else if (shift & 1) {
            Focus_Pic_Reset();
            Key_Mode[Key_Mode_Index]->setFocus(Qt::BacktabFocusReason);
        } else {
            Focus_Pic_Reset();
            UDTune->setFocus(Qt::TabFocusReason);
        }
        break;
    default:
        break;
    }
}

bool Patch::eventFilter(QObject* watched, QEvent* event) {
    // Tab in a light group jumps by the group's own rule, not the window's order.
    if (event->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(event);
        if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) {
            const bool back = k->key() == Qt::Key_Backtab || (k->modifiers() & Qt::ShiftModifier);
            Led_Key(static_cast<Pic_Control*>(watched), Vk::Tab, back ? 1 : 0);
            return true;
        }
    }
    return Mdi_Form::eventFilter(watched, event);
}

// ---- Detune knob -------------------------------------------------------------------------------

void Patch::Knob_Key(Pic_Control* c, int key) {
    // The arrows turn the knob only on its body.
    Edit_Value = Patch_Data[6];
    Fine_Key_Step(Edit_Value, key, Spec_Of(c).kind == P::Knob);
    Knob_Apply();
}

void Patch::Knob_Drag(double x) {
    Edit_Value = Patch_Data[6];
    Fine_Drag_Step(Edit_Value, x, false);
    Knob_Apply();
}

void Patch::Knob_Apply() {
    Edit_Value = std::clamp(Edit_Value, 0.0, 127.0);
    Patch_Data[6] = static_cast<std::uint8_t>(Edit_Value);
    Knob_Display_Value = Knob_Val_PM50(Patch_Data[6]);
    Knob_Pointer_Set(12, 10, 3);
    Patch_Param_Set(6, static_cast<int>(Edit_Value));
}

// ---- Events of the controls
// ------------------------------------------------------------------------

void Patch::Control_GotFocus(Pic_Control* c) {
    // A light group's highlight belongs to its selected button, whichever took the focus.
    switch (Spec_Of(c).kind) {
    case P::Key_Mode_Led:
        Focus_Control = Key_Mode[Key_Mode_Index];
        break;
    case P::After_Touch_Led:
        Focus_Control = After_Touch[After_Touch_Index];
        break;
    default:
        Control_Host::Control_GotFocus(c);
        break;
    }
}

void Patch::Control_KeyDown(Pic_Control* c, int key, int shift) {
    if (key == Vk::Escape) {
        frame()->close();
        return;
    }
    const Patch_Control_Spec& s = Spec_Of(c);
    const bool up = key == Vk::Up || key == Vk::Prior;
    const bool down = key == Vk::Down || key == Vk::Next;
    switch (s.kind) {
    case P::Fader:
        Slider_KeyStep(s.travel_top, s.travel_bottom, s.param, key);
        break;
    case P::Bend_Lever:
    case P::Porta_Switch:
        if (up || down) Switch_Step(up ? 1 : 2, s.travel_top, s.travel_bottom, s.param);
        break;
    case P::Key_Mode_Led:
    case P::After_Touch_Led:
        Led_Key(c, key, shift);
        break;
    case P::Knob:
    case P::Knob_Pointer:
        Knob_Key(c, key);
        break;
    }
}

void Patch::Control_MouseDown(Pic_Control* c, int, int, double, double) {
    const Patch_Control_Spec& s = Spec_Of(c);
    switch (s.kind) {
    case P::Fader:
    case P::Knob:
    case P::Knob_Pointer:
        Patch_Param_Set(s.param, Patch_Data[s.param]);
        break;
    case P::Porta_Switch:
        Switch_Step(1, s.travel_top, s.travel_bottom, s.param);
        break;
    default:
        break;
    }
}

void Patch::Control_MouseMove(Pic_Control* c, int button, int, double x, double y) {
    if (button <= 0) return;
    const Patch_Control_Spec& s = Spec_Of(c);
    switch (s.kind) {
    case P::Fader:
        Slider_Drag(s.travel_top, s.travel_bottom, s.param, y);
        break;
    case P::Bend_Lever:
        Switch_Drag(s.travel_top, s.travel_bottom, s.param, y);
        break;
    case P::Knob:
    case P::Knob_Pointer:
        Knob_Drag(x);
        break;
    default:
        break;
    }
}

void Patch::Control_MouseUp(Pic_Control* c, int, int, double x, double y) {
    // A click: pressed and released on the same button.
    if (!c->rect().contains(QPoint(static_cast<int>(x), static_cast<int>(y)))) return;
    const Patch_Control_Spec& s = Spec_Of(c);
    if (s.kind == P::Key_Mode_Led) Key_Mode_Click(s.group);
    if (s.kind == P::After_Touch_Led) After_Touch_Click(s.group);
}

// ---- Whole patch
// -------------------------------------------------------------------------------------

void Patch_Redraw() {
    Patch* w = Patch::peek();
    if (!w) return;
    w->Pitch_Bend_Range->Set_Top(Patch_Switch_Pos(0));
    w->Portamento_Time->Set_Top(Patch_Switch_Pos(1));
    w->Portamento_Switch->Set_Top(Patch_Switch_Pos(2));
    w->Pitch_Bend_LFO->Set_Top(Patch_Switch_Pos(5));
    const Quorlen& m = Quorlen::get();
    for (int i = 0; i <= 5; ++i) {
        if (i < 4) w->After_Touch[i]->Set_Picture(m.LED[0]);
        w->Key_Mode[i]->Set_Picture(m.LED[0]);
    }
    // The selected buttons follow the lit ones, so a group never shows two lights
    // and its keys step from the light the user sees.
    Key_Mode_Index = Patch_Switch_Pos(3);
    After_Touch_Index = Patch_Switch_Pos(4);
    w->Key_Mode[Key_Mode_Index]->Set_Picture(m.LED[1]);
    w->After_Touch[After_Touch_Index]->Set_Picture(m.LED[1]);
    Knob_Draw("kn2fp", 10, 12, 3);
}

// ---- Panel
// ------------------------------------------------------------------------------------------

namespace {
using namespace Panel_Paint;

void patch_title(QPainter& p, int x0, int x1, int y, const char* text) {
    // A title that would fill its bar to the ends gets a smaller type.
    int px = 9;
    while (px > 7 && QFontMetrics(Font(px, true)).horizontalAdvance(text) > x1 - x0 - 4) --px;
    Title(p, QRect(x0, y, x1 - x0, 12), text, Accent, Font(px, true));
}

void marks(QPainter& p, int x, const std::vector<std::pair<int, const char*>>& at, bool right) {
    p.setFont(Font(8, false));
    p.setPen(Ink);
    for (auto [y, text] : at) {
        Draw_Caption(p, right ? QRect(x + 2, y - 5, 40, 10) : QRect(x - 42, y - 5, 40, 10),
                     (right ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter, text);
    }
}

void caption(QPainter& p, QRect r, const char* text) {
    p.setPen(Ink);
    p.setFont(Font(8, true));
    Draw_Caption(p, r, Qt::AlignCenter, text);
}
} // namespace

QPixmap Patch_Panel_Picture() {
    QPixmap pm = Brushed(288, 169);
    QPainter p(&pm);

    patch_title(p, 2, 70, 2, "PORTA");
    patch_title(p, 76, 146, 2, "BEND");
    patch_title(p, 151, 216, 2, "KEY MODE");
    patch_title(p, 221, 286, 2, "AFTER TOUCH");
    patch_title(p, 151, 286, 114, "UNISON DETUNE");
    Divider(p, 73, 2, 73, 166);
    Divider(p, 148, 2, 148, 166);
    Divider(p, 218, 2, 218, 110);
    Divider(p, 149, 111, 287, 111);

    // Portamento: time fader, on/off switch.
    Fader_Slot(p, 20, 28, 108);
    caption(p, QRect(2, 124, 54, 9), "TIME");
    p.setPen(Qt::NoPen);
    p.setBrush(Slot);
    p.drawRoundedRect(QRectF(25, 136, 6, 20), 3, 3);
    marks(p, 37, {{151, "OFF"}, {141, "ON"}}, true);

    // Bend: LFO depth fader and the range lever in semitones.
    Fader_Slot(p, 86, 28, 108);
    caption(p, QRect(70, 124, 48, 9), "LFO");
    p.setPen(Qt::NoPen);
    p.setBrush(Slot);
    p.drawRoundedRect(QRectF(122, 31, 6, 40), 3, 3);
    marks(p, 133, {{66, "2"}, {56, "3"}, {46, "4"}, {36, "7"}}, true);
    caption(p, QRect(104, 78, 42, 9), "RANGE");

    // Key mode, six lights from the top; after-touch, four from the bottom.
    marks(p, 167,
          {{24, "POLY 1"},
           {39, "POLY 2"},
           {54, "UNI 1"},
           {69, "UNI 2"},
           {84, "MONO 1"},
           {99, "MONO 2"}},
          true);
    marks(p, 237, {{69, "OFF"}, {54, "VIB"}, {39, "BRILL"}, {24, "VOL"}}, true);

    // Unison detune knob with its scale.
    Knob_Ticks(p, QPointF(175, 145), 10, 30.0);
    p.setFont(Font(7, false));
    p.setPen(Ink_Dim);
    // Clear of the end ticks, as on the tone editor's fine-tune knob.
    Draw_Caption(p, QRect(145, 155, 18, 9), Qt::AlignRight, "-50");
    Draw_Caption(p, QRect(187, 155, 18, 9), Qt::AlignLeft, "+50");
    return pm;
}
