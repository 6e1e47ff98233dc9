#include "sequencer/oscillator.h"
#include "app/app_style.h"
#include "app/main_module.h"
#include "app/quorlen.h"
#include "midi/midi_port.h"
#include "midi/routines.h"
#include "midi/sysex.h"
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <utility>

std::uint8_t Osc_Step_Pos = 0;

void Oscillator_Reset() {
    Osc_Step_Pos = 0;
}

namespace {
constexpr int Step_Width = 7;
constexpr int Area = 127; // the last pixel of the drawing, both ways

QFont small_font(const QWidget* w) {
    QFont f = w->font();
    f.setPointSizeF(8.0 / Screen_Scale);
    return f;
}
} // namespace

Oscillator::Oscillator() : Mdi_Form("Oscillator") {
    setObjectName("Oscillator");
    Picture1 = new Osc_Picture(this);
    for (int i = 0; i < 10; ++i) {
        Osc_Wave[i] = new Osc_Light(this, "Osc_Wave");
        Osc_Wave[i]->setToolTip(QStringList{"Sawtooth", "Ramp", "Square", "Triangle", "Sine",
                                            "Rectified sine", "Pulse", "Alternating",
                                            "Custom (double-click: flat)", "Random"}[i]);
    }
    Osc_Invert = new Osc_Light(this, "Osc_Invert");
    Combo1 = new QComboBox(this);
    Combo1->setObjectName("Combo1");
    VScrollA = new Osc_Bar(this, "VScrollA", 127, 0, 1);
    VScrollDelta = new Osc_Bar(this, "VScrollDelta", 64, -64, 1);
    Osc_Time = new Osc_Bar(this, "Osc_Time", 999, 0, 50);
    Timer_Osc = new QTimer(this);
    Timer_Osc->setTimerType(Qt::PreciseTimer);
    Timer_Osc->setInterval(500);
    Osc_Start = new Picture_Button(this, "Osc_Start", Picture_Button::Button_3D);
    Osc_Stop = new Picture_Button(this, "Osc_Stop", Picture_Button::Button_3D);
    auto label = [this](const char* name) {
        auto* l = new QLabel(this);
        l->setObjectName(name);
        return l;
    };
    Label1 = label("Label1");
    Label2 = label("Label2");
    Label3 = label("Label3");
    Label4 = label("Label4");

    for (int i = 0; i < 10; ++i) {
        connect(Osc_Wave[i], &Picture_Box::Mouse_Down, this, [this] { skip_click_ = false; });
        connect(Osc_Wave[i], &Picture_Box::Click, this, [this, i] {
            if (std::exchange(skip_click_, false)) return;
            Osc_Wave_Click(i);
        });
        connect(Osc_Wave[i], &Picture_Box::Dbl_Click, this, [this, i] {
            skip_click_ = true;
            Osc_Wave_DblClick(i);
        });
    }
    connect(Osc_Invert, &Picture_Box::Click, this, &Oscillator::Osc_Invert_Click);
    connect(Combo1, &QComboBox::currentIndexChanged, this, &Oscillator::Combo1_Click);
    connect(VScrollA, &QScrollBar::valueChanged, this, &Oscillator::VScrollA_Change);
    connect(VScrollDelta, &QScrollBar::valueChanged, this, &Oscillator::VScrollDelta_Change);
    connect(Osc_Time, &QScrollBar::valueChanged, this, &Oscillator::Osc_Time_Change);
    connect(Picture1, &Osc_Picture::Mouse_Move, this, &Oscillator::Picture1_MouseMove);
    connect(Picture1, &Osc_Picture::Mouse_Up, this, &Oscillator::Picture1_MouseUp);
    connect(Osc_Start, &Picture_Box::Mouse_Down, this, &Oscillator::Osc_Start_MouseDown);
    connect(Osc_Start, &Picture_Box::Click, this, &Oscillator::Osc_Start_Click);
    connect(Osc_Stop, &Picture_Box::Mouse_Down, this, &Oscillator::Osc_Stop_MouseDown);
    connect(Osc_Stop, &Picture_Box::Mouse_Up, this, &Oscillator::Osc_Stop_MouseUp);
    connect(Osc_Stop, &Picture_Box::Click, this, &Oscillator::Osc_Stop_Click);
    connect(Timer_Osc, &QTimer::timeout, this, &Oscillator::Timer_Osc_Timer);
}

Oscillator::~Oscillator() = default;

