#include "sequencer/sequencer.h"
#include "app/app_style.h"
#include "app/dlg.h"
#include "app/main_module.h"
#include "app/quorlen.h"
#include "app/save_as.h"
#include "editors/audition.h"
#include "midi/midi_port.h"
#include "platform/host.h"
#include "platform/msgbox.h"
#include "sequencer/playback.h"
#include "sequencer/sequence.h"
#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <cmath>

namespace {
// The window's own pictures: 0 empty cell and light off, 1 light on,
// 2 full cell, 3 soft cell.
QPixmap cell_picture(QColor face, QColor edge) {
    QPixmap pm(10, 10);
    pm.fill(edge);
    QPainter p(&pm);
    p.fillRect(1, 1, 8, 8, face);
    p.setPen(face.lighter(150));
    p.drawLine(1, 1, 7, 1);
    p.drawLine(1, 1, 1, 7);
    return pm;
}

QPixmap caption_picture(const QString& text, int width, int height) {
    QPixmap pm(width, height);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    QFont f = p.font();
    f.setPixelSize(height);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::black);
    p.drawText(pm.rect(), Qt::AlignCenter, text);
    return pm;
}

// Keys whose tag is "w"; the others are black.
constexpr bool white_key(int i) {
    return i != 1 && i != 3 && i != 6 && i != 8 && i != 10;
}

const char* const Direction_Tips[10] = {
    "Forward",     "Backward",         "Back and forth",    "", "", "", "",
    "Random step", "Random direction", "Random at the ends"};
} // namespace

Seq_Picture::Seq_Picture(QWidget* parent, int left, int top, int width, int height,
                         const QString& name)
    : Picture_Box(parent, name) {
    setGeometry(left, top, width, height);
}

void Seq_Picture::mousePressEvent(QMouseEvent* e) {
    const QPoint at = e->position().toPoint();
    if (Mouse_Down)
        Mouse_Down(Mouse_Button(e->button()), Shift_State(e->modifiers()), at.x(), at.y());
}

void Seq_Picture::mouseReleaseEvent(QMouseEvent* e) {
    const QPoint at = e->position().toPoint();
    if (Mouse_Up) Mouse_Up(Mouse_Button(e->button()), Shift_State(e->modifiers()), at.x(), at.y());
    if (Click && e->button() == Qt::LeftButton && rect().contains(at)) Click();
}

// The second press of a double click is a press like any other (a grid cell toggles again).
void Seq_Picture::mouseDoubleClickEvent(QMouseEvent* e) {
    mousePressEvent(e);
}

