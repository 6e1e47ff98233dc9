#pragma once
// The help window: the how-to page with demonstration controls, the keyword
// search over the topic table, and the about and credits page.
#include "app/form.h"
#include "editors/knob_model.h"
#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>

class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

using Help_Row = std::array<QString, 2>; // keyword or name, description
extern std::array<Help_Row, 101> Help_Table;
extern std::array<Help_Row, 16> Credits_Table;
extern QString Help_Topic; // the page to open: "About", "Howto" or "Search"
// The values of the demonstration controls; only indices 0 to 4 are used.
extern std::array<std::uint8_t, 9> Help_Demo_Bytes;
extern std::uint8_t Help_LED_SW_State; // the lit LED button, 0..3

class Help : public QWidget, public Form<Help>, public Control_Host {
    Q_OBJECT
  public:
    Help();
    void Form_Load();
    void Form_Show();

    // Page buttons and pages.
    QPushButton *Cmd_Howto, *Cmd_Search, *Cmd_About;
    QFrame *Frame_Howto, *Frame_Search, *Frame_Credits;
    // Search page.
    QLineEdit* Help_Keyword;
    QListWidget* Help_KeyList;
    QLabel* Help_Description;
    // How-to page.
    QLabel *Label4, *Info;
    QLabel* HName; // the readout of the demonstration controls
    Pic_Control* Pic_Howto_Bk;
    Pic_Control *Pos_Sw, *Tune, *Tune_Knopf, *Slider, *Switch;
    std::array<Pic_Control*, 4> LED_SW{};
    // About page.
    Pic_Control *Pic_Quorlen, *Pic_Orvel;
    QPlainTextEdit* About;
    QListWidget* Credits;
    QLabel* Credits_Why;

    // Shows one page and hides the other two.
    void Show_Page(QFrame* page);
    // The how-to page with its explanation, the lever focused and blinking.
    void Show_Howto();
    void Cmd_Howto_Click();
    void Cmd_Search_Click();
    void Cmd_About_Click();
    void Help_Keyword_Change();
    void Help_KeyList_Click();
    void Credits_Click();

    // The demonstration procedures: the editor's rules on Help_Demo_Bytes.
    void Slider_KeyStep(int key);
    void Switch_KeyStep(int key);
    void Slider_Drag(double y);
    void Switch_Drag(double y);
    void Slider_Redraw();
    void Switch_Redraw();
    void Toggle();
    void LED_SW_Click(int k);
    // Gives the focused demonstration control its plain picture back.
    void Pic_Release();

    // Control_Host
    void Control_GotFocus(Pic_Control* c) override;
    void Control_LostFocus(Pic_Control* c) override;
    void Control_KeyDown(Pic_Control* c, int key, int shift) override;
    void Control_MouseDown(Pic_Control* c, int button, int shift, double x, double y) override;
    void Control_MouseMove(Pic_Control* c, int button, int shift, double x, double y) override;

  protected:
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Form_QueryUnload();
};

// Fills and registers the help window for Help_Topic; the window's load runs it too.
void Help_Open();
void Help_Topics_Init();
void Help_Pics();
void Credits_Fill();
// Stores a demonstration value, shows its readout and restarts the display timer.
void Demo_Param_Set(int index, int value);
// The readout of a demonstration value; empty where the control shows none.
QString Demo_Text(int index, int value);
// The description of the Help window's Info label for the how-to page.
extern const QString Howto_Info_Text;
// The printed background of the demonstration controls.
QPixmap Howto_Background_Picture();
// Back to the values at program start.
void Help_Reset();