void Oscillator::Form_Load() {
    Set_Outer_Size(394, 192);

    int x = 0;
    for (int i = 0; i < Osc_Steps; ++i) {
        Picture1->Line1[i] = {x, 63, x + Step_Width, 63, true};
        if (i < 17) Picture1->VLine[i] = {x + Step_Width, 0, x + Step_Width, Area, true};
        x += Step_Width;
    }
    Osc_Pen = 63;
    for (int i = Osc_Steps; i < 2 * Osc_Steps; ++i) Picture1->Line1[i].visible = false;
    Picture1->TimeLine = {0, 0, 0, Area, true};
    Picture1->ZLine1 = Picture1->ZLine2 = {61, 63, 66, 63, true};

    // Each assignment runs its change handler, also where the value is already there.
    const auto set = [this](Osc_Bar* bar, int value, void (Oscillator::*changed)()) {
        const QSignalBlocker quiet(bar);
        bar->Set_Value(value);
        (this->*changed)();
    };
    set(VScrollDelta, 0, &Oscillator::VScrollDelta_Change);
    set(VScrollA, 64, &Oscillator::VScrollA_Change);
    set(Osc_Time, 500, &Oscillator::Osc_Time_Change);

    Osc_Pics();
    Osc_Invert->Tag.clear();
    Osc_Wave_Click(0);
    Combo1->setCurrentIndex(0);
    Combo1_Click();
}

void Oscillator::Osc_Pics() {
    const Quorlen& m = Quorlen::get();
    Osc_Start->Set_Face(m.Button_Up3D, false);
    Osc_Stop->Set_Face(m.Button_Up3D, false);
    Osc_Start->Caption()->Set_Picture(m.Start_Enabled);
    Osc_Stop->Caption()->Set_Picture(m.Stop_Enabled);
    // Readable while the stock has no start and stop symbols.
    Osc_Start->Caption()->Set_Fallback_Text(QString(QChar(0x25B6)));
    Osc_Stop->Caption()->Set_Fallback_Text(QString(QChar(0x25A0)));

    {
        const QSignalBlocker quiet(Combo1);
        for (const Osc_Target& t : Osc_Param_List) Combo1->addItem(t.text);
    }

    for (int i = 0; i < 10; ++i) {
        Osc_Wave[i]->setGeometry(i % 2 == 0 ? 234 : 311, 74 + 16 * (i / 2), 14, 14);
        Osc_Wave[i]->Set_Look(0);
    }
    Osc_Invert->setGeometry(234, 52, 14, 14);
    Osc_Invert->Set_Look(0);

    const QFont small = small_font(this);
    Combo1->setFont(small);
    Combo1->setGeometry(233, 25, 147, Combo1->sizeHint().height());
    Picture1->setGeometry(98, 5, 130, 130);
    VScrollDelta->setGeometry(9, 22, 15, 100);
    VScrollA->setGeometry(37, 22, 15, 100);
    Osc_Time->setGeometry(66, 22, 15, 100);
    Osc_Start->setGeometry(133, 138, 22, 22);
    Osc_Stop->setGeometry(163, 138, 22, 22);
    for (Picture_Button* b : {Osc_Start, Osc_Stop}) b->Caption()->setGeometry(3, 3, 14, 14);

    struct Place {
        QLabel* label;
        QRect at;
        bool centred;
    };
    // The centred numbers stand two pixels wider on each side than their 19:
    // three digits of the small type need 21.
    for (const Place& p :
         {Place{Label1, {61, 128, 23, 13}, true}, Place{Label2, {306, 5, 22, 13}, false},
          Place{Label3, {5, 128, 23, 13}, true}, Place{Label4, {33, 128, 23, 13}, true}}) {
        p.label->setGeometry(p.at);
        p.label->setFont(small);
        if (p.centred) p.label->setAlignment(Qt::AlignCenter);
    }
}

