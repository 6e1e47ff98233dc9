#include "dialogs/picture_buttons.h"
#include "app/quorlen.h"
#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <qdrawutil.h>

Picture_Box::Picture_Box(QWidget* parent, const QString& name) : QWidget(parent) {
    setObjectName(name);
}

void Picture_Box::Set_Picture(const QPixmap& picture) {
    picture_ = picture;
    update();
}

void Picture_Box::Set_Fallback_Text(const QString& text) {
    fallback_ = text;
    update();
}

void Picture_Box::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!picture_.isNull()) {
        p.drawPixmap(0, 0, picture_);
    } else if (!fallback_.isEmpty()) {
        p.setPen(isEnabled() ? palette().color(QPalette::ButtonText) : QColor(0x80, 0x80, 0x80));
        p.drawText(rect(), Qt::AlignCenter, fallback_);
    }
}

void Picture_Box::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    pressed_ = true;
    emit Mouse_Down();
}

void Picture_Box::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !pressed_) return;
    pressed_ = false;
    emit Mouse_Up();
    // A click is a press and release over the control, as with any button.
    if (rect().contains(e->position().toPoint())) emit Click();
}

void Picture_Box::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    pressed_ = true;
    emit Mouse_Down();
    emit Dbl_Click();
}

Picture_Button::Picture_Button(QWidget* parent, const QString& name, Kind kind,
                               const QPixmap& caption)
    : Picture_Box(parent, name), kind_(kind) {
    caption_ = new Picture_Box(this, name + "_Pic");
    caption_->setAttribute(Qt::WA_TransparentForMouseEvents);
    caption_->Set_Picture(caption);
    const Quorlen& m = Quorlen::get();
    if (kind == Dialog_OkCancel) {
        caption_->setGeometry(6, 5, 51, 20);
        Set_Face(m.Dlg2_Up, false);
    } else {
        caption_->move(3, 3);
        if (!caption.isNull()) caption_->resize(caption.size());
        Set_Face(m.Button_Up3D, false);
    }
}

void Picture_Button::Set_Face(const QPixmap& face, bool down) {
    down_ = down;
    Set_Picture(face);
}

void Picture_Button::paintEvent(QPaintEvent* e) {
    if (!Picture().isNull()) {
        Picture_Box::paintEvent(e);
        return;
    }
    // The stock has no face yet: a plain raised or sunken button of the same size.
    QPainter p(this);
    qDrawWinButton(&p, rect(), palette(), down_, &palette().brush(QPalette::Button));
}

Picture_Check::Picture_Check(QWidget* parent, const QString& name, bool option)
    : Picture_Box(parent, name), option_(option) {
    resize(14, 14);
    Set_Look(0);
}

void Picture_Check::Set_Look(int led_index) {
    look_ = led_index;
    const auto& led = Quorlen::get().LED;
    Set_Picture(led_index >= 0 && led_index < static_cast<int>(led.size()) ? led[led_index]
                                                                           : QPixmap());
}

void Picture_Check::paintEvent(QPaintEvent* e) {
    if (!Picture().isNull()) {
        Picture_Box::paintEvent(e);
        return;
    }
    // The stock has no lights yet: draw the look plainly.
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, option_);
    const bool off = look_ == Disabled;
    const QRectF r = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    p.setPen(QPen(off ? QColor(0xA0, 0xA0, 0xA0) : QColor(0x40, 0x40, 0x40), 1));
    p.setBrush(off ? QColor(0xD4, 0xD0, 0xC8) : QColor(Qt::white));
    if (option_)
        p.drawEllipse(r);
    else
        p.drawRect(r);
    p.setPen(QPen(Qt::black, 2));
    p.setBrush(Qt::black);
    if (look_ == Selected) p.drawEllipse(r.center(), 2.5, 2.5);
    if (look_ == Checked) {
        p.drawLine(QPointF(4, 7), QPointF(6, 10));
        p.drawLine(QPointF(6, 10), QPointF(10, 4));
    }
}

