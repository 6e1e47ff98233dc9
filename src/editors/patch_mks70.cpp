#include "editors/patch_mks70.h"
#include "app/app_style.h"
#include "app/main_module.h"
#include "app/picture_store.h"
#include "app/quorlen.h"
#include "dialogs/picture_buttons.h"
#include "editors/panel_paint.h"
#include "instrument/instrument.h"
#include "midi/midi_port.h"
#include "midi/routines.h"
#include "midi/sysex.h"
#include "platform/host.h"
#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QTimer>
#include <algorithm>
#include <cmath>

QString MKS70_Patch_Name;
QString MKS70_Tone_Side;

void Patch_MKS70_Reset() {
    MKS70_Patch_Name.clear();
    MKS70_Tone_Side.clear();
}

// Panel order; LED rows and lever / fader / knob faces as the instrument prints them.
const std::array<MKS70_Panel_Spec, 31> MKS70_Panel_Controls{{
    {"Key_Mode(0)", -1, 8, 23, 14, 14, "DUAL", 'r'},
    {"Key_Mode(1)", -1, 8, 38, 14, 14, "SPLIT", 'r'},
    {"Key_Mode(2)", -1, 8, 53, 14, 14, "T-VOICE", 'r'},
    {"Key_Mode(3)", -1, 8, 68, 14, 14, "X-FADE", 'r'},
    {"Key_Mode(4)", -1, 8, 83, 14, 14, "WHOLE A", 'r'},
    {"Key_Mode(5)", -1, 8, 98, 14, 14, "WHOLE B", 'r'},
    {"Key_Assign(0)", -1, 255, 322, 14, 14, "POLY 1", 'r'},
    {"Key_Assign(1)", -1, 255, 337, 14, 14, "POLY 2", 'r'},
    {"Key_Assign(2)", -1, 255, 352, 14, 14, "UNISON 1", 'r'},
    {"Key_Assign(3)", -1, 255, 367, 14, 14, "UNISON 2", 'r'},
    {"Key_Assign(4)", -1, 255, 382, 14, 14, "MONO 1", 'r'},
    {"Key_Assign(5)", -1, 255, 397, 14, 14, "MONO 2", 'r'},
    {"Chase_Mode(0)", -1, 86, 189, 14, 14, "A-B", 'l'},
    {"Chase_Mode(1)", -1, 86, 174, 14, 14, "A-B-A", 'l'},
    {"Chase_Mode(2)", -1, 86, 159, 14, 14, "A-B-B", 'l'},
    {"UL_Balance", 8, 76, 29, 28, 26, "BALANCE", 'b'},
    {"Dual_Detune", 8, 76, 91, 28, 26, "DUAL DET", 'b'},
    {"Chromatic_Shift", 8, 111, 335, 28, 26, "CHROMA", 'a'},
    {"Bend_range", 2, 221, 196, 16, 16, "BEND RANGE", 'a'},
    {"Portamento_Sw", 2, 84, 393, 16, 16, "PORTA", 'a'},
    {"Bender", 2, 128, 393, 16, 16, "BENDER", 'a'},
    {"Hold", 2, 169, 393, 16, 16, "HOLD", 'a'},
    {"Chase_Play", 2, 85, 235, 16, 16, "PLAY", 'b'},
    {"Portamento", 6, 165, 236, 16, 16, "PORTA", 'b'},
    {"Chase_Level", 6, 8, 235, 16, 16, "LEVEL", 'b'},
    {"Chase_Time", 6, 47, 235, 16, 16, "TIME", 'b'},
    {"LFO_Mod_Depth", 6, 211, 397, 16, 16, "LFO", 'r'},
    {"Total_Volume", 6, 276, 236, 16, 16, "VOLUME", 'b'},
    {"AFT_Vibrato", 6, 143, 103, 16, 16, "VIB", 'b'},
    {"AFT_Brilliance", 6, 182, 103, 16, 16, "BRILL", 'b'},
    {"AFT_Volume", 6, 221, 103, 16, 16, "VOL", 'b'},
}};