Sequencer::Sequencer() : Mdi_Form("Sequencer") {
    setFixedSize(270, 198);
    setFocusPolicy(Qt::StrongFocus);
    // The lists must show their entries whole in their narrow widths.
    QFont small = font();
    small.setPixelSize(10);
    setFont(small);

    Seq_Matrix = new Seq_Picture(this, 44, 20, 96, 156);
    Seq_Matrix->Mouse_Down = [this](int b, int s, int x, int y) {
        Seq_Matrix_MouseDown(b, s, x, y);
    };
    Seq_Matrix_Image = QPixmap(96, 156);
    Seq_Matrix_Image.fill(QColor(0x30, 0x30, 0x30));

    for (int i = 0; i < 13; ++i) {
        Seq_Picture* key = new Seq_Picture(this, 2, 19 + 12 * (12 - i), 38, 12);
        key->Tag = white_key(i) ? "w" : "b";
        key->Mouse_Down = [this, i](int b, int, int, int) { Seq_Keys_MouseDown(i, b); };
        key->Mouse_Up = [this, i](int, int, int, int) { Seq_Keys_MouseUp(i); };
        Seq_Keys[i] = key;
    }
    for (int i = 0; i < 8; ++i) Seq_Clock[i] = new Seq_Picture(this, 44 + 12 * i, 5, 10, 10);

    const int dir_left[10] = {149, 190, 232, 0, 0, 0, 0, 232, 149, 190};
    for (int k : Direction_Index) {
        Seq_Picture* d = new Seq_Picture(this, dir_left[k], k < 7 ? 125 : 141, 14, 14);
        d->Tag = "0";
        d->setToolTip(Direction_Tips[k]);
        d->Click = [this, k] { Seq_Directions_Click(k); };
        Seq_Directions[k] = d;
    }

    const QPixmap own[4] = {cell_picture(QColor(0x50, 0x50, 0x50), Qt::black),
                            cell_picture(QColor(0x20, 0xE0, 0x20), Qt::black),
                            cell_picture(QColor(0xF0, 0x30, 0x20), Qt::black),
                            cell_picture(QColor(0x90, 0x50, 0x30), Qt::black)};
    const int legend_left[7] = {0, 0, 0, 0, 79, 111, 51};
    for (int i = 0; i < 7; ++i) {
        Seq_Pics[i] = new Seq_Picture(this, legend_left[i], 183, 10, 10);
        if (i < 4) {
            Seq_Pics[i]->Set_Picture(own[i]);
            Seq_Pics[i]->hide(); // the source pictures; only the legend shows
        }
    }

    Seq_Range = new QComboBox(this);
    Seq_Range->setGeometry(148, 77, 63, 21);
    connect(Seq_Range, &QComboBox::activated, this, [this] { Seq_Range_Click(); });
    Seq_Trans = new QComboBox(this);
    Seq_Trans->setGeometry(213, 77, 51, 21);
    connect(Seq_Trans, &QComboBox::activated, this, [this] { Seq_Trans_Click(); });

    Seq_Tempo = new QScrollBar(Qt::Horizontal, this);
    Seq_Tempo->setGeometry(148, 23, 117, 16);
    Seq_Tempo->setRange(1, 120);
    Seq_Tempo->setSingleStep(1);
    Seq_Tempo->setPageStep(30);
    Seq_Tempo->setValue(60);
    connect(Seq_Tempo, &QScrollBar::valueChanged, this, [this] { Seq_Tempo_Change(); });
    Seq_Tempo_Label = new QLabel(this);
    Seq_Tempo_Label->setGeometry(190, 4, 31, 14);
    Seq_Tempo_Label->setAlignment(Qt::AlignCenter);

    Seq_New = new Seq_Picture(this, 2, 4, 38, 12);
    Seq_New_Pic = new Seq_Picture(Seq_New, 8, 3, 22, 7);
    Seq_New_Pic->Set_Picture(caption_picture("NEW", 22, 7));
    Seq_New_Pic->setAttribute(Qt::WA_TransparentForMouseEvents);
    Seq_New->Mouse_Down = [this](int, int, int, int) { Seq_New_MouseDown(); };
    Seq_New->Mouse_Up = [this](int, int, int, int) { Seq_New_MouseUp(); };

    Seq_Start = new Seq_Picture(this, 158, 170, 22, 22, "Seq_Start");
    Seq_Start_Pic = new Seq_Picture(Seq_Start, 3, 3, 16, 16, "Seq_Start_Pic");
    Seq_Start_Pic->setAttribute(Qt::WA_TransparentForMouseEvents);
    Seq_Start->Mouse_Down = [this](int, int, int, int) { Seq_Start_MouseDown(); };
    Seq_Start->Click = [this] { Seq_Start_Click(); };

    Seq_Stop = new Seq_Picture(this, 184, 170, 22, 22, "Seq_Stop");
    Seq_Stop_Pic = new Seq_Picture(Seq_Stop, 3, 3, 16, 16, "Seq_Stop_Pic");
    Seq_Stop_Pic->setAttribute(Qt::WA_TransparentForMouseEvents);
    Seq_Stop->Mouse_Down = [this](int, int, int, int) { Seq_Stop_MouseDown(); };
    Seq_Stop->Mouse_Up = [this](int, int, int, int) { Seq_Stop_MouseUp(); };
    Seq_Stop->Click = [this] { Seq_Stop_Click(); };

    // The letters choose the transposition wherever the focus is in the window.
    for (QWidget* w : {static_cast<QWidget*>(Seq_Range), static_cast<QWidget*>(Seq_Trans),
                       static_cast<QWidget*>(Seq_Tempo)})
        w->installEventFilter(this);
}

