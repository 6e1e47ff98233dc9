#pragma once
// The oscillator window: sweeps one sound parameter, or the pitch of a note,
// through a drawn or preset waveform of 18 steps.
#include "app/form.h"
#include "app/mdi_form.h"
#include "dialogs/picture_buttons.h"
#include "sequencer/osc_waves.h"
#include <QScrollBar>
#include <array>
#include <cstdint>

class QComboBox;
class QLabel;
class QTimer;

// The step that the next tick sends, 0..17.
extern std::uint8_t Osc_Step_Pos;

// A straight line inside the drawing area, in its pixels.
struct Osc_Line {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    bool visible = true;
};

// The drawing area: 128 x 128 pixels inside a one-pixel frame.
class Osc_Picture : public QWidget {
    Q_OBJECT
  public:
    explicit Osc_Picture(QWidget* parent);

    // 0..17 the steps, 18 + i the connector from step i - 1 to step i.
    std::array<Osc_Line, 36> Line1;
    std::array<Osc_Line, 17> VLine;
    Osc_Line TimeLine, HLine, ZLine1, ZLine2;

  signals:
    // Coordinates inside the area, buttons as held after the event.
    void Mouse_Move(Qt::MouseButtons buttons, int x, int y);
    void Mouse_Up();

  protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
};

// A vertical scroll bar with its largest value at the top, as the user reads
// it; Qt's bars grow downward, so it keeps the negated value inside.
class Osc_Bar : public QScrollBar {
    Q_OBJECT
  public:
    Osc_Bar(QWidget* parent, const QString& name, int top, int bottom, int page_step);
    int Value() const { return -value(); }
    void Set_Value(int v) { setValue(-v); }
};

// A preset or Invert light. Shows its LED picture; draws a plain light while
// the stock has none, so the custom, chosen and invert looks stay apart.
class Osc_Light : public Picture_Check {
    Q_OBJECT
  public:
    using Picture_Check::Picture_Check;

  protected:
    void paintEvent(QPaintEvent* e) override;
};

class Oscillator : public Mdi_Form, public Form<Oscillator> {
    Q_OBJECT
  public:
    Oscillator();
    ~Oscillator() override;
    void Form_Load();
    // Closes the window with its unload steps.
    static void Unload();

    Osc_Picture* Picture1;
    std::array<Osc_Light*, 10> Osc_Wave;
    Osc_Light* Osc_Invert;
    QComboBox* Combo1;
    Osc_Bar *VScrollA, *VScrollDelta, *Osc_Time;
    QTimer* Timer_Osc;
    Picture_Button *Osc_Start, *Osc_Stop;
    QLabel *Label1, *Label2, *Label3, *Label4;

    int Osc_Param = 0;
    std::array<int, Osc_Steps> Osc_Base{};
    std::array<int, Osc_Steps> Osc_Level{};
    double Osc_Pen = 0;

    // Whether the step timer is switched on; with a step time of 0 it is on
    // but does not tick.
    bool Timer_Osc_Enabled() const { return timer_on_; }

    void Combo1_Click();
    void Osc_Wave_Click(int index);
    void Osc_Wave_DblClick(int index);
    void Osc_Invert_Click();
    void VScrollA_Change();
    void VScrollDelta_Change();
    void Osc_Time_Change();
    void Picture1_MouseMove(Qt::MouseButtons buttons, int x, int y);
    void Picture1_MouseUp();
    void Osc_Start_Click();
    void Osc_Stop_Click();
    void Osc_Start_MouseDown();
    void Osc_Stop_MouseDown();
    void Osc_Stop_MouseUp();
    void Timer_Osc_Timer();
    void Osc_Step();
    void CheckVLines();
    void Osc_Pics();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent*) override;

  private:
    void Form_QueryUnload();
    void Osc_SendValue(int v);
    void Osc_Recalc();
    void Timer_Osc_Set(bool on);

    bool timer_on_ = false;
    bool closed_ = false;
    bool skip_click_ = false; // the release that ends a double click is no click
};
// Back to the values at program start.
void Oscillator_Reset();