namespace {
constexpr int Panel_W = 332, Panel_H = 421;
// The detune pointer circles the body's centre, where the plain pointer sits
// at 12, 5 (its value 0, straight up).
constexpr int Knob_X = 12, Knob_Y = 10;

using namespace Panel_Paint;
// The MKS-70's own accent, where the other panels have blue.
const QColor Orange(0xE0, 0x70, 0x40);

void title(QPainter& p, int x0, int x1, int y, const char* text) {
    Title(p, QRect(x0, y, x1 - x0, 12), text, Orange, Font(9, true));
}

QPixmap side_label(const QString& letter) {
    QPixmap pm(14, 14);
    pm.fill(QColor(0xC8, 0xC8, 0xC4));
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(0x10, 0x10, 0x10));
    p.setFont(Font(12, true));
    p.drawText(QRect(0, 0, 14, 14), Qt::AlignCenter, letter);
    return pm;
}
} // namespace

QStringList MKS70_Key_Names() {
    static const char* names[] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
    QStringList keys{"A0", "A#0", "B0"};
    for (int o = 1; o <= 7; ++o)
        for (const char* n : names) keys << QString(n) + QString::number(o);
    keys << "C8";
    return keys;
}

QPixmap MKS70_Panel_Picture() {
    QPixmap pm(Panel_W, Panel_H);
    pm.fill(Face);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    title(p, 4, 112, 5, "KEY MODE");
    title(p, 124, 256, 72, "AFTER TOUCH");
    title(p, 4, 112, 142, "CHASE");
    title(p, 124, 328, 142, "PERFORMANCE");
    title(p, 4, 245, 300, "CONTROL");
    title(p, 250, 328, 300, "KEY ASSIGN");
    p.setFont(Font(8, false));
    for (const MKS70_Panel_Spec& s : MKS70_Panel_Controls) {
        // Slots behind faders and levers.
        p.setPen(Qt::NoPen);
        p.setBrush(Slot);
        const int cx = s.left + s.width / 2;
        if (s.picture == 6)
            p.drawRoundedRect(QRectF(cx - 2, s.top - 12, 4, std::min(40, Panel_H - s.top + 8)), 2,
                              2);
        else if (s.picture == 2)
            p.drawRoundedRect(QRectF(cx - 3, s.top - 8, 6, 32), 3, 3);
        p.setPen(Ink_Dim);
        const QString text = s.label;
        switch (s.side) {
        case 'r':
            Draw_Caption(p, QRect(s.left + s.width + 4, s.top, 80, s.height), Qt::AlignVCenter,
                         text);
            break;
        case 'l':
            Draw_Caption(p, QRect(s.left - 84, s.top, 80, s.height),
                         Qt::AlignRight | Qt::AlignVCenter, text);
            break;
        case 'a':
            Draw_Caption(p, QRect(cx - 40, s.top - (s.picture == 8 ? 15 : 22), 80, 12),
                         Qt::AlignCenter, text);
            break;
        default: {
            // Clear of a title bar that may follow right below.
            const int below = s.picture == 6   ? s.top + 28
                              : s.picture == 2 ? s.top + 26
                                               : s.top + s.height + 1;
            Draw_Caption(p, QRect(cx - 40, below, 80, 12), Qt::AlignCenter, text);
        }
        }
    }
    // The two printed captions of the detune knob and the tone selector.
    Draw_Caption(p, QRect(165 + 14 - 40, 335 - 15, 80, 12), Qt::AlignCenter, "UNISON DET");
    Draw_Caption(p, QRect(124, 30, 60, 10), Qt::AlignLeft, "TONE");
    Draw_Caption(p, QRect(180, 30, 50, 10), Qt::AlignLeft, "NUMBER");
    Draw_Caption(p, QRect(238, 30, 84, 10), Qt::AlignLeft, "SPLIT POINT");
    // The maker's line along the bottom edge.
    p.setPen(Ink);
    p.setFont(Font(10, true));
    Draw_Caption(p, QRect(8, 372, 70, 20), Qt::AlignLeft | Qt::AlignVCenter, "MKS-70");
    p.setFont(Font(8, false));
    p.setPen(Ink_Dim);
    Draw_Caption(p, QRect(8, 392, 70, 12), Qt::AlignLeft, "SUPER JX");
    return pm;
}

