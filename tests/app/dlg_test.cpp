#include "app/dlg.h"
#include "app/main_module.h"
#include "app/quorlen.h"
#include "editors/editor.h"
#include "editors/editor_juno.h"
#include "editors/knob_model.h"
#include "editors/patch.h"
#include "sequencer/sequencer.h"
#include "support/fixture.h"
#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <QMdiSubWindow>
#include <QTimer>
#include <ctime>

namespace {
double cpu_seconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}
} // namespace

class DlgTest : public ProgramTest {
  protected:
    void SetUp() override {
        Write_Settings("[MIDI]\r\nOutput=Synth Out\r\nInput=Synth In\r\n");
        Start_Program();
        dialog = new QWidget(&Quorlen::get(), Qt::Dialog);
    }
    void TearDown() override { delete dialog; }

    QList<bool> menus() const {
        Quorlen& m = Quorlen::get();
        QList<bool> out;
        for (QAction* a :
             {m.Menu_File, m.Menu_Edit, m.Menu_Tone, m.Menu_MIDI, m.Menu_Windows, m.Menu_Help})
            out << a->isEnabled();
        return out;
    }
    QWidget* dialog = nullptr;
};

TEST_F(DlgTest, DialogDisablesEverythingAndItsEndPutsItBack) {
    Quorlen& m = Quorlen::get();
    Editor& editor = Editor::get();
    QWidget* focus = editor.DCO1_Range;
    ASSERT_TRUE(editor.Timer1->isActive());
    Patch::get();
    Sequencer::get();
    Sequencer::get().Form_Hide();
    Focus_Control = focus; // loading a window takes the highlight to its first control

    Dlg_Begin(dialog, "File_Dlg");
    EXPECT_EQ(Dlg_Open, "File_Dlg");
    EXPECT_EQ(Dlg_Count, 1);
    EXPECT_EQ(menus(), QList<bool>(6, false));
    EXPECT_EQ(m.cursor().shape(), Qt::WaitCursor);
    EXPECT_EQ(dialog->cursor().shape(), Qt::ArrowCursor);
    EXPECT_FALSE(editor.isEnabled());
    EXPECT_FALSE(Editor_Juno::get().isEnabled());
    EXPECT_FALSE(Patch::get().isEnabled());
    EXPECT_FALSE(Sequencer::get().isEnabled());
    EXPECT_FALSE(editor.Timer1->isActive());

    Focus_Control = Editor_Juno::get().Tone_Name; // the dialog moves the focus elsewhere
    Dlg_End();
    EXPECT_TRUE(Dlg_Open.isEmpty());
    EXPECT_EQ(Dlg_Count, 0);
    EXPECT_EQ(menus(), QList<bool>(6, true));
    EXPECT_EQ(m.cursor().shape(), Qt::ArrowCursor);
    EXPECT_TRUE(editor.isEnabled());
    EXPECT_TRUE(Editor_Juno::get().isEnabled());
    EXPECT_TRUE(Patch::get().isEnabled());
    EXPECT_TRUE(Sequencer::get().isEnabled());
    EXPECT_FALSE(Sequencer::get().frame()->isHidden()); // brought back
    EXPECT_EQ(Focus_Control, focus);
    EXPECT_TRUE(editor.Timer1->isActive());
}

TEST_F(DlgTest, SequencerWindowsOwnEndWithoutBeginEnablesEverything) {
    QWidget* saved = Editor::get().DCO1_Range;
    Dlg_Saved_Focus = saved;
    Focus_Control = nullptr;
    Menus_Disable();
    Dlg_Open = "something";
    Dlg_End();
    EXPECT_TRUE(Dlg_Open.isEmpty());
    EXPECT_EQ(menus(), QList<bool>(6, true));
    EXPECT_EQ(Focus_Control, saved);
    EXPECT_EQ(Dlg_Count, -1);
    EXPECT_FALSE(Patch::loaded()); // windows that were not open stay closed
    EXPECT_FALSE(Sequencer::loaded());
}

TEST_F(DlgTest, WaitReturnsAtOnceWhenNoDialogIsOpen) {
    QElapsedTimer t;
    t.start();
    Dlg_Wait();
    EXPECT_LT(t.elapsed(), 50);
}

TEST_F(DlgTest, WaitSleepsUntilTheDialogEnds) {
    Dlg_Begin(dialog, "TName");
    QTimer::singleShot(300, [] { Dlg_End(); });
    QElapsedTimer t;
    t.start();
    const double cpu = cpu_seconds();
    Dlg_Wait();
    const double used = cpu_seconds() - cpu;
    EXPECT_GE(t.elapsed(), 290);
    EXPECT_TRUE(Dlg_Open.isEmpty());
    // Waiting is sleeping: far less processor time than wall time.
    EXPECT_LT(used, 0.1) << used;
}
