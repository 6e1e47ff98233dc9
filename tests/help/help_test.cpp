// The help window: opening from each menu entry, the pages, the keyword
// search, the about page and the demonstration controls.
#include "app/dlg.h"
#include "editors/editor_support.h"
#include "help/help.h"
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {
class HelpTest : public EditorTest {
  protected:
    void TearDown() override {
        if (Help::loaded()) Help::get().close();
    }
    // What the Help menu's entries do.
    static Help& menu_about() {
        Help_Topic = "About";
        Help_Open();
        Help::get().Form_Show();
        return Help::get();
    }
    static Help& menu_howto() {
        Help::get().Cmd_Howto_Click();
        Help_Topic = "Howto";
        Help::get().Form_Show();
        return Help::get();
    }
    static Help& menu_search() {
        Help_Topic = "Search";
        Help::get().Form_Show();
        if (Dlg_Open == "Help") Help::get().Help_Keyword->setFocus();
        return Help::get();
    }
    static QString selected(Help& h) {
        return h.Help_KeyList->currentItem() ? h.Help_KeyList->currentItem()->text() : QString();
    }
    static QString hname() { return Help::get().HName->text(); }
    static bool only_page(Help& h, QFrame* f) {
        for (QFrame* p : {h.Frame_Howto, h.Frame_Search, h.Frame_Credits})
            if (p->isVisible() != (p == f)) return false;
        return true;
    }
};
} // namespace

TEST_F(HelpTest, AboutOpensAsTheHelpDialogWithCreditsWithoutGaps) {
    Help& h = menu_about();
    EXPECT_EQ(h.windowTitle(), "Quorlen Help");
    EXPECT_EQ(Dlg_Open, "Help");
    EXPECT_EQ(Dlg_Count, 1);
    EXPECT_FALSE(Quorlen::get().Menu_Help->isEnabled());
    EXPECT_TRUE(only_page(h, h.Frame_Credits));
    ASSERT_EQ(h.Credits->count(), 11);
    for (int i = 0; i < h.Credits->count(); ++i) EXPECT_FALSE(h.Credits->item(i)->text().isEmpty());
    // The entry after the empty row shows its own row's text.
    h.Credits->setCurrentRow(6);
    EXPECT_EQ(h.Credits->item(6)->text(), Credits_Table[7][0]);
    EXPECT_EQ(h.Credits_Why->text(), " " + Credits_Table[7][1]);
    const QString about = h.About->toPlainText();
    EXPECT_TRUE(about.startsWith("Quorlen is an interactive editor for the Roland JX-8P "
                                 "synthesizer based on the design of the Roland Programmer "
                                 "PG-800. \nQuorlen has additional features:\n"));
    EXPECT_TRUE(about.endsWith("\n \u00B0 All Quorlen users\n"));
    EXPECT_TRUE(about.contains("\n\n\nVery special thanks to:\n\n"));
    // A second fill lists every entry once.
    h.Cmd_About_Click();
    EXPECT_EQ(h.Credits->count(), 11);
    EXPECT_TRUE(h.Pic_Quorlen->Picture().width() > 0);
    EXPECT_TRUE(h.Pic_Orvel->Picture().width() > 0);
}

TEST_F(HelpTest, KeywordSearchSelectsTheFirstTopicNotBelowTheText) {
    Help& h = menu_search();
    EXPECT_TRUE(only_page(h, h.Frame_Search));
    // The focused editor control carries no topic: the first entry is selected.
    EXPECT_EQ(h.Help_Keyword->text(), "");
    EXPECT_EQ(h.Help_KeyList->currentRow(), 0);
    EXPECT_EQ(selected(h), "Editor");
    EXPECT_EQ(h.Help_Description->text(), Help_Table[87][1]);
    EXPECT_EQ(h.Help_KeyList->count(), 23);

    QTest::keyClicks(h.Help_Keyword, "m");
    EXPECT_EQ(selected(h), "Matrix");
    EXPECT_EQ(h.Help_Description->text(),
              "Simply click with the left or right mouse button onto the matrix to set notes.");
    h.Help_Keyword->setText("MIDI S");
    EXPECT_EQ(selected(h), "MIDI setup");
    h.Help_Keyword->setText("zz");
    EXPECT_EQ(h.Help_KeyList->currentRow(), h.Help_KeyList->count() - 1);
    EXPECT_EQ(selected(h), "using mouse, keyboard");
    for (const char* k : {"Keyboard", "Mouse", "using mouse, keyboard"}) {
        h.Help_Keyword->setText(k);
        EXPECT_EQ(selected(h), k);
        EXPECT_EQ(h.Help_Description->text(),
                  "Please press the 'How to use Quorlen' button for details.");
    }
    // Reopening lists every keyword once.
    h.close();
    EXPECT_EQ(menu_search().Help_KeyList->count(), 23);
}