void Sequencer::Form_Load() {
    Move_To(static_cast<int>(Seq_Left / Twips_Per_Pixel_X()),
            static_cast<int>(Seq_Top / Twips_Per_Pixel_Y()));
    Seq_Form_Open = 255;
    Set_Caption(Seq_Caption());
    const Quorlen& main = Quorlen::get();
    Seq_New->Set_Picture(main.Seq_Keys[0]);
    Seq_Matrix->move(44, 20);
    Seq_New_Pic->move(8, 3);
    for (int i = 0; i <= 12; ++i) {
        Seq_Keys[12 - i]->move(2, 19 + 12 * i);
        Seq_Keys[i]->resize(38, 12);
        if (i < 8) Seq_Clock[i]->move(44 + 12 * i, 5);
        Seq_Keys[i]->Set_Picture(main.Seq_Keys[Seq_Keys[i]->Tag == "b" ? 1 : 0]);
    }
    Seq_Lights_Off();
    Seq_Redraw();

    Seq_Range->clear();
    Seq_Range->addItems({"C0..C1", "C1..C2", "C2..C3", "C3..C4", "C4..C5"});
    Seq_Range->setCurrentIndex(-1);
    Select_Range(Seq_Range_Index);

    Seq_Tempo->setValue(Seq_BPM);
    Seq_Tempo_Label->setText(QString::number(Seq_BPM));
    Seq_Tmr_Set_Interval();
    Seq_Pics_();
    if (MIDI_Enabled == 0) {
        Seq_Start_Pic->Set_Picture(main.Start_Disabled);
        Seq_Stop_Pic->Set_Picture(main.Stop_Disabled);
    }
    Seq_Directions_Click(0);

    Seq_Trans->clear();
    Seq_Trans->addItems({"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B", "C+"});
    Seq_Trans->setCurrentIndex(-1);
    Select_Trans(0);
    // A window of the document area shows as soon as it is loaded.
    Form_Show();
}

void Sequencer::Unload() {
    Unload_Instance(&Sequencer::Form_QueryUnload);
}

void Sequencer::closeEvent(QCloseEvent* e) {
    Unload_Form(&Sequencer::Form_QueryUnload);
    e->accept();
}

void Sequencer::Form_QueryUnload() {
    Quorlen& main = Quorlen::get();
    if (Seq_Running == 255) main.Seq_Tmr->stop();
    Editor_Seq_Stop_Click();
    Editor_Seq_Stop_MouseUp();
    Seq_SendAllNotesOff();
    Seq_Range_Index = static_cast<std::int16_t>(Seq_Range->currentIndex());
    if (main.Menu_Windows_SavePos->isChecked()) {
        Seq_Left = static_cast<int>(std::lround(frame()->x() * Twips_Per_Pixel_X()));
        Seq_Top = static_cast<int>(std::lround(frame()->y() * Twips_Per_Pixel_Y()));
    }
    Seq_Form_Open = 0;
    // An open dialog keeps its hold on the program: its own end releases it.
    if (Dlg_Open.isEmpty()) Dlg_End();
}

void Sequencer::Seq_Pics_() {
    const Quorlen& main = Quorlen::get();
    Seq_Directions[0]->Set_Picture(main.LED[1]);
    for (int k : {1, 2, 8, 9}) Seq_Directions[k]->Set_Picture(main.LED[0]);
    Seq_Pics[6]->Set_Picture(Seq_Pics[0]->Picture());
    Seq_Pics[5]->Set_Picture(Seq_Pics[2]->Picture());
    Seq_Pics[4]->Set_Picture(Seq_Pics[3]->Picture());
    Seq_Start->Set_Picture(main.Button_Up3D);
    Seq_Stop->Set_Picture(main.Button_Up3D);
    Seq_Start_Pic->Set_Picture(main.Start_Enabled);
    Seq_Stop_Pic->Set_Picture(main.Stop_Enabled);
    Seq_Start_Pic->move(3, 3);
    Seq_Stop_Pic->move(3, 3);
}

void Sequencer::Paint_Cell(int i) {
    const int v = Seq_Data[i];
    const int pic = v == 127 ? 2 : v == 63 ? 3 : 0;
    QPainter p(&Seq_Matrix_Image);
    p.drawPixmap((i / 13) * 12, (i % 13) * 12, Seq_Pics[pic]->Picture());
}

void Sequencer::Seq_Redraw() {
    for (int i = 0; i < 104; ++i) Paint_Cell(i);
    Seq_Matrix->Set_Picture(Seq_Matrix_Image);
}

void Sequencer::Seq_Light(int step, bool on) {
    if (step < 0 || step > 7) return;
    Seq_Clock[step]->Set_Picture(Seq_Pics[on ? 1 : 0]->Picture());
}

