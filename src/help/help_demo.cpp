#include "app/app_style.h"
#include "app/quorlen.h"
#include "editors/editor.h"
#include "editors/panel_paint.h"
#include "help/help.h"
#include "platform/host.h"
#include <QLabel>
#include <QPainter>
#include <algorithm>

namespace {
// The demonstration controls: value index, tag, plain picture, place, and its explanation.
struct Demo_Spec {
    const char* name;
    int index;
    const char* tag;
    int left, top, width, height;
    const char* info;
};
const QString Lever_Info = "Click and hold down a mouse button, move up or down.\n"
                           "Keyboard: up/down, page up/down, home/end, +/-";
const QString Fader_Info = "Click and hold down a mouse button, move up or down.\n"
                           "Keyboard: cursor up/down, page up/down, home/end, +/-";
const QString Knob_Info = "Click and hold down a mouse button and move left or right.\n"
                          "Keyboard: left/right, page up/down, home/end, +/-";
const QString Button_Info = "Click to change. Applies to:\n"
                            " Editor: VCA Mode, Portamento Switch\n"
                            " Patch: After Touch, Key Mode\n"
                            "Keyboard: cursor up/down, page up/down, home/end, +/-";

QString info_of(int index) {
    switch (index) {
    case 0:
        return Lever_Info;
    case 1:
        return Knob_Info;
    case 2:
        return Fader_Info;
    default:
        return Button_Info;
    }
}
} // namespace

QPixmap Howto_Background_Picture() {
    QPixmap pm(160, 112);
    pm.fill(Panel_Paint::Face);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(Panel_Paint::Slot);
    // The lever's slot (four positions, tops 5 to 35) and the switch's (two).
    p.drawRoundedRect(QRectF(13 + 9 - 3, 5 + 3, 6, 30 + 12), 3, 3);
    p.drawRoundedRect(QRectF(106 + 9 - 3, 5 + 3, 6, 10 + 12), 3, 3);
    // The fader's slot: cap tops 5 to 85.
    p.drawRoundedRect(QRectF(62 + 9 - 2, 5 + 4, 4, 80 + 10), 2, 2);
    QFont f("DejaVu Sans");
    f.setPixelSize(8);
    p.setFont(f);
    p.setPen(Panel_Paint::Ink_Dim);
    for (int i = 0; i < 4; ++i)
        Draw_Caption(p, QRect(33, 35 - 10 * i, 14, 18), Qt::AlignCenter, QString::number(4 - i));
    Draw_Caption(p, QRect(126, 5, 30, 18), Qt::AlignVCenter, "ON");
    Draw_Caption(p, QRect(126, 15, 30, 18), Qt::AlignVCenter, "OFF");
    for (int k = 0; k < 4; ++k)
        Draw_Caption(p, QRect(126, 40 + 15 * k, 20, 14), Qt::AlignVCenter, QString(QChar('A' + k)));
    for (int k = 0; k <= 10; ++k) {
        const int y = 85 + 9 - k * 8;
        p.drawLine(56, y, 58 + (k % 5 == 0 ? 2 : 0), y);
    }
    Draw_Caption(p, QRect(0, 96, 44, 14), Qt::AlignCenter, "TUNE");
    return pm;
}

QString Demo_Text(int index, int v) {
    switch (index) {
    case 0:
        return QString::number((127 - v) / 32 + 1);
    case 1:
        return QString::number(Knob_Val_PM12(v));
    case 2:
        return QString::number(v * 99 / 127);
    case 3:
        return v > 63 ? "ON" : "OFF";
    case 4:
        return v >= 0 && v <= 3 ? QString(QChar('A' + v)) : QString();
    default:
        return {};
    }
}

void Demo_Param_Set(int index, int value) {
    if (index < 0 || index > 8) return;
    Help_Demo_Bytes[index] = static_cast<std::uint8_t>(value);
    const QString text = Demo_Text(index, value);
    if (!text.isEmpty() && Help::loaded()) Help::get().HName->setText(text);
    Display_Timer_Restart();
}

void Help::Pic_Release() {
    auto* c = qobject_cast<Pic_Control*>(Focus_Control.data());
    if (!c || c->Host != this) return;
    Focus_Pic_Reset();
    // The lit LED button stays lit.
    if (c->Tag == "led" && c == LED_SW[Help_LED_SW_State]) c->Set_Picture(Quorlen::get().LED[1]);
}

void Help::Slider_KeyStep(int key) {
    Edit_Value = Help_Demo_Bytes[2];
    Fader_Key_Step(Edit_Value, key);
    // Every key shows the value, also one of no meaning.
    Demo_Param_Set(2, static_cast<int>(Edit_Value));
    Slider_Redraw();
}

