#include "editors/knob_model.h"
#include "app/main_module.h"
#include "app/quorlen.h"
#include "instrument/instrument.h"
#include "midi/routines.h"
#include "platform/host.h"
#include <QApplication>
#include <QHash>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <algorithm>

QPointer<QWidget> Focus_Control;
int Blink_Phase = 0;
double Edit_Value = 0;
double Knob_Display_Value = 0;
int Last_Param = 0, Last_Value = 0;
int Name_Cursor = 0;
int Help_Index = 0;
std::function<void()> Led_Reset_Hook;

void Knob_Model_Reset() {
    Focus_Control = nullptr;
    Blink_Phase = 0;
    Edit_Value = Knob_Display_Value = 0;
    Last_Param = Last_Value = 0;
    Name_Cursor = Help_Index = 0;
    Led_Reset_Hook = nullptr;
}

namespace {
QHash<QString, QPointer<Pic_Control>>& pointers() {
    static QHash<QString, QPointer<Pic_Control>> map;
    return map;
}

// The main window holds the picture stock. While it is torn down it is no
// longer one (its type is gone), and late focus events must leave it alone.
const Quorlen* stock() {
    if (!Quorlen::loaded()) return nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* q = qobject_cast<Quorlen*>(w)) return q;
    return nullptr;
}

Pic_Control* focused_pic() {
    return qobject_cast<Pic_Control*>(Focus_Control.data());
}
} // namespace

// ---- Pic_Control -------------------------------------------------------------

void Control_Host::Control_GotFocus(Pic_Control* c) {
    Focus_Control = c->Knob_Pointer ? c->Knob_Pointer : c;
}
void Control_Host::Control_LostFocus(Pic_Control*) {
    Focus_Pic_Reset();
}

Pic_Control::Pic_Control(QWidget* parent, Control_Host* host, const QString& name,
                         const QString& tag, int index)
    : QWidget(parent), Host(host), Tag(tag), Index(index) {
    setObjectName(name);
    setFocusPolicy(host ? Qt::StrongFocus : Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void Pic_Control::Set_Picture(const QPixmap& p) {
    if (p.cacheKey() == picture_.cacheKey()) return;
    picture_ = p;
    update();
}

void Pic_Control::Set_Cursor_Line(int x, QColor color) {
    cursor_x_ = x;
    cursor_color_ = color;
    update();
}

void Pic_Control::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!picture_.isNull()) p.drawPixmap(0, 0, picture_);
    if (cursor_x_ >= 0) {
        p.setPen(cursor_color_);
        p.drawLine(cursor_x_, 0, cursor_x_, 18);
    }
}

void Pic_Control::focusInEvent(QFocusEvent* e) {
    QWidget::focusInEvent(e);
    if (Host) Host->Control_GotFocus(this);
}

void Pic_Control::focusOutEvent(QFocusEvent* e) {
    QWidget::focusOutEvent(e);
    if (Host) Host->Control_LostFocus(this);
}

void Pic_Control::keyPressEvent(QKeyEvent* e) {
    if (!Host) return QWidget::keyPressEvent(e);
    Host->Control_KeyDown(this, Virtual_Key(*e), Shift_State(e->modifiers()));
    e->accept();
}

void Pic_Control::mousePressEvent(QMouseEvent* e) {
    if (!Host) return QWidget::mousePressEvent(e);
    const QPointF p = e->position();
    Host->Control_MouseDown(this, Mouse_Button(e->button()), Shift_State(e->modifiers()), p.x(),
                            p.y());
}

void Pic_Control::mouseMoveEvent(QMouseEvent* e) {
    if (!Host) return QWidget::mouseMoveEvent(e);
    const QPointF p = e->position();
    Host->Control_MouseMove(this, Mouse_Button(e->buttons()), Shift_State(e->modifiers()), p.x(),
                            p.y());
}

void Pic_Control::mouseReleaseEvent(QMouseEvent* e) {
    if (!Host) return QWidget::mouseReleaseEvent(e);
    const QPointF p = e->position();
    Host->Control_MouseUp(this, Mouse_Button(e->button()), Shift_State(e->modifiers()), p.x(),
                          p.y());
}

// ---- Name_Display ------------------------------------------------------------

Name_Display::Name_Display(QWidget* parent) : QLabel(parent) {
    setObjectName("Tone_Name");
    setAlignment(Qt::AlignCenter);
    setFocusPolicy(Qt::StrongFocus);
    setTextFormat(Qt::PlainText);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0x10, 0x18, 0x12));
    pal.setColor(QPalette::WindowText, QColor(0x7C, 0xFF, 0x9A));
    setPalette(pal);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
}