void Sequencer::Seq_Lights_Off() {
    for (int i = 0; i < 8; ++i) Seq_Light(i, false);
}

bool Sequencer::Direction_On(int index) const {
    return Seq_Directions[index] && Seq_Directions[index]->Tag.toInt() == 1;
}

void Sequencer::Seq_Directions_Click(int index) {
    const Quorlen& main = Quorlen::get();
    for (int k : Direction_Index) {
        Seq_Directions[k]->Set_Picture(main.LED[0]);
        Seq_Directions[k]->Tag = "0";
    }
    Seq_Directions[index]->Set_Picture(main.LED[1]);
    Seq_Directions[index]->Tag = "1";
    Seq_Direction = index == 1 ? 1 : 0;
}

void Sequencer::Seq_Matrix_MouseDown(int button, int, int x, int y) {
    // Only inside the grid: a cell index beyond the last would be no cell.
    if (x < 0 || y < 0 || x >= 96 || y >= 156) return;
    const int i = (x / 12) * 13 + (y / 12);
    std::uint8_t& cell = Seq_Data[i];
    if (button == 1)
        cell = cell >= 127 ? 0 : 127;
    else if (button == 2)
        cell = cell == 63 ? 0 : 63;
    Paint_Cell(i);
    Seq_Matrix->Set_Picture(Seq_Matrix_Image);
    Seq_Saved = 0;
    if (MIDI_Enabled == 1) ED_Seq_Pics_On();
}

void Sequencer::Seq_Keys_MouseDown(int index, int button) {
    const Quorlen& main = Quorlen::get();
    Seq_Keys[index]->Set_Picture(main.Seq_Keys[Seq_Keys[index]->Tag == "w" ? 2 : 3]);
    if (MIDI_Enabled != 1) return;
    if (MIDI_Out_Port.Handle == -1) MIDI_Out_Open();
    const int note = Seq_Base_Note + index;
    if (button == 1 && note <= 127)
        Seq_SendNote(note, 127);
    else if (button == 2)
        Seq_SendAllNotesOff();
}

void Sequencer::Seq_Keys_MouseUp(int index) {
    Seq_Keys[index]->Set_Picture(Quorlen::get().Seq_Keys[Seq_Keys[index]->Tag == "w" ? 0 : 1]);
}

void Sequencer::Select_Range(int index) {
    // A base note from a file can give an index past the list's last entry.
    Seq_Range->setCurrentIndex(std::clamp(index, 0, Seq_Range->count() - 1));
    Seq_Range_Click();
}

void Sequencer::Select_Trans(int index) {
    Seq_Trans->setCurrentIndex(index);
    Seq_Trans_Click();
}

void Sequencer::Seq_Range_Click() {
    Seq_SendAllNotesOff();
    Seq_Trans_Click();
}

void Sequencer::Seq_Trans_Click() {
    Seq_Base_Note =
        static_cast<std::uint8_t>(24 + 12 * Seq_Range->currentIndex() + Seq_Trans->currentIndex());
}

void Sequencer::Seq_Tempo_Change() {
    Seq_BPM = static_cast<std::int16_t>(Seq_Tempo->value());
    Seq_Tempo_Label->setText(QString::number(Seq_BPM));
    Seq_Tmr_Set_Interval();
}

void Sequencer::Start_Pressed() {
    Seq_Start->Set_Picture(Quorlen::get().Button_Dn3D);
    Seq_Start_Pic->move(4, 4);
}

void Sequencer::Start_Released() {
    Seq_Start->Set_Picture(Quorlen::get().Button_Up3D);
    Seq_Start_Pic->move(3, 3);
}

void Sequencer::Seq_Start_MouseDown() {
    Start_Pressed();
    ED_Seq_Start_MouseDown(Editor_Audition());
}

void Sequencer::Seq_Start_Click() {
    if (MIDI_Enabled != 1) {
        Start_Released();
        return;
    }
    MIDI_Out_Open();
    if (Handler_Stopped()) return;
    Seq_Lights_Off();
    Seq_Step = Seq_Direction == 1 ? 7 : 0;
    Quorlen::get().Seq_Tmr->start();
    Seq_Running = 255;
}

