#include "app/quorlen.h"
#include "dialogs/input_dlg.h"
#include "dialogs/picture_buttons.h"
#include "editors/editor.h"
#include "editors/editor_juno.h"
#include "support/fixture.h"
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {
QPixmap Solid(QColor c, int w = 20, int h = 20) {
    QPixmap p(w, h);
    p.fill(c);
    return p;
}

class ButtonsTest : public ProgramTest {
  protected:
    void SetUp() override {
        Quorlen& m = Quorlen::get();
        m.Button_Up3D = Solid(Qt::red, 30, 26);
        m.Button_Dn3D = Solid(Qt::green, 30, 26);
        m.Dlg2_Up = Solid(Qt::blue, 65, 34);
        m.Dlg2_Dn = Solid(Qt::yellow, 65, 34);
        for (int i = 0; i < 7; ++i) m.LED[i] = Solid(QColor(i * 30, 0, 0), 14, 14);
        host = new QWidget(&m);
    }
    bool Face_Is(const Picture_Box& b, const QPixmap& p) {
        return b.Picture().cacheKey() == p.cacheKey();
    }
    QWidget* host;
};

} // namespace

TEST_F(ButtonsTest, ThreeDButtonMovesItsCaptionOnePixelWhilePressed) {
    Quorlen& m = Quorlen::get();
    Picture_Button b(host, "FD_Button_Updir", Picture_Button::Button_3D);
    // The caption moves only inside the file dialog; here it belongs to none.
    Btn_Down(b);
    EXPECT_TRUE(Face_Is(b, m.Button_Dn3D));
    EXPECT_EQ(b.Caption()->pos(), QPoint(3, 3));

    Picture_Button free(host, "Anything", Picture_Button::Button_3D);
    Btn_Down(free);
    EXPECT_TRUE(Face_Is(free, m.Button_Dn3D));
    EXPECT_EQ(free.Caption()->pos(), QPoint(3, 3));
    Btn_Up(free);
    EXPECT_TRUE(Face_Is(free, m.Button_Up3D));
}