void Oscillator::paintEvent(QPaintEvent*) {
    // The window's background: captions of the bars, the value and Invert, and
    // a symbol of each preset beside its button.
    QPainter p(this);
    p.setFont(small_font(this));
    p.setPen(palette().color(QPalette::WindowText));
    const int caption_left[] = {9, 37, 66};
    const char* captions[] = {"Offs", "Ampl", "ms"};
    for (int i = 0; i < 3; ++i)
        Draw_Caption(p, QRect(caption_left[i] - 8, 5, 31, 14), Qt::AlignCenter, captions[i]);
    Draw_Caption(p, QRect(233, 5, 70, 13), Qt::AlignRight | Qt::AlignVCenter, "Value:");
    Draw_Caption(p, QRect(252, 52, 60, 14), Qt::AlignLeft | Qt::AlignVCenter, "Invert");

    // Fixed shapes stand for the custom and the random preset.
    static const std::array<int, Osc_Steps> custom = {63, 70, 80, 88, 90, 84, 70, 56, 48,
                                                      46, 52, 64, 40, 34, 44, 60, 66, 63};
    static const std::array<int, Osc_Steps> random = {40, 90, 60, 30, 80, 50, 96, 36, 70,
                                                      44, 88, 32, 64, 92, 48, 76, 34, 58};
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0, 0x60, 0x80), 1.2));
    for (int i = 0; i < 10; ++i) {
        std::array<int, Osc_Steps> base{};
        double pen = 63;
        if (i == 8)
            base = custom;
        else if (i == 9)
            base = random;
        else
            Osc_Preset_Bases(i, base, pen);
        // As in the drawing: a larger base stands lower.
        const double left = (i % 2 == 0 ? 234 : 311) + 19, top = 74 + 16 * (i / 2) + 1;
        auto y = [top](int b) { return top + (std::clamp(b, 24, 100) - 24) * 12.0 / 76.0; };
        QPainterPath path;
        for (int s = 0; s < Osc_Steps; ++s) {
            const double x = left + s * 2.5;
            if (s == 0)
                path.moveTo(x, y(base[s]));
            else
                path.lineTo(x, y(base[s]));
            path.lineTo(x + 2.5, y(base[s]));
        }
        p.drawPath(path);
    }
}

void Oscillator::Unload() {
    Unload_Instance(&Oscillator::Form_QueryUnload);
}

void Oscillator::closeEvent(QCloseEvent* event) {
    Unload_Form(&Oscillator::Form_QueryUnload);
    event->accept();
}

void Oscillator::Form_QueryUnload() {
    Timer_Osc_Set(false);
    closed_ = true;
}

void Oscillator::Timer_Osc_Set(bool on) {
    timer_on_ = on && !closed_;
    // An interval of 0 does not tick: the oscillator stands still.
    if (timer_on_ && Timer_Osc->interval() > 0)
        Timer_Osc->start();
    else
        Timer_Osc->stop();
}

void Oscillator::Combo1_Click() {
    const int i = Combo1->currentIndex();
    if (i < 0 || i >= static_cast<int>(Osc_Param_List.size())) return;
    Osc_Param = Osc_Param_List[i].number;
}

void Oscillator::Osc_Wave_Click(int index) {
    if (index < 0 || index >= 10) return;
    for (Osc_Light* w : Osc_Wave) w->Set_Look(0);
    Osc_Wave[index]->Set_Look(3);
    Osc_Preset_Bases(index, Osc_Base, Osc_Pen);
    if (Osc_Invert->Tag == "1")
        for (int& b : Osc_Base) b = 127 - b;
    Osc_Recalc();
}

void Oscillator::Osc_Wave_DblClick(int index) {
    if (index == 8) Osc_Base.fill(64);
    Osc_Recalc();
}

void Oscillator::Osc_Invert_Click() {
    for (int& b : Osc_Base) b = 127 - b;
    Osc_Recalc();
    if (Osc_Invert->Tag == "1") {
        Osc_Invert->Tag = "0";
        Osc_Invert->Set_Look(0);
    } else {
        Osc_Invert->Tag = "1";
        Osc_Invert->Set_Look(4);
    }
}

void Oscillator::VScrollA_Change() {
    Label4->setText(QString::number(VScrollA->Value()));
    Osc_Recalc();
}

void Oscillator::VScrollDelta_Change() {
    const int d = VScrollDelta->Value();
    Label3->setText(QString::number(d));
    Picture1->HLine = {0, 63 - d, Area, 63 - d, true};
    Osc_Recalc();
}

void Oscillator::Osc_Time_Change() {
    const int ms = Osc_Time->Value();
    Label1->setText(QString::number(ms));
    Timer_Osc->setInterval(ms);
    Timer_Osc_Set(timer_on_);
}