void Sequencer::Seq_Stop_MouseDown() {
    Seq_Stop->Set_Picture(Quorlen::get().Button_Dn3D);
    Seq_Stop_Pic->move(4, 4);
}

void Sequencer::Seq_Stop_MouseUp() {
    Seq_Stop->Set_Picture(Quorlen::get().Button_Up3D);
    Seq_Stop_Pic->move(3, 3);
}

void Sequencer::Seq_Stop_Click() {
    Quorlen::get().Seq_Tmr->stop();
    Seq_Lights_Off();
    Seq_Step = 0;
    Seq_SendAllNotesOff();
    Seq_Running = 0;
    Start_Released();
    Editor_Seq_Stop_Click();
    Editor_Seq_Stop_MouseUp();
}

void Sequencer::Seq_New_MouseDown() {
    // Stopping closes the port, and the window may be closed meanwhile: then
    // the sequence stays as it is.
    Seq_Stop_Click();
    if (Handler_Stopped()) return;
    const Quorlen& main = Quorlen::get();
    Seq_New->Set_Picture(main.Seq_Keys[2]);
    Seq_New_Pic->move(9, 4);
    if (Seq_Saved == 0) {
        const int answer = Msg_Box("Save actual SEQUENCE first?", Mb::YesNoCancel | Mb::Question);
        if (Handler_Stopped()) return;
        if (answer == Mb::Yes) {
            const bool saved = SaveAs_SEQ();
            if (Handler_Stopped()) return;
            if (saved)
                New_SEQ();
            else
                Msg_Box("Sequence not saved.", Mb::OkOnly | Mb::Exclamation);
        } else if (answer == Mb::No) {
            Seq_Saved = 255;
        }
        Seq_New_MouseUp();
    }
    if (Seq_Saved == 255) New_SEQ();
}

void Sequencer::Seq_New_MouseUp() {
    Seq_New->Set_Picture(Quorlen::get().Seq_Keys[0]);
    Seq_New_Pic->move(8, 3);
}

void Sequencer::Form_KeyDown(int key_code, int shift) {
    int index = -1;
    switch (key_code) {
    case 'C':
        index = shift == 0 ? 0 : shift == 1 ? 1 : shift == 4 ? 12 : -1;
        break;
    case 'D':
        index = shift == 1 ? 3 : 2;
        break;
    case 'E':
        index = 4;
        break;
    case 'F':
        index = shift == 1 ? 6 : 5;
        break;
    case 'G':
        index = shift == 1 ? 8 : 7;
        break;
    case 'A':
        index = shift == 1 ? 10 : 9;
        break;
    case 'B':
    case 'H':
        index = 11;
        break;
    default:
        break;
    }
    if (index >= 0) Select_Trans(index);
}

void Sequencer::keyPressEvent(QKeyEvent* e) {
    Form_KeyDown(Virtual_Key(*e), Shift_State(e->modifiers()));
}

bool Sequencer::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(e);
        const int vk = Virtual_Key(*key);
        if (vk >= 'A' && vk <= 'H') {
            // The lists would take the letter as a search; here it transposes.
            Form_KeyDown(vk, Shift_State(key->modifiers()));
            return true;
        }
    }
    return Mdi_Form::eventFilter(watched, e);
}

void Sequencer::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QFont f = p.font();
    f.setPixelSize(9);
    p.setFont(f);
    p.setPen(Qt::black);
    Draw_Caption(p, QRect(148, 4, 40, 14), Qt::AlignLeft | Qt::AlignVCenter, "Tempo");
    Draw_Caption(p, QRect(148, 62, 61, 14), Qt::AlignLeft | Qt::AlignVCenter, "Range");
    Draw_Caption(p, QRect(213, 62, 51, 14), Qt::AlignLeft | Qt::AlignVCenter, "Transpose");
    Draw_Caption(p, QRect(148, 108, 116, 14), Qt::AlignLeft | Qt::AlignVCenter, "Direction");
    Draw_Caption(p, QRect(63, 181, 16, 14), Qt::AlignLeft | Qt::AlignVCenter, "off");
    Draw_Caption(p, QRect(91, 181, 20, 14), Qt::AlignLeft | Qt::AlignVCenter, "soft");
    Draw_Caption(p, QRect(123, 181, 20, 14), Qt::AlignLeft | Qt::AlignVCenter, "full");
}
