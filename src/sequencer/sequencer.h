#pragma once
// The sequencer window: the grid, its keys, range, transposition, tempo,
// direction buttons, step lights and the New, Start and Stop buttons.
#include "app/form.h"
#include "app/mdi_form.h"
#include "dialogs/picture_buttons.h"
#include <QPixmap>
#include <array>
#include <functional>

class QComboBox;
class QLabel;
class QScrollBar;

// A picture box: shows a picture, keeps a tag, reports mouse presses with
// the classic button numbers (1 left, 2 right, 4 middle) and clicks. Named,
// it is a 3-D button the shared press and release routines find.
class Seq_Picture : public Picture_Box {
    Q_OBJECT
  public:
    Seq_Picture(QWidget* parent, int left, int top, int width, int height,
                const QString& name = {});
    QString Tag;
    std::function<void(int button, int shift, int x, int y)> Mouse_Down, Mouse_Up;
    std::function<void()> Click;

  protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
};

class Sequencer : public Mdi_Form, public Form<Sequencer> {
    Q_OBJECT
  public:
    Sequencer();
    void Form_Load();
    // Closes the window with its unload steps.
    static void Unload();

    Seq_Picture* Seq_Matrix;
    QPixmap Seq_Matrix_Image; // what the grid shows, kept between repaints
    std::array<Seq_Picture*, 13> Seq_Keys;
    std::array<Seq_Picture*, 8> Seq_Clock;
    std::array<Seq_Picture*, 10> Seq_Directions{}; // elements 0, 1, 2, 7, 8, 9
    std::array<Seq_Picture*, 7> Seq_Pics;
    QComboBox* Seq_Range;
    QComboBox* Seq_Trans;
    QScrollBar* Seq_Tempo;
    QLabel* Seq_Tempo_Label;
    Seq_Picture *Seq_New, *Seq_New_Pic, *Seq_Start, *Seq_Start_Pic, *Seq_Stop, *Seq_Stop_Pic;

    static constexpr std::array<int, 6> Direction_Index{0, 1, 2, 7, 8, 9};

    void Seq_Pics_();
    void Seq_Redraw();
    void Seq_Light(int step, bool on);
    void Seq_Lights_Off();
    // The Start button's looks: pressed while the sequence plays.
    void Start_Pressed();
    void Start_Released();
    bool Direction_On(int index) const;

    void Form_QueryUnload();
    void Form_KeyDown(int key_code, int shift);
    void Seq_Matrix_MouseDown(int button, int shift, int x, int y);
    void Seq_Keys_MouseDown(int index, int button);
    void Seq_Keys_MouseUp(int index);
    void Seq_Directions_Click(int index);
    void Seq_Range_Click();
    void Seq_Trans_Click();
    void Seq_Tempo_Change();
    void Seq_Start_MouseDown();
    void Seq_Start_Click();
    void Seq_Stop_MouseDown();
    void Seq_Stop_MouseUp();
    void Seq_Stop_Click();
    void Seq_New_MouseDown();
    void Seq_New_MouseUp();
    // Sets a list's selection the way a user's choice does: its handler runs.
    void Select_Range(int index);
    void Select_Trans(int index);

  protected:
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void paintEvent(QPaintEvent*) override;

  private:
    void Paint_Cell(int i);
};
