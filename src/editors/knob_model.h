#pragma once
// The fader, lever and knob model shared by every window that edits
// instrument parameters: the picture control itself, the shared edit state,
// the focus highlight and its blink, and placing the knob pointers. The rules
// that need no window are in knob_rules.h.
#include "editors/knob_rules.h"
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QWidget>
#include <functional>

class Pic_Control;

// A window whose picture controls hand their events to it. Each window keeps
// a table of its controls and dispatches by the control's row (Index).
class Control_Host {
  public:
    virtual ~Control_Host() = default;
    virtual void Control_GotFocus(Pic_Control* c);
    virtual void Control_LostFocus(Pic_Control* c);
    virtual void Control_KeyDown(Pic_Control*, int /*key*/, int /*shift*/) {}
    // button: 1 left, 2 right, 4 middle (as held, or-ed, for moves).
    virtual void Control_MouseDown(Pic_Control*, int /*button*/, int /*shift*/, double /*x*/,
                                   double /*y*/) {}
    virtual void Control_MouseMove(Pic_Control*, int /*button*/, int /*shift*/, double /*x*/,
                                   double /*y*/) {}
    virtual void Control_MouseUp(Pic_Control*, int /*button*/, int /*shift*/, double /*x*/,
                                 double /*y*/) {}
};

// A picture box: shows one picture of the stock, carries its kind in Tag.
// Focusable unless made otherwise, so Tab walks the panel and keys reach it.
class Pic_Control : public QWidget {
    Q_OBJECT
  public:
    Pic_Control(QWidget* parent, Control_Host* host, const QString& name, const QString& tag = {},
                int index = -1);

    Control_Host* Host;
    QString Tag;
    int Index;            // row in the owner's control table
    int Help_Context = 0; // the help topic row of this control
    // A knob body's pointer (a child of the body), or the body of a pointer.
    Pic_Control* Knob_Pointer = nullptr;
    Pic_Control* Knob_Body = nullptr;

    void Set_Picture(const QPixmap& p);
    const QPixmap& Picture() const { return picture_; }
    int Top() const { return y(); }
    int Left() const { return x(); }
    void Set_Top(int top) {
        if (top != y()) move(x(), top);
    }
    void Set_Pos(int left, int top) {
        if (left != x() || top != y()) move(left, top);
    }
    // The "cur" highlight: a vertical line at x, or none when x < 0.
    void Set_Cursor_Line(int x, QColor color);

  protected:
    void paintEvent(QPaintEvent*) override;
    void focusInEvent(QFocusEvent*) override;
    void focusOutEvent(QFocusEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;

  private:
    QPixmap picture_;
    int cursor_x_ = -1;
    QColor cursor_color_;
};

// The name display of a tone editor: a locked box in the display font, with
// centred text. Clicks and keys are handed to the owner; it is never edited in place.
class Name_Display : public QLabel {
    Q_OBJECT
  public:
    explicit Name_Display(QWidget* parent);
    std::function<void()> On_Click;
    std::function<void(int key)> On_Key;

  protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void focusOutEvent(QFocusEvent*) override;
};

// Knob_Edit_State: one focused control program-wide.
extern QPointer<QWidget> Focus_Control; // the control with the blinking highlight
extern int Blink_Phase;                 // 0 or 1
extern double Edit_Value;               // working value of a fader or fine-tune knob
extern double Knob_Display_Value;       // a knob's scale value
extern int Last_Param, Last_Value;      // the last lever drag step
extern int Name_Cursor;                 // x of the "cur" line, 12 pixels a character
extern int Help_Index;

// Relights the patch window's selected buttons after an LED control lost its
// highlight; set by the patch window while it is open.
extern std::function<void()> Led_Reset_Hook;

// Knob pointers by kind ("kn1", "kn2", "kn2f", "kn2fp", "knh"), registered by their windows.
void Register_Knob_Pointer(const QString& kind, Pic_Control* pointer);
Pic_Control* Knob_Pointer_Of(const QString& kind);

// The focused control shows its highlight picture for Blink_Phase.
void Focus_Pic_Blink();
// The focused control loses its highlight.
void Focus_Pic_Reset();

// Places one of the knob pointers from the stored data and shows it.
void Knob_Draw(const QString& kind, int top, int left, double step);
// Places the focused knob's pointer from Knob_Display_Value.
void Knob_Pointer_Set(int x, int y, double step);

// Restarts the timer after which a control's value on the name display gives
// way to the name again.
void Display_Timer_Restart();
// Back to the values at program start.
void Knob_Model_Reset();