// A focusable label lays its text out through a text document while it
// paints, which asks for a second, whole paint after every new name. The box
// shows one line of plain text: it draws it itself, once.
void Name_Display::paintEvent(QPaintEvent*) {
    QPainter p(this);
    drawFrame(&p);
    p.setFont(font());
    p.setPen(palette().color(foregroundRole()));
    p.drawText(contentsRect(), static_cast<int>(alignment()), text());
}

void Name_Display::mousePressEvent(QMouseEvent* e) {
    QLabel::mousePressEvent(e);
    if (On_Click) On_Click();
}

void Name_Display::keyPressEvent(QKeyEvent* e) {
    // Key presses that carry a character, as a text box reports them.
    if (e->text().isEmpty()) return QLabel::keyPressEvent(e);
    if (On_Key) On_Key(e->text().at(0).unicode());
    e->accept();
}

void Name_Display::focusOutEvent(QFocusEvent* e) {
    QLabel::focusOutEvent(e);
    Focus_Pic_Reset();
}

// ---- Focus highlight ----------------------------------------------------------

void Register_Knob_Pointer(const QString& kind, Pic_Control* pointer) {
    pointers().insert(kind, pointer);
}

Pic_Control* Knob_Pointer_Of(const QString& kind) {
    return pointers().value(kind).data();
}

void Focus_Pic_Blink() {
    Pic_Control* c = focused_pic();
    const Quorlen* stock_owner = stock();
    if (!c || !stock_owner) return;
    const Quorlen& m = *stock_owner;
    const QString& t = c->Tag;
    if (t == "bl")
        c->Set_Picture(m.Buttons[Blink_Phase]);
    else if (t == "br")
        c->Set_Picture(m.Buttons[Blink_Phase + 2]);
    else if (t == "bm")
        c->Set_Picture(m.Buttons[Blink_Phase + 6]);
    else if (t == "kn1" || t == "kn2" || t == "kn2f" || t == "kn2fp" || t == "knh")
        c->Set_Picture(m.Buttons[Blink_Phase + 4]);
    else if (t == "led")
        c->Set_Picture(m.LED[Blink_Phase]);
    else if (t == "cur")
        c->Set_Cursor_Line(Name_Cursor, Blink_Phase ? QColor(0, 0xFF, 0xFF) : QColor(0, 0, 0));
    Help_Index = c->Help_Context;
}

void Focus_Pic_Reset() {
    Drag_Last_X = 0;
    Pic_Control* c = focused_pic();
    const Quorlen* stock_owner = stock();
    if (!c || !stock_owner) return;
    const Quorlen& m = *stock_owner;
    const QString t = c->Tag.toLower();
    if (t == "bl")
        c->Set_Picture(m.Buttons[0]);
    else if (t == "br")
        c->Set_Picture(m.Buttons[2]);
    else if (t == "bm")
        c->Set_Picture(m.Buttons[6]);
    else if (t.startsWith("kn"))
        c->Set_Picture(m.Buttons[4]);
    else if (t == "led") {
        c->Set_Picture(m.LED[0]);
        if (Patch_Form_Open == 255 && Led_Reset_Hook) Led_Reset_Hook();
    }
}

// ---- Knob pointers --------------------------------------------------------------

void Knob_Draw(const QString& kind, int top, int left, double step) {
    if (kind == "kn1")
        Knob_Display_Value = Knob_Val_PM12(Tone_Data[13]);
    else if (kind == "kn2")
        Knob_Display_Value = Knob_Val_PM12(Tone_Data[19]);
    else if (kind == "kn2f")
        Knob_Display_Value = Knob_Val_PM50(Tone_Data[20]);
    else if (kind == "kn2fp")
        Knob_Display_Value = Knob_Val_PM50(Patch_Data[6]);
    else
        return;
    Pic_Control* ptr = Knob_Pointer_Of(kind);
    if (!ptr) return;
    const QPoint d = Knob_Offset(Knob_Display_Value, step);
    ptr->Set_Pos(left - d.x(), top - d.y());
    ptr->setVisible(true);
}

void Knob_Pointer_Set(int x, int y, double step) {
    Pic_Control* c = focused_pic();
    if (!c || !c->Tag.toLower().startsWith("kn")) return;
    const QPoint d = Knob_Offset(Knob_Display_Value, step);
    c->Set_Pos(x - d.x(), y - d.y());
}

void Display_Timer_Restart() {
    QTimer* t = Quorlen::get().Timer_Display;
    t->stop();
    t->start();
}