void Oscillator::Osc_Recalc() {
    const int a = VScrollA->Value(), d = VScrollDelta->Value();
    for (int i = 0; i < Osc_Steps; ++i) {
        const double t = a / 64.0 * Osc_Base[i] + 63 - a - d;
        const int level = std::clamp(static_cast<int>(std::trunc(t)), 0, Area);
        Osc_Level[i] = level;
        Picture1->Line1[i].y1 = Picture1->Line1[i].y2 = level;
    }
    CheckVLines();
}

void Oscillator::CheckVLines() {
    for (int i = 1; i < Osc_Steps; ++i) {
        Osc_Line& c = Picture1->Line1[Osc_Steps + i];
        c = {Step_Width * i, Osc_Level[i], Step_Width * i, Osc_Level[i - 1],
             Osc_Level[i] != Osc_Level[i - 1]};
    }
    Picture1->update();
}

void Oscillator::Picture1_MouseMove(Qt::MouseButtons buttons, int x, int y) {
    const int a = VScrollA->Value(), d = VScrollDelta->Value();
    // The amplitude divides below.
    if (a == 0 || buttons == Qt::NoButton) return;
    if (buttons == Qt::LeftButton) {
        y = std::clamp(y, 0, Area);
        Label2->setText(QString::number(Area - y));
        if (x >= 0) {
            const int step = std::min(x / Step_Width, Osc_Steps - 1);
            Picture1->Line1[step].y1 = Picture1->Line1[step].y2 = y;
        }
    }
    for (int i = 0; i < Osc_Steps; ++i) {
        Osc_Level[i] = Picture1->Line1[i].y1;
        const float base =
            static_cast<float>(Osc_Level[i] + d + a - 63) / static_cast<float>(a) * 64.0f;
        Osc_Base[i] = static_cast<int>(std::nearbyint(base));
    }
    CheckVLines();
}

void Oscillator::Picture1_MouseUp() {
    for (Osc_Light* w : Osc_Wave) w->Set_Look(0);
    Osc_Wave[8]->Set_Look(2);
}

void Oscillator::Osc_Start_Click() {
    Osc_Step_Pos = 0;
    Osc_Step();
    Timer_Osc_Set(true);
}

void Oscillator::Osc_Stop_Click() {
    Timer_Osc_Set(false);
    Picture1->TimeLine.x1 = Picture1->TimeLine.x2 = 0;
    Picture1->update();
    Osc_Step_Pos = 0;
}

void Oscillator::Osc_Start_MouseDown() {
    Btn_Down(*Osc_Start);
}
void Oscillator::Osc_Stop_MouseDown() {
    Btn_Down(*Osc_Stop);
}

void Oscillator::Osc_Stop_MouseUp() {
    Btn_Up(*Osc_Stop);
    Btn_Up(*Osc_Start);
}

void Oscillator::Timer_Osc_Timer() {
    Osc_Step();
}

void Oscillator::Osc_Step() {
    if (Osc_Step_Pos >= Osc_Steps) Osc_Step_Pos = 0;
    Picture1->TimeLine.x1 = Picture1->TimeLine.x2 = Step_Width * Osc_Step_Pos;
    Picture1->update();
    const int v = Area - Osc_Level[Osc_Step_Pos];
    Label2->setText(QString::number(v));
    if (Osc_Param == Osc_Notes)
        MIDI_SendNote(v, 127);
    else
        Osc_SendValue(v);
    Osc_Step_Pos = Osc_Step_Pos > 16 ? 0 : Osc_Step_Pos + 1;
    Do_Events();
}

void Oscillator::Osc_SendValue(int v) {
    if (!Auto_Sending()) return;
    // Only the value and globals are used from here on: a message may let
    // other events run, the closing of this window included.
    const int target = Osc_Param;
    const auto send = [](const std::string& header, int param, int value) {
        // An empty header: the synthesizer has no such message; a bare
        // parameter, value and F7 would be malformed MIDI.
        if (!header.empty())
            Edit_Msg_Send(
                Param_Msg_Text(header, static_cast<unsigned>(param), static_cast<unsigned>(value)));
    };
    switch (target) {
    case Osc_Mixer_Cross:
        send(Hdr_Tone_IPR, 28, v);
        send(Hdr_Tone_IPR, 29, 127 - v);
        break;
    case Osc_Portamento:
        send(Hdr_Patch_IPR, 1, v);
        break;
    case Osc_Bend_LFO:
        send(Hdr_Patch_IPR, 5, v);
        break;
    default:
        if (target < 90) send(Hdr_Tone_IPR, target, v);
        break;
    }
}