Patch_MKS70::Patch_MKS70() : Mdi_Form("MKS-70 Patch Parameter") {
    setFixedSize(Panel_W, Panel_H);
    Shape1 = new QFrame(this);
    Shape1->setObjectName("Shape1");
    Shape1->setFrameShape(QFrame::Box);
    Shape1->setStyleSheet("QFrame#Shape1 { border: 1px solid #E07040; }");
    Shape1->setGeometry(118, 2, 210, 66);

    Patch_Name = new QLineEdit(this);
    Patch_Name->setObjectName("Patch_Name");
    Patch_Name->setGeometry(124, 8, 198, 20);
    Patch_Name->setAlignment(Qt::AlignCenter);

    Tone_A = new Picture_Button(this, "Tone_A", Picture_Button::Button_3D, side_label("A"));
    Tone_B = new Picture_Button(this, "Tone_B", Picture_Button::Button_3D, side_label("B"));
    Tone_A->setGeometry(124, 40, 22, 22);
    Tone_B->setGeometry(150, 40, 22, 22);
    for (Picture_Button* b : {Tone_A, Tone_B}) b->Caption()->resize(14, 14);
    connect(Tone_A, &Picture_Box::Click, this, &Patch_MKS70::Tone_A_Click);
    connect(Tone_B, &Picture_Box::Click, this, &Patch_MKS70::Tone_B_Click);

    Tone_Number = new QComboBox(this);
    Tone_Number->setObjectName("Tone_Number");
    Tone_Number->setGeometry(180, 40, 52, 22);
    Split_Point = new QComboBox(this);
    Split_Point->setObjectName("Split_Point");
    Split_Point->setGeometry(238, 40, 84, 22);
    // Only the user's choices store: filling and showing a side do not.
    connect(Split_Point, &QComboBox::activated, this, &Patch_MKS70::Split_Point_Change);
    connect(Tone_Number, &QComboBox::activated, this, &Patch_MKS70::Tone_Number_Change);

    for (std::size_t i = 0; i < MKS70_Panel_Controls.size(); ++i) {
        const MKS70_Panel_Spec& s = MKS70_Panel_Controls[i];
        auto* c = new Pic_Control(this, nullptr, s.name, {}, static_cast<int>(i));
        Panel[i] = c;
        if (s.picture == 8) {
            auto* ptr = new Pic_Control(c, nullptr, QString(s.name) + "_Knopf");
            c->Knob_Pointer = ptr;
            ptr->Knob_Body = c;
        }
    }
    UDTune = new Pic_Control(this, this, "UDTune", "kn2fp");
    UDTune_Knopf = new Pic_Control(UDTune, nullptr, "UDTune_Knopf", "kn2fp");
    // The pointer lies on the body; the body takes its mouse and keys.
    UDTune_Knopf->setAttribute(Qt::WA_TransparentForMouseEvents);
    UDTune->Knob_Pointer = UDTune_Knopf;
    UDTune_Knopf->Knob_Body = UDTune;
}

Pic_Control* Patch_MKS70::Panel_Control(const QString& name) const {
    for (Pic_Control* c : Panel)
        if (c->objectName() == name) return c;
    return nullptr;
}

void Patch_MKS70::Form_Load() {
    panel_ = Picture(Pic::MKS70_Panel);
    MKS70_Patch_Name = "TEST PATCH MKS-70";
    Patch_Name->setText(MKS70_Patch_Name);
    Tone_Number->clear();
    for (int k = 0; k <= 99; ++k) Tone_Number->addItem(QString::number(k + 1));
    Split_Point->clear();
    Split_Point->addItems(MKS70_Key_Names());
    Tone_Number->setCurrentIndex(0);
    Split_Point->setCurrentIndex(0);
    MKS70_Tone_Side.clear();
    Tone_A_Click();
    Patch_Pics();
    if (Quorlen::get().Menu_Windows_SavePos->isChecked())
        Move_To(static_cast<int>(Patch_Left / Twips_Per_Pixel_X()),
                static_cast<int>(Patch_Top / Twips_Per_Pixel_Y()));
    Set_Outer_Size(Panel_W + frame()->width() - frame()->contentsRect().width(),
                   Panel_H + frame()->height() - frame()->contentsRect().height());
}

