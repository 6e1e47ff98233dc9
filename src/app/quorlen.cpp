#include "app/quorlen.h"
#include "app/app_style.h"
#include "app/dlg.h"
#include "app/main_module.h"
#include "app/recent.h"
#include "app/settings.h"
#include "editors/display_font.h"
#include "editors/editor.h"
#include "editors/editor_juno.h"
#include "editors/knob_model.h"
#include "editors/patch.h"
#include "help/help.h"
#include "instrument/instrument.h"
#include "midi/midi_port.h"
#include "midi/midi_setup.h"
#include "midi/receive.h"
#include "midi/routines.h"
#include "midi/sysex.h"
#include "platform/host.h"
#include "platform/msgbox.h"
#include "sequencer/oscillator.h"
#include "sequencer/playback.h"
#include "sequencer/sequence.h"
#include "sequencer/sequencer.h"
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QMdiArea>
#include <QTimer>
#include <cmath>

Quorlen::Quorlen() {
    Set_Main_Form(this);
    Install_App_Style();
    setAttribute(Qt::WA_DeleteOnClose, false);
    mdi_ = new QMdiArea(this);
    mdi_->setBackground(QColor(0x80, 0x80, 0x80));
    // A window that closes hands the front to the one that was there before it.
    mdi_->setActivationOrder(QMdiArea::ActivationHistoryOrder);
    setCentralWidget(mdi_);
    mdi_->viewport()->installEventFilter(this);
    Set_Outer_Size(541, 508);

    Timer_Display = new QTimer(this);
    Timer_Display->setInterval(2000);
    connect(Timer_Display, &QTimer::timeout, this, &Quorlen::Timer_Display_Timer);
    // Sequencer steps are music: they need a precise timer.
    Seq_Tmr = new QTimer(this);
    Seq_Tmr->setTimerType(Qt::PreciseTimer);
    Seq_Tmr->setInterval(250);
    Seq_Tmr_Connect(Seq_Tmr);
    MidiNotifyControl = new Notify_Label("MidiNotifyControl (invisible)", this);
    MidiNotifyControl->setObjectName("MidiNotifyControl");
    MidiNotifyControl->hide();
    connect(MidiNotifyControl, &Notify_Label::Change, this, &Quorlen::MidiNotifyControl_Change);

    Build_Menus();
    Picture_Stock_Init(*this);
}

Quorlen::~Quorlen() {
    // The focus leaves the windows while this is still whole: a control's
    // focus-out restores its look from the picture stock held here.
    if (QWidget* f = QApplication::focusWidget(); f && isAncestorOf(f)) f->clearFocus();
    mdi_->blockSignals(true);
    Focus_Control = nullptr;
}

bool Quorlen::MDIForm_Load() {
    Dlg_Count = 0;
    Display_Font_Init();
    Focus_Control = Editor::get().DCO1_Range;
    Screen_PPI = Host_Screen_PPI();
    Screen_Scale = static_cast<float>(Screen_PPI) / 96.0f;
    if (Screen_PPI != 96 && Screen_PPI != 120) {
        Refuse_Screen();
        return false;
    }
    INI_File = Program_Folder() + Path_Separator + "Quorlen.INI";
    setWindowTitle("Quorlen");
    MIDI_Setup_Needed = 0;
    Menu_Edit_Undo->setEnabled(false);
    Drag_Last_X = Drag_Last_Y = Patch_Left = Patch_Top = Seq_Left = Seq_Top = 0;
    MIDI_Init();
    Load_Settings();
    Pi = 4 * std::atan(1.0);
    Patch_Form_Open = 0;
    Seq_Form_Open = 0;
    Seq_Running = 0;
    Blink_Phase = 1;
    New_SEQ();
    if (Menu_MIDI_Seq_Load->isChecked()) Menu_File_Seq_1_Click();
    After_Touch_Index = 0;
    Key_Mode_Index = 0;
    Tone_Saved = true;
    Editor& editor = Editor::get();
    editor.Set_Outer_Size(528, 456);
    Editor_Juno::get().Move_To(0, 0);
    unsetCursor();
    editor.setEnabled(true);
    Dlg_Open.clear();
    Menus_Enable();
    if (MIDI_Setup_Needed == 1) MIDI_Setup::get().Form_Show();
    if (MIDI_Enabled == 0) {
        Menu_MIDI->setEnabled(false);
        Menu_Tone_Send->setEnabled(false);
    }
    Set_Synth();
    Tone_New();
    Tone_Saved = true;
    editor.Timer1->start();
    return true;
}

void Quorlen::Refuse_Screen() {
    Msg_Box("Unsupported system font size: " + QString::number(Screen_PPI) +
                " ppi (pixel per inch).\r"
                "Please set the font size to 'small fonts' (96 ppi) or 'large fonts (120 ppi).\r\r"
                "For additional informations, see the README.TXT file.",
            Mb::OkOnly | Mb::Critical);
    Tone_Saved = true;
    Seq_Saved = 255;
    Form_Unload();
}