namespace {
// The control's own enabled flag; a disabled window around it does not count.
bool own_enabled(const QWidget& w) {
    return !w.testAttribute(Qt::WA_ForceDisabled);
}

struct Caption_Row {
    const char* button;
    std::vector<const char*> owners; // windows whose caption picture of that name moves
};

// Checked in this order; the first match decides.
const std::vector<Caption_Row>& caption_table() {
    static const std::vector<Caption_Row> rows = {
        {"FD_Button_Delete", {"File_Dlg"}},
        {"FD_Button_Newdir", {"File_Dlg"}},
        {"FD_Button_Updir", {"File_Dlg"}},
        {"Seq_Start", {"Sequencer"}},
        {"Seq_Stop", {"Sequencer"}},
        {"ED_Seq_Start", {"Editor", "Editor_Juno"}},
        {"ED_Seq_Stop", {"Editor", "Editor_Juno"}},
        {"FD_SEQ_Button_Start", {"File_Dlg"}},
        {"FD_SEQ_Button_Stop", {"File_Dlg"}},
        {"FD_SYX_Button_Start", {"File_Dlg"}},
        {"FD_SYX_Button_Stop", {"File_Dlg"}},
        {"Osc_Start", {"Oscillator"}},
        {"Osc_Stop", {"Oscillator"}},
    };
    return rows;
}

bool owned_by(const QWidget* w, const std::vector<const char*>& owners) {
    for (const QWidget* a = w->parentWidget(); a; a = a->parentWidget())
        for (const char* owner : owners)
            if (QString(a->metaObject()->className()) == owner) return true;
    return false;
}

void move_caption(const QString& pic_name, const std::vector<const char*>& owners, int left,
                  int top) {
    for (QWidget* w : QApplication::allWidgets())
        if (w->objectName() == pic_name && owned_by(w, owners)) w->move(left, top);
}

void set_face(QWidget& button, const QPixmap& face, bool down) {
    if (auto* b = qobject_cast<Picture_Button*>(&button))
        b->Set_Face(face, down);
    else if (auto* box = qobject_cast<Picture_Box*>(&button))
        box->Set_Picture(face);
    else if (auto* label = qobject_cast<QLabel*>(&button))
        label->setPixmap(face);
}

void press_3d(QWidget& button, bool down) {
    const Quorlen& m = Quorlen::get();
    set_face(button, down ? m.Button_Dn3D : m.Button_Up3D, down);
    const int at = down ? 4 : 3;
    const QString name = button.objectName();
    for (const Caption_Row& row : caption_table()) {
        if (name != row.button) continue;
        move_caption(name + "_Pic", row.owners, at, at);
        return;
    }
}

void press_ok_cancel(QWidget& button, bool down) {
    const Quorlen& m = Quorlen::get();
    set_face(button, down ? m.Dlg2_Dn : m.Dlg2_Up, down);
    const QString name = button.objectName();
    if (name == "FD_Button_Ok" || name == "FD_Button_Cancel")
        move_caption(name + "_Pic", {"File_Dlg"}, down ? 7 : 6, down ? 6 : 5);
}
} // namespace

void Btn_Down(QWidget& button) {
    press_3d(button, true);
}
void Btn_Up(QWidget& button) {
    press_3d(button, false);
}
void Btn_OkCancel_Down(QWidget& button) {
    press_ok_cancel(button, true);
}
void Btn_OkCancel_Up(QWidget& button) {
    press_ok_cancel(button, false);
}

void CB_Toggle(Picture_Check& box) {
    if (!own_enabled(box)) return;
    if (box.State() == 0)
        CB_Check(box);
    else
        CB_Uncheck(box);
}

void CB_Check(Picture_Check& box) {
    if (!own_enabled(box)) return;
    box.Set_Look(Picture_Check::Checked);
    box.Tag = "3";
}

void CB_Uncheck(Picture_Check& box) {
    if (!own_enabled(box)) return;
    box.Set_Look(Picture_Check::Off);
    box.Tag = "0";
}

void CB_Disable(Picture_Check& box) {
    box.Set_Look(Picture_Check::Disabled);
    box.setEnabled(false);
}

void CB_Enable(Picture_Check& box) {
    box.Set_Look(box.State());
    box.setEnabled(true);
}

void OB_Select(Picture_Option_Group& group, int index) {
    if (index < 0 || index >= static_cast<int>(group.size()) || !own_enabled(*group[index])) return;
    for (Picture_Check* option : group) {
        if (own_enabled(*option)) option->Set_Look(Picture_Check::Off);
        option->Tag = "0";
    }
    group[index]->Set_Look(Picture_Check::Selected);
    group[index]->Tag = "1";
}

void OB_Disable(Picture_Check& option) {
    CB_Disable(option);
}

void OB_Disable_All(Picture_Option_Group& group) {
    for (Picture_Check* option : group) OB_Disable(*option);
}