TEST_F(HelpTest, EscapeClosesFromEveryPageAndGivesTheHighlightBack) {
    focus(ctl("VCF_Res"));
    for (int page = 0; page < 3; ++page) {
        Help& h = page == 0 ? menu_about() : page == 1 ? menu_howto() : menu_search();
        QWidget* target = page == 1 ? static_cast<QWidget*>(h.Pos_Sw) : h.Cmd_About;
        QTest::keyClick(target, Qt::Key_Escape);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(Help::loaded()) << page;
        EXPECT_EQ(Dlg_Open, "");
        EXPECT_EQ(Dlg_Count, 0);
        EXPECT_EQ(Focus_Control.data(), ctl("VCF_Res")) << page;
        EXPECT_TRUE(ed().Timer1->isActive());
        EXPECT_TRUE(Quorlen::get().Menu_Help->isEnabled());
    }
}

TEST_F(HelpTest, HowtoPageBlinksTheLeverAndExplainsEachControl) {
    Help& h = menu_howto();
    EXPECT_TRUE(only_page(h, h.Frame_Howto));
    EXPECT_EQ(Focus_Control.data(), h.Pos_Sw);
    EXPECT_TRUE(ed().Timer1->isActive());
    EXPECT_EQ(h.Info->text(), Howto_Info_Text);
    ed().Timer1_Timer();
    EXPECT_EQ(h.Pos_Sw->Picture().cacheKey(), Quorlen::get().Buttons[Blink_Phase].cacheKey());
    // At their first values (lever and fader at 0, switch off, knob centred) the
    // controls stand at their places.
    std::vector<std::pair<QWidget*, QRect>> places = {{h.Pos_Sw, {13, 35, 18, 18}},
                                                      {h.Switch, {106, 15, 18, 18}},
                                                      {h.Slider, {62, 85, 18, 18}},
                                                      {h.Tune, {8, 68, 28, 26}},
                                                      {h.Tune_Knopf, {12, 5, 4, 4}}};
    for (int k = 0; k < 4; ++k) places.push_back({h.LED_SW[k], {108, 40 + 15 * k, 14, 14}});
    for (const auto& [c, at] : places)
        EXPECT_EQ(c->geometry(), at) << c->objectName().toStdString();
    focus(h.Tune);
    EXPECT_EQ(Focus_Control.data(), h.Tune_Knopf);
    EXPECT_TRUE(h.Info->text().startsWith("Click and hold down a mouse button and move left"));
    // The lever lost its highlight to the knob.
    EXPECT_EQ(h.Pos_Sw->Picture().cacheKey(), Quorlen::get().Buttons[0].cacheKey());
    focus(h.Switch);
    EXPECT_EQ(h.Info->text().split('\n').size(), 4);
}

