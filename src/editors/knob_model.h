#pragma once
// The fader, lever and knob model shared by every window that edits
// instrument parameters: the picture control itself, the shared edit state,
// the focus highlight and its blink, value-to-position rules, knob scales and
// the knob pointer geometry.
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <optional>

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

int Knob_Val_PM50(int value); // 0..127 to -50..+50
int Knob_Val_PM12(int value); // 0..127 to -12..+12 semitones
int Tune_Semi_To_Value(int semitones);

// Where a cap stands on its travel, for painting and for every redraw. A
// fader's cap climbs Fader_Travel pixels from the bottom of its travel over
// 0..127; a lever's climbs Lever_Step pixels a position.
constexpr int Fader_Travel = 80;
constexpr int Lever_Step = 10;
int Fader_Top(int bottom, int value);
// A lever that takes its value in quarters of 32: a position for each.
int Quarter_Top(int bottom, int value);

// The bottoms of the JX-8P editor's upper and lower rows of levers.
constexpr int Lever_Row_A = 62, Lever_Row_B = 308;
// Lever and fader cap tops for the JX-8P tone bytes; a lever byte above 127 gives 0.
int Switch_Pos_A(int param);
int Switch_Pos_B(int param);
int Slider_Pos(int param);
// Top or button index for the JX-8P patch bytes.
int Patch_Switch_Pos(int index);

// Places one of the knob pointers from the stored data and shows it.
void Knob_Draw(const QString& kind, int top, int left, double step);
// Places the focused knob's pointer from Knob_Display_Value.
void Knob_Pointer_Set(int x, int y, double step);
// The pointer offset for a scale value: (dx, dy) to subtract from the centre.
QPoint Knob_Offset(double value, double step);

// Rounds halves to the even neighbour.
int Round_Even(double v);

// What a key asks of a control, decoded once for every kind of control.
enum class Key_Action { None, Up, Down, Page_Up, Page_Down, Home, End, Centre };
struct Key_Intent {
    Key_Action action = Key_Action::None;
    bool side_arrow = false; // Left or Right, which some controls leave alone
    bool arrow = false;      // any arrow key
};
Key_Intent Decode_Key(int key);

// How a control takes the decoded keys: Up and Down by `step`, the page keys
// by `page`, Home and End to the ends of its range, the digit 0 to `centre`.
struct Key_Rule {
    double low, high, step, page;
    bool arrows = true, side_arrows = false;
    std::optional<double> centre = std::nullopt;
};
// Applies one key to a value and keeps it in range; false for a key of no meaning.
bool Key_Step(double& value, int key, const Key_Rule& rule);

// Key rules shared by every window's faders, levers and knobs.
// Fader: arrows and keypad +/- by 1 (never below 0), page keys by `page`, Home 127, End 0.
bool Fader_Key_Step(double& value, int key, int page = 16);
// Lever: up, page up and keypad + a band higher, their opposites a band lower,
// Home 127, End 0; a reversed lever counts the other way.
bool Lever_Key_Step(int& value, int key, int band = 32, bool reversed = false);
// Tune knob on its semitone scale -12..+12: arrows and keypad +/- by 1, page keys by 6,
// Home +12, End -12, "0" the centre.
bool Tune_Key_Step(double& semitones, int key);
// Fine-tune knob 0..127: keypad +/- (and the arrows where `arrows`) by 1, never
// below 0, page keys by 10, Home 127, End 0, "0" the centre 63.
bool Fine_Key_Step(double& value, int key, bool arrows);
// The keys that flip a two-position switch.
bool Toggle_Key_Flips(int key);

// Drag rules: the value follows the mouse from where the drag last stood (Drag_Last_X).
// Tune knob: a semitone every 4 pixels, kept in -12..+12.
void Tune_Drag_Step(double& semitones, double x);
// Fine-tune knob: a step a pixel, kept in 0..127; `whole_pixels` rounds the
// position first, else fractions of a pixel count.
void Fine_Drag_Step(double& value, double x, bool whole_pixels);

// Restarts the timer after which a control's value on the name display gives
// way to the name again.
void Display_Timer_Restart();
// Back to the values at program start.
void Knob_Model_Reset();
