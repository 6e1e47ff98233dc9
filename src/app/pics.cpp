// The picture stock every window draws its custom controls from, and the
// picture set-up of the JX-8P tone editor.
#include "app/picture_store.h"
#include "app/quorlen.h"
#include "editors/editor.h"
#include "editors/editor_juno.h"
#include "editors/knob_model.h"
#include "editors/patch.h"
#include "editors/patch_mks70.h"
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace {

// The highlight colour of a focused control: amber, as a lit panel lamp.
const QColor Hi(0xFF, 0xA8, 0x00);
const QColor Hi_Dark(0xB0, 0x60, 0x00);
const QColor Face(0xC8, 0xC8, 0xC4);

QPixmap blank(int w, int h, QColor fill = Qt::transparent) {
    QPixmap p(w, h);
    p.fill(fill);
    return p;
}

// A lever cap seen from the front: a small block with a grip line.
QPixmap lever(QColor body, QColor edge, QColor grip, bool lit) {
    QPixmap pm = blank(16, 16);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    if (lit) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xFF, 0xD0, 0x40, 110));
        p.drawRoundedRect(QRectF(0, 0, 16, 16), 3, 3);
    }
    QLinearGradient g(0, 2, 0, 14);
    g.setColorAt(0, body.lighter(135));
    g.setColorAt(1, body.darker(130));
    p.setBrush(g);
    p.setPen(QPen(edge, 1));
    p.drawRoundedRect(QRectF(2.5, 2.5, 11, 11), 2, 2);
    p.setPen(QPen(grip, 2));
    p.drawLine(QPointF(4.5, 8), QPointF(11.5, 8));
    return pm;
}

QPixmap fader_cap(bool lit) {
    QPixmap pm = blank(16, 16);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor body = lit ? Hi : QColor(0xD8, 0xD8, 0xD4);
    QLinearGradient g(0, 0, 0, 16);
    g.setColorAt(0, body.lighter(115));
    g.setColorAt(0.5, body);
    g.setColorAt(1, body.darker(150));
    p.setBrush(g);
    p.setPen(QPen(lit ? Hi_Dark : QColor(0x30, 0x30, 0x30), 1));
    p.drawRoundedRect(QRectF(0.5, 1.5, 15, 13), 2, 2);
    // The index line that reads against the scale.
    p.setPen(QPen(lit ? QColor(0x40, 0x10, 0x00) : QColor(0x10, 0x10, 0x10), 2));
    p.drawLine(QPointF(1.5, 8), QPointF(14.5, 8));
    return pm;
}

QPixmap knob_pointer(bool lit) {
    QPixmap pm = blank(4, 4);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(lit ? QColor(0xFF, 0x50, 0x00) : QColor(0xF4, 0xF4, 0xF0));
    p.drawEllipse(QRectF(0, 0, 4, 4));
    return pm;
}

QPixmap knob_body() {
    QPixmap pm = blank(28, 26);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    // Centred where the pointer circles: pointer centre (14, 12).
    const QPointF c(14, 12);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 90));
    p.drawEllipse(c + QPointF(1, 1.5), 11.5, 11.5);
    QRadialGradient g(c - QPointF(3, 4), 14);
    g.setColorAt(0, QColor(0x6A, 0x6A, 0x70));
    g.setColorAt(1, QColor(0x18, 0x18, 0x1C));
    p.setBrush(g);
    p.setPen(QPen(QColor(0x08, 0x08, 0x08), 1));
    p.drawEllipse(c, 11, 11);
    p.setPen(QPen(QColor(0x50, 0x50, 0x56), 1));
    p.setBrush(QColor(0x2C, 0x2C, 0x30));
    p.drawEllipse(c, 7.5, 7.5);
    return pm;
}