void Help::Switch_KeyStep(int key) {
    int v = Help_Demo_Bytes[0];
    if (!Lever_Key_Step(v, key)) return;
    Demo_Param_Set(0, v);
    Switch_Redraw();
}

void Help::Slider_Drag(double y) {
    Edit_Value = std::clamp(Help_Demo_Bytes[2] - y, 0.0, 127.0);
    Demo_Param_Set(2, static_cast<int>(Edit_Value));
    Slider_Redraw();
}

void Help::Switch_Drag(double y) {
    const int v = static_cast<int>(std::clamp(Help_Demo_Bytes[0] - y, 0.0, 127.0));
    Demo_Param_Set(0, v);
    Switch_Redraw();
    Last_Param = 0;
    Last_Value = v;
}

void Help::Slider_Redraw() {
    Slider->Set_Top(Fader_Top(85, Help_Demo_Bytes[2]));
}

void Help::Switch_Redraw() {
    Pos_Sw->Set_Top(Quarter_Top(35, Help_Demo_Bytes[0]));
}

void Help::Toggle() {
    const bool on = Help_Demo_Bytes[3] <= 63;
    Switch->Set_Top(on ? 5 : 15);
    Demo_Param_Set(3, on ? 64 : 0);
}

void Help::LED_SW_Click(int k) {
    if (k < 0 || k > 3) return;
    LED_SW[k]->setFocus(Qt::MouseFocusReason);
    Focus_Control = LED_SW[k];
    Help_LED_SW_State = static_cast<std::uint8_t>(k);
    const Quorlen& m = Quorlen::get();
    for (int i = 0; i < 4; ++i) LED_SW[i]->Set_Picture(m.LED[i == k ? 1 : 0]);
    Demo_Param_Set(4, k);
}

namespace {
void place_tune_pointer(Pic_Control* pointer) {
    const QPoint d = Knob_Offset(Knob_Display_Value, 12);
    pointer->Set_Pos(12 - d.x(), 10 - d.y());
}
} // namespace

void Help::Control_GotFocus(Pic_Control* c) {
    Pic_Release();
    Focus_Control = c->Knob_Pointer ? c->Knob_Pointer : c;
    Info->setText(info_of(c->Index));
}

void Help::Control_LostFocus(Pic_Control*) {
    Pic_Release();
}

void Help::Control_KeyDown(Pic_Control* c, int key, int) {
    switch (c->Index) {
    case 0:
        Switch_KeyStep(key);
        break;
    case 1:
        Knob_Display_Value = Knob_Val_PM12(Help_Demo_Bytes[1]);
        Tune_Key_Step(Knob_Display_Value, key);
        place_tune_pointer(Tune_Knopf);
        Demo_Param_Set(1, Tune_Semi_To_Value(static_cast<int>(Knob_Display_Value)));
        break;
    case 2:
        Slider_KeyStep(key);
        break;
    case 3:
        if (Toggle_Key_Flips(key)) Toggle();
        break;
    case 4: {
        int k = Help_LED_SW_State;
        if (key == Vk::Down || key == Vk::Next)
            k = std::min(k + 1, 3);
        else if (key == Vk::Up || key == Vk::Prior)
            k = std::max(k - 1, 0);
        else
            break;
        LED_SW_Click(k);
        break;
    }
    default:
        break;
    }
}

void Help::Control_MouseDown(Pic_Control* c, int, int, double, double) {
    switch (c->Index) {
    case 1:
    case 2:
        Demo_Param_Set(c->Index, Help_Demo_Bytes[c->Index]);
        break;
    case 3:
        Toggle();
        break;
    case 4:
        for (int k = 0; k < 4; ++k)
            if (LED_SW[k] == c) LED_SW_Click(k);
        break;
    default:
        break;
    }
}

void Help::Control_MouseMove(Pic_Control* c, int button, int, double x, double y) {
    if (button <= 0) return;
    switch (c->Index) {
    case 0:
        Switch_Drag(y);
        break;
    case 1: {
        Knob_Display_Value = Knob_Val_PM12(Help_Demo_Bytes[1]);
        Tune_Drag_Step(Knob_Display_Value, x);
        place_tune_pointer(Tune_Knopf);
        Demo_Param_Set(1, Tune_Semi_To_Value(static_cast<int>(Knob_Display_Value)));
        break;
    }
    case 2:
        Slider_Drag(y);
        break;
    default:
        break;
    }
}
