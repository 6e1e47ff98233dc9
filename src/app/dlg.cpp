#include "app/dlg.h"
#include "app/main_module.h"
#include "app/quorlen.h"
#include "editors/editor.h"
#include "editors/editor_juno.h"
#include "editors/knob_model.h"
#include "editors/patch.h"
#include "midi/routines.h"
#include "platform/handlers.h"
#include "sequencer/sequencer.h"
#include <QAction>
#include <QCoreApplication>
#include <QMdiArea>
#include <QTimer>

QPointer<QWidget> Dlg_Saved_Focus;

void Dlg_Reset() {
    Dlg_Saved_Focus = nullptr;
}

namespace {
std::function<void()> g_waitHook;
}

void Set_Dlg_Wait_Hook(std::function<void()> hook) {
    g_waitHook = std::move(hook);
}

namespace {
void set_menus(bool enabled) {
    Quorlen& m = Quorlen::get();
    for (QAction* a :
         {m.Menu_File, m.Menu_Edit, m.Menu_Tone, m.Menu_MIDI, m.Menu_Windows, m.Menu_Help})
        a->setEnabled(enabled);
}
} // namespace

void Menus_Disable() {
    set_menus(false);
}
void Menus_Enable() {
    set_menus(true);
}

void Dlg_Begin(QWidget* dialog, const QString& name) {
    Editor::get().Timer1->stop();
    Focus_Pic_Reset();
    if (Patch_Form_Open == 255) Patch::get().setEnabled(false);
    if (Seq_Form_Open == 255) Sequencer::get().setEnabled(false);
    Menus_Disable();
    Dlg_Open = name;
    Quorlen::get().setCursor(Qt::WaitCursor);
    Editor::get().setEnabled(false);
    Editor_Juno::get().setEnabled(false);
    if (dialog) dialog->setCursor(Qt::ArrowCursor);
    Dlg_Saved_Focus = Focus_Control;
    Dlg_Count = static_cast<short>(Dlg_Count + 1);
}

void Dlg_End() {
    Focus_Pic_Reset();
    Quorlen::get().unsetCursor();
    Editor::get().setEnabled(true);
    Editor_Juno::get().setEnabled(true);
    if (Patch_Form_Open == 255) {
        Patch& p = Patch::get();
        p.setEnabled(true);
        p.Form_Show();
    }
    if (Seq_Form_Open == 255) {
        Sequencer& s = Sequencer::get();
        s.setEnabled(true);
        s.Form_Show();
        // With the keyboard: the main window, active again once the dialog
        // has gone, gives the focus back to where it last was, and that
        // window would come over this one.
        Quorlen::get().Mdi_Area()->setActiveSubWindow(s.frame());
        s.setFocus();
    }
    Do_Events();
    Dlg_Open.clear();
    Menus_Enable();
    Focus_Control = Dlg_Saved_Focus;
    Editor::get().Timer1->start();
    Dlg_Count = static_cast<short>(Dlg_Count - 1);
}

void Dlg_Wait() {
    Dlg_Wait_Until([] { return Dlg_Open.isEmpty(); });
}

void Dlg_Wait_Until(const std::function<bool()>& done) {
    if (g_waitHook && !done()) g_waitHook();
    // Sleeps in the event loop until an event arrives; never spins. A waiter
    // whose window went meanwhile waits no longer.
    while (!done() && !Handler_Stopped())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}