void Patch_MKS70::Patch_Pics() {
    const Quorlen& m = Quorlen::get();
    for (std::size_t i = 0; i < MKS70_Panel_Controls.size(); ++i) {
        const MKS70_Panel_Spec& s = MKS70_Panel_Controls[i];
        Pic_Control* c = Panel[i];
        c->Set_Picture(s.picture < 0 ? m.LED[0] : m.Buttons[s.picture]);
        c->setGeometry(s.left, s.top, s.width, s.height);
        if (c->Knob_Pointer) {
            c->Knob_Pointer->Set_Picture(m.Buttons[4]);
            c->Knob_Pointer->setGeometry(12, 5, 4, 4);
        }
    }
    UDTune->Set_Picture(m.Buttons[8]);
    UDTune->setGeometry(165, 335, 28, 26);
    UDTune_Knopf->Set_Picture(m.Buttons[4]);
    UDTune_Knopf->resize(4, 4);
    // Keeps the pixel size of the text on screens of 120 pixels per inch.
    for (QWidget* w : {static_cast<QWidget*>(Patch_Name), static_cast<QWidget*>(Tone_Number),
                       static_cast<QWidget*>(Split_Point)}) {
        QFont f = w->font();
        f.setPointSizeF(8.0 / Screen_Scale);
        w->setFont(f);
    }
    // Tone_A_Click placed the pointer before the size above: place it again.
    Show_Side(MKS70_Tone_Side == "A" ? 20 : 21, MKS70_Tone_Side == "A" ? 29 : 38, Detune_Param());
}

void Patch_MKS70::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(0, 0, panel_);
}

// ---- Tone selection ------------------------------------------------------------------

void Patch_MKS70::Tone_A_Click() {
    const Quorlen& m = Quorlen::get();
    Tone_A->Set_Face(m.Button_Dn3D, true);
    Tone_A->Caption()->move(4, 4);
    Tone_B->Set_Face(m.Button_Up3D, false);
    Tone_B->Caption()->move(3, 3);
    Tone_A_Select();
}

void Patch_MKS70::Tone_B_Click() {
    const Quorlen& m = Quorlen::get();
    Tone_B->Set_Face(m.Button_Dn3D, true);
    Tone_B->Caption()->move(4, 4);
    Tone_A->Set_Face(m.Button_Up3D, false);
    Tone_A->Caption()->move(3, 3);
    Tone_B_Select();
}

// The lists hold the side they show; a selection keeps them in that side's
// bytes before showing the other. At load they show B's first entries.
// Selecting the side already shown only shows it again: copying it would
// overwrite the other side's bytes.
void Patch_MKS70::Tone_A_Select() {
    if (MKS70_Tone_Side != "A") {
        MKS70_Patch_Data[21] = static_cast<std::uint8_t>(Split_Point->currentIndex() + 21);
        MKS70_Patch_Data[38] = static_cast<std::uint8_t>(Tone_Number->currentIndex());
    }
    MKS70_Tone_Side = "A";
    Show_Side(20, 29, 32);
}

void Patch_MKS70::Tone_B_Select() {
    if (MKS70_Tone_Side == "A") {
        MKS70_Patch_Data[20] = static_cast<std::uint8_t>(Split_Point->currentIndex() + 21);
        MKS70_Patch_Data[29] = static_cast<std::uint8_t>(Tone_Number->currentIndex());
    }
    MKS70_Tone_Side = "B";
    Show_Side(21, 38, 41);
}

void Patch_MKS70::Show_Side(int split_byte, int tone_byte, int detune_byte) {
    // A byte outside the lists (0 before any selection stored one) shows and
    // becomes their first entry, so the lists never show what is not stored.
    std::uint8_t& split = MKS70_Patch_Data[split_byte];
    if (split < 21 || split > 108) split = 21;
    std::uint8_t& tone = MKS70_Patch_Data[tone_byte];
    if (tone > 99) tone = 0;
    Split_Point->setCurrentIndex(split - 21);
    Tone_Number->setCurrentIndex(tone);
    // The knob shows the selected tone's own detune.
    Knob_Display_Value = Knob_Val_PM50(MKS70_Patch_Data[detune_byte]);
    Place_Pointer();
}