// The audition key, lying across: a white key seen from above.
QPixmap audition_key(bool down) {
    QPixmap pm = blank(43, 22);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, 22);
    g.setColorAt(0, down ? QColor(0xC0, 0xC0, 0xB8) : QColor(0xFF, 0xFF, 0xF8));
    g.setColorAt(1, down ? QColor(0x98, 0x98, 0x90) : QColor(0xD8, 0xD8, 0xD0));
    p.setBrush(g);
    p.setPen(QPen(QColor(0x20, 0x20, 0x20), 1));
    const QRectF r = down ? QRectF(1.5, 2.5, 40, 18) : QRectF(0.5, 0.5, 41, 19);
    p.drawRoundedRect(r, 2, 2);
    if (!down) {
        p.setPen(QPen(QColor(0x60, 0x60, 0x60), 2));
        p.drawLine(QPointF(2, 21), QPointF(41, 21));
    }
    return pm;
}

// Lamps in a square bezel: off, lit, check box, focus and disabled looks.
enum class Lamp { Off, On, Dim, Checked, Focus, Disabled, Checked_Disabled };
QPixmap lamp(Lamp k) {
    QPixmap pm = blank(14, 14);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const bool disabled = k == Lamp::Disabled || k == Lamp::Checked_Disabled;
    p.setPen(QPen(disabled ? QColor(0x80, 0x80, 0x80) : QColor(0x10, 0x10, 0x10), 1));
    p.setBrush(disabled ? QColor(0x9C, 0x9C, 0x9C) : QColor(0x38, 0x38, 0x3C));
    p.drawRoundedRect(QRectF(0.5, 0.5, 13, 13), 2, 2);
    QColor lampc;
    switch (k) {
    case Lamp::On:
        lampc = QColor(0xFF, 0x30, 0x20);
        break;
    case Lamp::Dim:
        lampc = QColor(0xA0, 0x30, 0x20);
        break;
    case Lamp::Checked:
        lampc = QColor(0x40, 0xE0, 0x40);
        break;
    case Lamp::Disabled:
    case Lamp::Checked_Disabled:
        lampc = QColor(0xB4, 0xB4, 0xB4);
        break;
    default:
        lampc = QColor(0x50, 0x10, 0x10);
        break;
    }
    if (k == Lamp::On || k == Lamp::Checked) {
        QRadialGradient glow(7, 7, 7);
        glow.setColorAt(0, lampc.lighter(160));
        glow.setColorAt(1, lampc);
        p.setBrush(glow);
    } else {
        p.setBrush(lampc);
    }
    p.setPen(QPen(QColor(0, 0, 0, 160), 1));
    p.drawEllipse(QPointF(7, 7), 4.2, 4.2);
    if (k == Lamp::Checked || k == Lamp::Checked_Disabled) {
        p.setPen(
            QPen(k == Lamp::Checked ? QColor(0x00, 0x30, 0x00) : QColor(0x70, 0x70, 0x70), 1.6));
        p.drawPolyline(QPolygonF({QPointF(4.5, 7), QPointF(6.5, 9.5), QPointF(10, 4.5)}));
    }
    if (k == Lamp::Focus) {
        p.setPen(QPen(Hi, 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(1, 1, 12, 12), 2, 2);
    }
    return pm;
}

QPixmap seq_key(bool black, bool down) {
    QPixmap pm = blank(38, 12);
    QPainter p(&pm);
    const QColor body = black ? (down ? QColor(0x50, 0x50, 0x58) : QColor(0x14, 0x14, 0x18))
                              : (down ? QColor(0xB8, 0xB8, 0xB0) : QColor(0xF8, 0xF8, 0xF0));
    p.fillRect(0, 0, 38, 12, body);
    p.setPen(QColor(0x30, 0x30, 0x30));
    p.drawRect(0, 0, 37, 11);
    if (down) {
        p.setPen(QColor(0x20, 0x20, 0x20));
        p.drawLine(1, 1, 36, 1);
        p.drawLine(1, 1, 1, 10);
    } else {
        p.setPen(black ? QColor(0x60, 0x60, 0x68) : QColor(0xFF, 0xFF, 0xFF));
        p.drawLine(1, 1, 36, 1);
    }
    return pm;
}

// A bevelled face: raised when up, sunk and darker when pressed.
QPixmap face3d(int w, int h, bool down) {
    QPixmap pm = blank(w, h, down ? Face.darker(112) : Face);
    QPainter p(&pm);
    const QColor light(0xFF, 0xFF, 0xFF), shade(0x70, 0x70, 0x70), dark(0x10, 0x10, 0x10);
    p.setPen(down ? dark : light);
    p.drawLine(0, 0, w - 2, 0);
    p.drawLine(0, 0, 0, h - 2);
    p.setPen(down ? shade : dark);
    if (down) {
        p.drawLine(1, 1, w - 3, 1);
        p.drawLine(1, 1, 1, h - 3);
        p.setPen(light);
    }
    p.drawLine(0, h - 1, w - 1, h - 1);
    p.drawLine(w - 1, 0, w - 1, h - 1);
    if (!down) {
        p.setPen(shade);
        p.drawLine(1, h - 2, w - 2, h - 2);
        p.drawLine(w - 2, 1, w - 2, h - 2);
    }
    return pm;
}

// Caption pictures lie on a 3-D face, so they share its colour.
QPixmap caption16(void (*draw)(QPainter&, QColor), QColor c) {
    QPixmap pm = blank(16, 16, Face);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    draw(p, c);
    return pm;
}

void draw_start(QPainter& p, QColor c) {
    p.setBrush(c);
    p.drawPolygon(QPolygonF({QPointF(4, 2.5), QPointF(13, 8), QPointF(4, 13.5)}));
}
void draw_stop(QPainter& p, QColor c) {
    p.setBrush(c);
    p.drawRect(QRectF(3.5, 3.5, 9, 9));
}
void draw_record(QPainter& p, QColor c) {
    p.setBrush(c);
    p.drawEllipse(QPointF(8, 8), 5, 5);
}

// A folder seen from the side, its tab on the upper left.
void folder(QPainter& p, QColor c) {
    p.setPen(QPen(c.darker(160), 1));
    p.setBrush(c);
    p.drawPolygon(QPolygonF({QPointF(1.5, 4.5), QPointF(6, 4.5), QPointF(7.5, 6), QPointF(14.5, 6),
                             QPointF(14.5, 13.5), QPointF(1.5, 13.5)}));
}
const QColor Folder(0xE8, 0xC0, 0x50);
const QColor Mark(0x10, 0x10, 0x10);

void draw_updir(QPainter& p, QColor c) {
    folder(p, Folder);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPolygon(QPolygonF({QPointF(8, 1), QPointF(12.5, 6), QPointF(9.5, 6), QPointF(9.5, 11),
                             QPointF(6.5, 11), QPointF(6.5, 6), QPointF(3.5, 6)}));
}
void draw_newdir(QPainter& p, QColor c) {
    folder(p, Folder);
    p.setPen(QPen(c, 2));
    p.drawLine(QPointF(8, 7), QPointF(8, 13));
    p.drawLine(QPointF(5, 10), QPointF(11, 10));
}
void draw_delete(QPainter& p, QColor c) {
    p.setPen(QPen(c, 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
    p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
}

QPixmap dialog_caption(const QString& text) {
    QPixmap pm = blank(51, 20, Face);
    QPainter p(&pm);
    QFont f("DejaVu Sans");
    f.setPixelSize(12);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(0x10, 0x10, 0x10));
    p.drawText(QRect(0, 0, 51, 20), Qt::AlignCenter, text);
    return pm;
}

} // namespace

namespace {
struct Recipe {
    Pic id;
    const char* name;
    QPixmap (*draw)();
};
const QColor Caption_Off(0x98, 0x98, 0x98);

// In the order of Pic, which the build's store follows too.
constexpr Recipe Recipes[] = {
    {Pic::Lever_Dark, "lever dark",
     [] {
         return lever(QColor(0x22, 0x22, 0x26), QColor(0x00, 0x00, 0x00), QColor(0xE8, 0xE8, 0xE8),
                      false);
     }},
    {Pic::Lever_Dark_Lit, "lever dark lit",
     [] { return lever(Hi, Hi_Dark, QColor(0x30, 0x10, 0x00), true); }},
    {Pic::Lever_Light, "lever light",
     [] {
         return lever(QColor(0xE4, 0xE0, 0xD4), QColor(0x20, 0x20, 0x20), QColor(0x20, 0x20, 0x20),
                      false);
     }},
    {Pic::Lever_Light_Lit, "lever light lit",
     [] { return lever(Hi, Hi_Dark, QColor(0x30, 0x10, 0x00), true); }},
    {Pic::Knob_Pointer, "knob pointer", [] { return knob_pointer(false); }},
    {Pic::Knob_Pointer_Lit, "knob pointer lit", [] { return knob_pointer(true); }},
    {Pic::Fader_Cap, "fader cap", [] { return fader_cap(false); }},
    {Pic::Fader_Cap_Lit, "fader cap lit", [] { return fader_cap(true); }},
    {Pic::Knob_Body, "knob body", knob_body},
    {Pic::Audition_Key, "audition key", [] { return audition_key(false); }},
    {Pic::Audition_Key_Down, "audition key down", [] { return audition_key(true); }},
    {Pic::Lamp_Off, "lamp off", [] { return lamp(Lamp::Off); }},
    {Pic::Lamp_On, "lamp on", [] { return lamp(Lamp::On); }},
    {Pic::Lamp_Dim, "lamp dim", [] { return lamp(Lamp::Dim); }},
    {Pic::Lamp_Checked, "lamp checked", [] { return lamp(Lamp::Checked); }},
    {Pic::Lamp_Focus, "lamp focus", [] { return lamp(Lamp::Focus); }},
    {Pic::Lamp_Disabled, "lamp disabled", [] { return lamp(Lamp::Disabled); }},
    {Pic::Lamp_Checked_Disabled, "lamp checked disabled",
     [] { return lamp(Lamp::Checked_Disabled); }},
    {Pic::Seq_Key_White, "sequencer key white", [] { return seq_key(false, false); }},
    {Pic::Seq_Key_Black, "sequencer key black", [] { return seq_key(true, false); }},
    {Pic::Seq_Key_White_Down, "sequencer key white down", [] { return seq_key(false, true); }},
    {Pic::Seq_Key_Black_Down, "sequencer key black down", [] { return seq_key(true, true); }},
    {Pic::Start_Enabled, "start enabled",
     [] { return caption16(draw_start, QColor(0x10, 0x90, 0x20)); }},
    {Pic::Start_Disabled, "start disabled", [] { return caption16(draw_start, Caption_Off); }},
    {Pic::Stop_Enabled, "stop enabled",
     [] { return caption16(draw_stop, QColor(0x20, 0x20, 0x20)); }},
    {Pic::Stop_Disabled, "stop disabled", [] { return caption16(draw_stop, Caption_Off); }},
    {Pic::Record, "record", [] { return caption16(draw_record, QColor(0xE0, 0x10, 0x10)); }},
    {Pic::Button_Up3D, "button up", [] { return face3d(22, 22, false); }},
    {Pic::Button_Dn3D, "button down", [] { return face3d(22, 22, true); }},
    {Pic::Dlg2_Up, "dialog button up", [] { return face3d(65, 34, false); }},
    {Pic::Dlg2_Dn, "dialog button down", [] { return face3d(65, 34, true); }},
    {Pic::Dlg2_Ok, "dialog caption ok", [] { return dialog_caption("OK"); }},
    {Pic::Dlg2_Cancel, "dialog caption cancel", [] { return dialog_caption("Cancel"); }},
    {Pic::Updir_Caption, "up folder caption", [] { return caption16(draw_updir, Mark); }},
    {Pic::Newdir_Caption, "new folder caption", [] { return caption16(draw_newdir, Mark); }},
    {Pic::Delete_Caption, "delete caption",
     [] { return caption16(draw_delete, QColor(0xB0, 0x10, 0x10)); }},
    {Pic::Editor_Panel, "JX-8P panel", Editor_Panel_Picture},
    {Pic::Juno_Panel, "Alpha Juno panel", Juno_Panel_Picture},
    {Pic::Patch_Panel, "patch panel", Patch_Panel_Picture},
    {Pic::MKS70_Panel, "MKS-70 patch panel", MKS70_Panel_Picture},
    {Pic::Quorlen_Logo, "logo", Quorlen_Logo_Picture},
    {Pic::Orvel_Logo, "JX-8P caption", Orvel_Logo_Picture},
    {Pic::Juno_Orvel_Logo, "Alpha Juno caption", Juno_Orvel_Picture},
};
static_assert(std::size(Recipes) == Pic_Count);

constexpr bool in_order() {
    for (int k = 0; k < Pic_Count; ++k)
        if (static_cast<int>(Recipes[k].id) != k) return false;
    return true;
}
static_assert(in_order());

template <std::size_t N> void fill(std::array<QPixmap, N>& pics, Pic first) {
    for (std::size_t k = 0; k < N; ++k)
        pics[k] = Picture(static_cast<Pic>(static_cast<int>(first) + static_cast<int>(k)));
}
} // namespace

QPixmap Draw_Picture(Pic id) {
    return Recipes[static_cast<int>(id)].draw();
}
const char* Picture_Name(Pic id) {
    return Recipes[static_cast<int>(id)].name;
}

void Picture_Stock_Init(Quorlen& m) {
    // Buttons: pairs of plain (2k) and highlighted (2k + 1) faces.
    fill(m.Buttons, Pic::Lever_Dark);
    fill(m.LED, Pic::Lamp_Off);
    fill(m.Seq_Keys, Pic::Seq_Key_White);
    m.Start_Enabled = Picture(Pic::Start_Enabled);
    m.Start_Disabled = Picture(Pic::Start_Disabled);
    m.Stop_Enabled = Picture(Pic::Stop_Enabled);
    m.Stop_Disabled = Picture(Pic::Stop_Disabled);
    m.Record = Picture(Pic::Record);
    m.Button_Up3D = Picture(Pic::Button_Up3D);
    m.Button_Dn3D = Picture(Pic::Button_Dn3D);
    m.Dlg2_Up = Picture(Pic::Dlg2_Up);
    m.Dlg2_Dn = Picture(Pic::Dlg2_Dn);
    m.Dlg2_Ok = Picture(Pic::Dlg2_Ok);
    m.Dlg2_Cancel = Picture(Pic::Dlg2_Cancel);
}

void Pics_Editor() {
    Editor& ed = Editor::get();
    const Quorlen& m = Quorlen::get();
    ed.Keys_Pic->Set_Picture(m.Buttons[9]);
    ed.ED_Seq_Start->Set_Picture(m.Button_Up3D);
    ed.ED_Seq_Stop->Set_Picture(m.Button_Up3D);
    for (const Tone_Control_Spec& s : Tone_Controls) {
        Pic_Control* c = ed.*(s.member);
        switch (s.kind) {
        case Ctl_Kind::Fader:
            c->Set_Picture(m.Buttons[6]);
            break;
        case Ctl_Kind::Knob_Tune:
        case Ctl_Kind::Knob_Fine:
            c->Set_Picture(m.Buttons[8]);
            c->Knob_Pointer->Set_Picture(m.Buttons[4]);
            break;
        default:
            c->Set_Picture(m.Buttons[s.tag[1] == 'r' ? 2 : 0]);
            break;
        }
        const bool knob = s.kind == Ctl_Kind::Knob_Tune || s.kind == Ctl_Kind::Knob_Fine;
        c->setGeometry(s.left, s.top, knob ? 28 : 16, knob ? 26 : 16);
        if (knob) c->Knob_Pointer->setGeometry(12, 6, 4, 4);
    }
    ed.Keys_Pic->setGeometry(214, 223, 43, 22);
    ed.ED_Seq_Start->setGeometry(188, 223, 22, 22);
    ed.ED_Seq_Stop->setGeometry(261, 223, 22, 22);
    ed.ED_Seq_Start_Pic->setGeometry(3, 3, 16, 16);
    ed.ED_Seq_Stop_Pic->setGeometry(3, 3, 16, 16);
    ed.Pic_Quorlen->setGeometry(181, 150, 110, 50);
    ed.Pic_Orvel->setGeometry(196, 200, 79, 14);
    ed.Tone_Name->setGeometry(105, 291, 121, 18);
}
