#pragma once
// The main window: the frame that holds every other window, its menus, the
// shared timers and the picture stock the other windows draw from.
#include "app/form.h"
#include <QLabel>
#include <QMainWindow>
#include <QPixmap>
#include <array>

class QAction;
class QMdiArea;
class QMenu;
class QTimer;

// A hidden label whose caption change announces received MIDI data.
class Notify_Label : public QLabel {
    Q_OBJECT
  public:
    using QLabel::QLabel;
    void Set_Caption(const QString& caption);

  signals:
    void Change();
};

class Quorlen : public QMainWindow, public Form<Quorlen> {
    Q_OBJECT
  public:
    Quorlen();
    ~Quorlen() override;

    void Form_Load() { MDIForm_Load(); }
    QMdiArea* Mdi_Area() const { return mdi_; }
    // The window's size with its frame and title bar, as the settings keep it.
    QSize Outer_Size() const;
    void Set_Outer_Size(int width, int height);

    // Start-up; false when it was refused and the window closed again.
    bool MDIForm_Load();
    // The closing; true keeps the program running.
    bool MDIForm_QueryUnload();
    void MDIForm_Unload();
    void MDIForm_Click();
    void Timer_Display_Timer();
    void MidiNotifyControl_Change();
    // Runs the whole closing as closing the window does; false when cancelled
    // or while a closing is already under way.
    bool Form_Unload();

    // Picture stock.
    std::array<QPixmap, 11> Buttons;
    std::array<QPixmap, 7> LED;
    std::array<QPixmap, 4> Seq_Keys;
    QPixmap Start_Disabled, Start_Enabled, Stop_Disabled, Stop_Enabled, Record;
    QPixmap Button_Up3D, Button_Dn3D, Dlg2_Up, Dlg2_Dn, Dlg2_Ok, Dlg2_Cancel;

    QTimer* Timer_Display;
    QTimer* Seq_Tmr;
    Notify_Label* MidiNotifyControl;

    // Menus: the top-level and submenu entries are the menus' own actions.
    QAction *Menu_File, *Menu_File_SYX, *Menu_File_SYX_New, *Menu_File_SYX_Open,
        *Menu_File_SYX_Save, *Menu_File_SYX_SaveAs, *Menu_File_SYX_Trenn_1;
    std::array<QAction*, 4> Menu_File_SYX_N;
    QAction *Menu_File_Seq, *Menu_File_Seq_New, *Menu_File_Seq_Open, *Menu_File_Seq_Save,
        *Menu_File_Seq_SaveAs, *Menu_File_Seq_Trenn_1;
    std::array<QAction*, 4> Menu_File_Seq_N;
    QAction *Menu_File_Osc, *Menu_File_Osc_New, *Menu_File_Osc_Open, *Menu_File_Osc_Save,
        *Menu_File_Osc_SaveAs, *Menu_File_Osc_Trenn_1;
    std::array<QAction*, 4> Menu_File_Osc_N;
    QAction *Menu_File_Trenn_2, *Menu_File_Exit;
    QAction *Menu_Edit, *Menu_Edit_Undo;
    QAction *Menu_MIDI, *Menu_MIDI_CloseOutput, *Menu_MIDI_Setup, *Menu_MIDI_Trenn, *Menu_MIDI_Osc,
        *Menu_MIDI_Seq, *Menu_MIDI_Seq_Load;
    QAction *Menu_Tone, *Menu_Tone_Name, *Menu_Tone_Patch, *Menu_Tone_Trenn1, *Menu_Tone_Random,
        *Menu_Tone_Trenn2, *Menu_Tone_Receive, *Menu_Tone_Send;
    QAction *Menu_Windows, *Menu_Windows_SavePos, *Menu_Windows_Reset;
    QAction *Menu_Help, *Menu_Help_Howto, *Menu_Help_Search, *Menu_Help_Trenn, *Menu_Help_About;

    // Menu commands.
    void Menu_File_SYX_Click();
    void Menu_File_SYX_New_Click();
    void Menu_File_SYX_Open_Click();
    void Menu_File_SYX_Save_Click();
    void Menu_File_SYX_SaveAs_Click();
    void Menu_File_Seq_New_Click();
    void Menu_File_Seq_Open_Click();
    void Menu_File_Seq_Save_Click();
    void Menu_File_Seq_SaveAs_Click();
    void Menu_File_Osc_Open_Click();
    void Menu_File_Osc_SaveAs_Click();
    void Menu_File_Exit_Click();
    void Menu_Edit_Undo_Click();
    void Menu_MIDI_CloseOutput_Click();
    void Menu_MIDI_Setup_Click();
    void Menu_MIDI_Osc_Click();
    void Menu_MIDI_Seq_Click();
    void Menu_MIDI_Seq_Load_Click();
    void Menu_Tone_Name_Click();
    void Menu_Tone_Patch_Click();
    void Menu_Tone_Random_Click();
    void Menu_Tone_Receive_Click();
    void Menu_Tone_Send_Click();
    void Menu_Windows_SavePos_Click();
    void Menu_Windows_Reset_Click();
    void Menu_Help_Howto_Click();
    void Menu_Help_Search_Click();
    void Menu_Help_About_Click();

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Build_Menus();
    void Refuse_Screen();

    void Fit_Outer_Size();

    QMdiArea* mdi_;
    // The outer size asked for, until the frame it takes in is known.
    QSize outer_;
};

// Draws every picture of the stock.
void Picture_Stock_Init(Quorlen& main);