TEST_F(ButtonsTest, MouseDownAndUpGiveTheSignalsAndAClick) {
    Picture_Button b(host, "Seq_Start", Picture_Button::Button_3D);
    b.resize(30, 26);
    int down = 0, up = 0, click = 0;
    QObject::connect(&b, &Picture_Box::Mouse_Down, [&] { ++down; });
    QObject::connect(&b, &Picture_Box::Mouse_Up, [&] { ++up; });
    QObject::connect(&b, &Picture_Box::Click, [&] { ++click; });
    // A press on the caption picture is a press on the button.
    QTest::mouseClick(&b, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(down, 1);
    EXPECT_EQ(up, 1);
    EXPECT_EQ(click, 1);
}

TEST_F(ButtonsTest, CheckBoxKeepsItsStateWhileDisabled) {
    Quorlen& m = Quorlen::get();
    Picture_Check box(host, "CB");
    CB_Toggle(box);
    EXPECT_EQ(box.State(), 3);
    EXPECT_TRUE(Face_Is(box, m.LED[3]));
    CB_Disable(box);
    EXPECT_TRUE(Face_Is(box, m.LED[5]));
    CB_Uncheck(box);
    CB_Toggle(box);
    CB_Check(box);
    EXPECT_EQ(box.State(), 3);
    EXPECT_TRUE(Face_Is(box, m.LED[5]));
    CB_Enable(box);
    EXPECT_TRUE(Face_Is(box, m.LED[3]));
    CB_Toggle(box);
    EXPECT_EQ(box.State(), 0);
    EXPECT_TRUE(Face_Is(box, m.LED[0]));
    // A disabled window around the box does not make the box disabled.
    host->setEnabled(false);
    CB_Check(box);
    EXPECT_EQ(box.State(), 3);
}

TEST_F(ButtonsTest, OptionGroupSkipsDisabledLooksAndTargets) {
    Quorlen& m = Quorlen::get();
    Picture_Check a(host, "OB", true), b(host, "OB", true);
    Picture_Option_Group group{&a, &b};
    OB_Select(group, 1);
    EXPECT_EQ(b.State(), 1);
    EXPECT_TRUE(Face_Is(b, m.LED[1]));
    OB_Disable(b);
    OB_Select(group, 0);
    EXPECT_EQ(a.State(), 1);
    EXPECT_EQ(b.State(), 0);
    EXPECT_TRUE(Face_Is(b, m.LED[5]));
    CB_Enable(b);
    EXPECT_TRUE(Face_Is(b, m.LED[0]));
    OB_Disable(a);
    OB_Select(group, 0); // disabled target: nothing at all
    EXPECT_EQ(a.State(), 1);
    EXPECT_EQ(b.State(), 0);
    OB_Disable_All(group);
    EXPECT_FALSE(a.isEnabledTo(host));
    EXPECT_FALSE(b.isEnabledTo(host));
}

TEST_F(ButtonsTest, OkCancelButtonsUseTheDialogFaces) {
    Quorlen& m = Quorlen::get();
    Picture_Button ok(host, "FD_Button_Ok", Picture_Button::Dialog_OkCancel);
    EXPECT_EQ(ok.Caption()->geometry(), QRect(6, 5, 51, 20));
    Btn_OkCancel_Down(ok);
    EXPECT_TRUE(Face_Is(ok, m.Dlg2_Dn));
    Btn_OkCancel_Up(ok);
    EXPECT_TRUE(Face_Is(ok, m.Dlg2_Up));
}

TEST_F(ButtonsTest, EmptyStockStillDrawsUsableControls) {
    Quorlen& m = Quorlen::get();
    m.Button_Up3D = m.Button_Dn3D = QPixmap();
    m.LED.fill(QPixmap());
    Picture_Button b(host, "X", Picture_Button::Button_3D);
    b.resize(30, 26);
    Picture_Check c(host, "C");
    CB_Check(c);
    const QImage up = b.grab().toImage();
    Btn_Down(b);
    EXPECT_NE(b.grab().toImage(), up);
    EXPECT_NE(c.grab().toImage(), QImage());
}

// The editors share one start button name: pressing it in either moves both captions.
TEST_F(ButtonsTest, CaptionOfSharedEditorButtonMovesInEveryOwner) {
    auto* jx = new Picture_Button(&Editor::get(), "ED_Seq_Start", Picture_Button::Button_3D);
    auto* juno = new Picture_Button(&Editor_Juno::get(), "ED_Seq_Start", Picture_Button::Button_3D);
    Btn_Down(*juno);
    EXPECT_EQ(jx->Caption()->pos(), QPoint(4, 4));
    EXPECT_EQ(juno->Caption()->pos(), QPoint(4, 4));
    EXPECT_TRUE(Face_Is(*juno, Quorlen::get().Button_Dn3D));
    EXPECT_TRUE(Face_Is(*jx, Quorlen::get().Button_Up3D)); // only the pressed face changes
    Btn_Up(*jx);
    EXPECT_EQ(jx->Caption()->pos(), QPoint(3, 3));
    EXPECT_EQ(juno->Caption()->pos(), QPoint(3, 3));
}

TEST_F(ButtonsTest, InputBoxOkCancelAndCloseBox) {
    Input_Result = "stale";
    Set_Input_Box_Hook([](Input_Dlg& d) {
        EXPECT_EQ(d.Input_Textbox->selectedText(), "folder");
        EXPECT_EQ(d.windowTitle(), "Create new folder");
        EXPECT_EQ(d.pos(), QPoint(150, 150));
        QTest::mouseClick(d.Input_OK, Qt::LeftButton);
    });
    EXPECT_EQ(Input_Box("Name:", "Create new folder", "folder"), "folder");

    Set_Input_Box_Hook([](Input_Dlg& d) {
        QTest::keyClicks(d.Input_Textbox, "mine"); // replaces the selected default
        QTest::keyClick(d.Input_Textbox, Qt::Key_Return);
    });
    EXPECT_EQ(Input_Box("Name:", "T", "folder"), "mine");

    Set_Input_Box_Hook([](Input_Dlg& d) {
        QTest::keyClicks(d.Input_Textbox, "typed");
        QTest::mouseClick(d.Input_Cancel, Qt::LeftButton);
    });
    EXPECT_EQ(Input_Box("Name:", "T", "folder"), "");

    Input_Result = "stale";
    Set_Input_Box_Hook([](Input_Dlg& d) { d.close(); });
    EXPECT_EQ(Input_Box("Name:", "T", "folder"), "");

    Set_Input_Box_Hook([](Input_Dlg& d) { QTest::keyClick(d.Input_Textbox, Qt::Key_Escape); });
    EXPECT_EQ(Input_Box("Name:", "T", "x"), "");
    Set_Input_Box_Hook({});
    EXPECT_FALSE(Input_Dlg::loaded());
}