bool Quorlen::Form_Unload() {
    if (Unloaded()) return true;
    // A close asked while the closing runs (a question or a Save dialog on
    // screen) changes nothing.
    if (unloading_) return false;
    unloading_ = true;
    if (MDIForm_QueryUnload()) {
        unloading_ = false;
        return false;
    }
    // The windows left close with the frame, before the MIDI output is closed.
    Oscillator::Unload();
    MDIForm_Unload();
    Mark_Unloaded();
    hide();
    QCoreApplication::quit();
    return true;
}

QSize Quorlen::Outer_Size() const {
    return outer_.isEmpty() ? frameGeometry().size() : outer_;
}

void Quorlen::Set_Outer_Size(int width, int height) {
    outer_ = QSize(width, height);
    Fit_Outer_Size();
}

// The window manager tells the frame's size only once the window is shown.
void Quorlen::Fit_Outer_Size() {
    if (outer_.isEmpty()) return;
    const QSize frame = frameGeometry().size() - size();
    resize(outer_ - frame);
    if (!frame.isEmpty()) outer_ = QSize();
}

bool Quorlen::event(QEvent* event) {
    if (!outer_.isEmpty()) {
        const QSize frame = frameGeometry().size() - size();
        if (event->type() == QEvent::Resize && size() != outer_ - frame)
            outer_ = QSize(); // another size was asked for since
        else if ((event->type() == QEvent::Show || event->type() == QEvent::Move) &&
                 windowState() == Qt::WindowNoState)
            Fit_Outer_Size();
    }
    return QMainWindow::event(event);
}

void Quorlen::closeEvent(QCloseEvent* event) {
    if (Form_Unload())
        event->accept();
    else
        event->ignore();
}

bool Quorlen::MDIForm_QueryUnload() {
    if (Seq_Running == 255) Seq_Tmr->stop();
    MIDI_AllNotesOff();
    if (Seq_Form_Open == 255) Sequencer::Unload();
    if (Patch_Form_Open == 255) Patch::Unload();

    bool cancel = false;
    int last = 0;
    if (!Tone_Saved) {
        last = Msg_Box("Save actual TONE first?", Mb::YesNoCancel | Mb::Question, "Quorlen");
        if (last == Mb::Yes) {
            Menu_File_SYX_Save_Click();
        } else if (last == Mb::No) {
            Tone_Saved = true;
            cancel = false;
        } else {
            cancel = true;
        }
    }
    if (Seq_Saved == 0) {
        last = Msg_Box("Save actual SEQUENCE first?", Mb::YesNoCancel | Mb::Question, "Quorlen");
        if (last == Mb::Yes) {
            Menu_File_Seq_SaveAs_Click();
        } else if (last == Mb::No) {
            Seq_Saved = 255;
            cancel = false;
        } else {
            cancel = true;
        }
    }
    if (last != Mb::Cancel) cancel = !(Tone_Saved && Seq_Saved != 0);
    return cancel;
}

void Quorlen::MDIForm_Unload() {
    if (Font_Loaded) {
        if (Host_Remove_Font(Display_Font_Path()) == 0)
            Msg_Box("Error " + QString::number(Host_Last_Error()), Mb::OkOnly | Mb::Critical,
                    "Quorlen");
        else
            Font_Loaded = false;
    }
    Timer_Display->stop();
    if (Editor::loaded()) Editor::get().Timer1->stop();
    Seq_Tmr->stop();
    Save_Settings();
    MIDI_Out_Close_All();
    Do_Events();
}

void Quorlen::MDIForm_Click() {
    if (Dlg_Open.isEmpty()) return;
    if (Host_Play_Sound("SystemDefault", 2) == 0) Host_Beep();
}

bool Quorlen::eventFilter(QObject* watched, QEvent* event) {
    if (watched == mdi_->viewport() && event->type() == QEvent::MouseButtonPress) MDIForm_Click();
    return QMainWindow::eventFilter(watched, event);
}

void Notify_Label::Set_Caption(const QString& caption) {
    if (caption == text()) return;
    setText(caption);
    emit Change();
}

void Quorlen::MidiNotifyControl_Change() {
    MIDI_In_Notify();
}

void Quorlen::Timer_Display_Timer() {
    Timer_Display->stop();
    if (FD_Form_Open) {
        Soundcheck_Wait = Soundcheck_Wait == 0 ? 1 : 0;
    } else if (Dlg_Open != "Help") {
        Editor::get().Tone_Name->setText(Tone_Name_Text);
        Editor_Juno& juno = Editor_Juno::get();
        juno.Tone_Name->setText(Tone_Name_Text);
        juno.PictureEnv->hide();
    } else {
        Help::get().HName->setText("Waiting...");
    }
}