// The pointer of this knob only, whichever control has the focus.
void Patch_MKS70::Place_Pointer() {
    const QPoint d = Knob_Offset(Knob_Display_Value, 3);
    UDTune_Knopf->Set_Pos(Knob_X - d.x(), Knob_Y - d.y());
}

void Patch_MKS70::Split_Point_Change() {
    const int index = Split_Point->currentIndex();
    if (index < 0) return;
    MKS70_Patch_Data[MKS70_Tone_Side == "A" ? 20 : 21] = static_cast<std::uint8_t>(index + 21);
}

void Patch_MKS70::Tone_Number_Change() {
    const int index = Tone_Number->currentIndex();
    if (index < 0) return;
    MKS70_Patch_Data[MKS70_Tone_Side == "A" ? 29 : 38] = static_cast<std::uint8_t>(index);
}

// ---- Detune knob -----------------------------------------------------------------------

void Patch_MKS70::Control_KeyDown(Pic_Control*, int key, int) {
    if (key == Vk::Escape) return Unload_Form(&Patch_MKS70::Form_QueryUnload);
    const int p = Detune_Param();
    // Only keypad +/- step by one: the arrows stay with the window.
    Edit_Value = MKS70_Patch_Data[p];
    Fine_Key_Step(Edit_Value, key, false);
    Knob_Apply(p);
}

void Patch_MKS70::Control_MouseDown(Pic_Control*, int, int, double, double) {
    const int p = Detune_Param();
    Patch_Param_Set(p, MKS70_Patch_Data[p]);
}

void Patch_MKS70::Control_MouseMove(Pic_Control*, int button, int, double x, double) {
    if (button <= 0) return;
    const int p = Detune_Param();
    Edit_Value = MKS70_Patch_Data[p];
    Fine_Drag_Step(Edit_Value, x, false);
    Knob_Apply(p);
}

void Patch_MKS70::Knob_Apply(int p) {
    MKS70_Patch_Data[p] = static_cast<std::uint8_t>(Edit_Value);
    Knob_Display_Value = Knob_Val_PM50(MKS70_Patch_Data[p]);
    Place_Pointer();
    Patch_Param_Set(p, static_cast<int>(Edit_Value));
}

void Patch_MKS70::Patch_Param_Set(int p, int v) {
    MKS70_Patch_Data[p] = static_cast<std::uint8_t>(v);
    if (Tone_Loading == 0) {
        if (p == 32 || p == 41) Patch_Name->setText(QString::number(Knob_Val_PM50(v)));
        Display_Timer_Restart();
    }
    Patch_Param_Send(p);
    Tone_Saved = false;
}

void Patch_MKS70::Patch_Param_Send(int p) {
    Param_Send(Patch_Param_Hdr(), static_cast<unsigned>(p), MKS70_Patch_Data[p]);
}

// ---- Closing ----------------------------------------------------------------------------

void Patch_MKS70::Form_QueryUnload() {
    if (Quorlen::get().Menu_Windows_SavePos->isChecked()) {
        Patch_Left = static_cast<int>(std::lround(frame()->x() * Twips_Per_Pixel_X()));
        Patch_Top = static_cast<int>(std::lround(frame()->y() * Twips_Per_Pixel_Y()));
    }
}

void Patch_MKS70::Unload() {
    Unload_Instance(&Patch_MKS70::Form_QueryUnload);
}

void Patch_MKS70::closeEvent(QCloseEvent* e) {
    Unload_Form(&Patch_MKS70::Form_QueryUnload);
    e->accept();
}

void Patch_MKS70::keyPressEvent(QKeyEvent* e) {
    if (Virtual_Key(*e) == Vk::Escape) return Unload_Form(&Patch_MKS70::Form_QueryUnload);
    Mdi_Form::keyPressEvent(e);
}