TEST_F(HelpTest, DemonstrationReadouts) {
    Help& h = menu_howto();
    focus(h.Pos_Sw);
    Help_Demo_Bytes[0] = 0;
    key(h.Pos_Sw, Qt::Key_Down);
    EXPECT_EQ(Help_Demo_Bytes[0], 0);
    EXPECT_EQ(hname(), "4");
    key(h.Pos_Sw, Qt::Key_Home);
    EXPECT_EQ(hname(), "1");
    EXPECT_EQ(h.Pos_Sw->Top(), 5);
    key(h.Pos_Sw, Qt::Key_PageDown);
    EXPECT_EQ(Help_Demo_Bytes[0], 95);
    EXPECT_EQ(h.Pos_Sw->Top(), 15);
    // A lever drag shows every step.
    drag_to(h.Pos_Sw, 4, -40);
    EXPECT_EQ(Help_Demo_Bytes[0], 127);
    EXPECT_EQ(hname(), "1");

    focus(h.Slider);
    key(h.Slider, Qt::Key_Home);
    EXPECT_EQ(hname(), "99");
    EXPECT_EQ(h.Slider->Top(), 5);
    Help_Demo_Bytes[2] = 64;
    press(h.Slider);
    EXPECT_EQ(hname(), "49");
    key(h.Slider, Qt::Key_F5); // a key of no meaning still shows the value
    EXPECT_EQ(hname(), "49");
    drag_to(h.Slider, 4, 64);
    EXPECT_EQ(hname(), "0");
    EXPECT_EQ(h.Slider->Top(), 85);

    focus(h.Tune);
    press(h.Tune);
    EXPECT_EQ(Help_Demo_Bytes[1], 63);
    EXPECT_EQ(hname(), "0");
    key(h.Tune, Qt::Key_Right);
    EXPECT_EQ(hname(), "1");
    EXPECT_EQ(Help_Demo_Bytes[1], Tune_Semi_To_Value(1));
    key(h.Tune, Qt::Key_End);
    EXPECT_EQ(hname(), "-12");

    Help_Demo_Bytes[3] = 10;
    press(h.Switch);
    EXPECT_EQ(Help_Demo_Bytes[3], 64);
    EXPECT_EQ(hname(), "ON");
    EXPECT_EQ(h.Switch->Top(), 5);
    Help_Demo_Bytes[3] = 100;
    focus(h.Switch);
    key(h.Switch, Qt::Key_Down);
    EXPECT_EQ(Help_Demo_Bytes[3], 0);
    EXPECT_EQ(hname(), "OFF");
    EXPECT_EQ(h.Switch->Top(), 15);
    Help_Demo_Bytes[3] = 63; // still off
    key(h.Switch, Qt::Key_Up);
    EXPECT_EQ(Help_Demo_Bytes[3], 64);
    EXPECT_EQ(h.Switch->Top(), 5);
    key(h.Switch, Qt::Key_Up);
    EXPECT_EQ(Help_Demo_Bytes[3], 0);
    for (Qt::Key other : {Qt::Key_Left, Qt::Key_Right}) { // not its keys
        key(h.Switch, other);
        EXPECT_EQ(Help_Demo_Bytes[3], 0) << other;
        EXPECT_EQ(h.Switch->Top(), 15) << other;
    }

    press(h.LED_SW[2]);
    EXPECT_EQ(hname(), "C");
    EXPECT_EQ(Help_LED_SW_State, 2);
    const Quorlen& m = Quorlen::get();
    for (int k : {0, 1, 3}) EXPECT_EQ(h.LED_SW[k]->Picture().cacheKey(), m.LED[0].cacheKey());
    key(h.LED_SW[2], Qt::Key_Down);
    EXPECT_EQ(hname(), "D");
    key(h.LED_SW[3], Qt::Key_Down);
    EXPECT_EQ(Help_LED_SW_State, 3);
    // Tab leaves the row for the lever; the lit LED stays lit.
    key(h.LED_SW[3], Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), h.Pos_Sw);
    EXPECT_EQ(h.LED_SW[3]->Picture().cacheKey(), m.LED[1].cacheKey());

    // Two seconds after the last change the display waits again.
    EXPECT_TRUE(m.Timer_Display->isActive());
    Quorlen::get().Timer_Display_Timer();
    EXPECT_EQ(hname(), "Waiting...");
}

TEST_F(HelpTest, OpeningResetsTheKnobAndFaderAndShowsKeptValues) {
    Help_Demo_Bytes = {127, 0, 127, 100, 2, 0, 0, 0, 0};
    Help_LED_SW_State = 2;
    Help& h = menu_howto();
    EXPECT_EQ(Help_Demo_Bytes[1], 63);
    EXPECT_EQ(Help_Demo_Bytes[2], 0);
    EXPECT_EQ(h.Slider->Top(), 85);
    EXPECT_EQ(h.Tune_Knopf->pos(), QPoint(12, 5));
    EXPECT_EQ(h.Pos_Sw->Top(), 5);
    EXPECT_EQ(h.Switch->Top(), 5);
    EXPECT_EQ(h.LED_SW[2]->Picture().cacheKey(), Quorlen::get().LED[1].cacheKey());
}
