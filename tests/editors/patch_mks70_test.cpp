// The MKS-70 patch window, opened directly: its lists, the tone selector, the
// detune knob and the messages it sends.
#include "dialogs/picture_buttons.h"
#include "editor_support.h"
#include "editors/patch_mks70.h"
#include "midi/sysex.h"
#include <QComboBox>
#include <QLineEdit>

namespace {
class Mks70Test : public EditorTest {
  protected:
    void SetUp() override {
        EditorTest::SetUp();
        if (HasFatalFailure()) return;
        MKS70_Patch_Data.fill(0);
        MKS70_Patch_Data[38] = 7;
        w().Form_Show();
        QCoreApplication::processEvents();
    }
    static Patch_MKS70& w() { return Patch_MKS70::get(); }
    static void choose(QComboBox* list, int index) {
        list->setCurrentIndex(index);
        if (list == w().Split_Point)
            w().Split_Point_Change();
        else
            w().Tone_Number_Change();
    }
};
} // namespace

TEST_F(Mks70Test, OpensOnToneAWithItsLists) {
    EXPECT_EQ(w().Patch_Name->text(), "TEST PATCH MKS-70");
    EXPECT_EQ(MKS70_Patch_Name, "TEST PATCH MKS-70");
    ASSERT_EQ(w().Tone_Number->count(), 100);
    EXPECT_EQ(w().Tone_Number->itemText(0), "1");
    EXPECT_EQ(w().Tone_Number->itemText(99), "100");
    const QStringList keys = MKS70_Key_Names();
    ASSERT_EQ(w().Split_Point->count(), 88);
    EXPECT_EQ(keys.mid(0, 4), QStringList({"A0", "A#0", "B0", "C1"}));
    EXPECT_EQ(keys.at(86), "B7");
    EXPECT_EQ(keys.at(87), "C8");
    EXPECT_EQ(MKS70_Tone_Side, "A");
    const Quorlen& m = Quorlen::get();
    EXPECT_TRUE(w().Tone_A->Shows_Pressed());
    EXPECT_FALSE(w().Tone_B->Shows_Pressed());
    EXPECT_EQ(w().Tone_A->Caption()->pos(), QPoint(4, 4));
    EXPECT_EQ(w().Tone_B->Caption()->pos(), QPoint(3, 3));
    EXPECT_EQ(w().Tone_B->Picture().cacheKey(), m.Button_Up3D.cacheKey());
    // A's split point of 0 lies outside the list: it shows and is stored as A0.
    EXPECT_EQ(MKS70_Patch_Data[20], 21);
    EXPECT_EQ(w().Split_Point->currentIndex(), 0);
    // Tone B takes the lists' first entries.
    EXPECT_EQ(MKS70_Patch_Data[21], 21);
    EXPECT_EQ(MKS70_Patch_Data[38], 0);
    // The panel pictures sit where the instrument has them.
    EXPECT_EQ(w().Panel_Control("Key_Assign(5)")->geometry(), QRect(255, 397, 14, 14));
    EXPECT_EQ(w().Panel_Control("Chase_Mode(2)")->geometry(), QRect(86, 159, 14, 14));
    EXPECT_EQ(w().Panel_Control("AFT_Volume")->Picture().cacheKey(), m.Buttons[6].cacheKey());
    EXPECT_EQ(w().UDTune->geometry(), QRect(165, 335, 28, 26));
}

TEST_F(Mks70Test, EachSideKeepsItsOwnValues) {
    choose(w().Split_Point, 39); // C4
    choose(w().Tone_Number, 4);
    EXPECT_EQ(MKS70_Patch_Data[20], 60);
    QTest::mouseClick(w().Tone_B, Qt::LeftButton);
    EXPECT_EQ(MKS70_Tone_Side, "B");
    EXPECT_EQ(MKS70_Patch_Data[29], 4);
    choose(w().Split_Point, 87); // C8
    choose(w().Tone_Number, 41);
    EXPECT_EQ(MKS70_Patch_Data[21], 108);
    w().Tone_A_Click();
    EXPECT_EQ(MKS70_Patch_Data[21], 108);
    EXPECT_EQ(MKS70_Patch_Data[38], 41);
    // Tone A shows its own tone number and split point.
    EXPECT_EQ(w().Tone_Number->currentIndex(), 4);
    EXPECT_EQ(w().Split_Point->currentIndex(), 39);
    // Selecting A again copies nothing over to B.
    w().Tone_A_Click();
    EXPECT_EQ(MKS70_Patch_Data[21], 108);
    EXPECT_EQ(MKS70_Patch_Data[38], 41);
    // The lists' first entry stores as the lowest key.
    choose(w().Split_Point, 0);
    EXPECT_EQ(MKS70_Patch_Data[20], 21);
    // Neither selection sends anything nor marks the tone unsaved.
    EXPECT_TRUE(midi.take_sent().empty());
}

TEST_F(Mks70Test, DetuneKnobEditsTheSelectedSideAndSends) {
    Tone_Saved = true;
    focus(w().UDTune);
    key(w().UDTune, Qt::Key_0);
    EXPECT_EQ(MKS70_Patch_Data[32], 63);
    EXPECT_EQ(w().Patch_Name->text(), "0");
    EXPECT_EQ(w().UDTune_Knopf->pos(), QPoint(12, 5));
    key(w().UDTune, Qt::Key_PageUp);
    EXPECT_EQ(MKS70_Patch_Data[32], 73);
    pad(w().UDTune, Qt::Key_Plus);
    EXPECT_EQ(MKS70_Patch_Data[32], 74);
    // The arrows leave the value as it is.
    key(w().UDTune, Qt::Key_Up);
    key(w().UDTune, Qt::Key_Left);
    EXPECT_EQ(MKS70_Patch_Data[32], 74);
    key(w().UDTune, Qt::Key_End);
    EXPECT_EQ(MKS70_Patch_Data[32], 0);
    EXPECT_EQ(w().Patch_Name->text(), "-50");
    EXPECT_FALSE(Tone_Saved);
    auto sent = midi.take_sent();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(Hex_Of(sent.front()), Hex_Of(patch_msg(0x20, 63)));
    EXPECT_EQ(Hex_Of(sent.back()), Hex_Of(patch_msg(0x20, 0)));

    w().Tone_B_Click();
    focus(w().UDTune);
    key(w().UDTune, Qt::Key_Home);
    EXPECT_EQ(MKS70_Patch_Data[41], 127);
    EXPECT_EQ(MKS70_Patch_Data[32], 0);
    sent = midi.take_sent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(Hex_Of(sent[0]), Hex_Of(patch_msg(0x29, 127)));
    // The channel goes into the message; the format stays the JX-8P's.
    MIDI_Channel = 3;
    key(w().UDTune, Qt::Key_End);
    EXPECT_EQ(Hex_Of(midi.take_sent().at(0)), "F0 41 36 02 21 30 01 29 00 F7");
    MIDI_Channel = 1;
    // Selecting A puts the pointer at A's detune (-50: left and below).
    w().Tone_A_Click();
    EXPECT_EQ(w().UDTune_Knopf->pos(), QPoint(9, 14));
}

TEST_F(Mks70Test, DetuneDragCountsPixelsAndAutoSendOffOnlyStores) {
    AutoSend_On = 0;
    MKS70_Patch_Data[32] = 63;
    focus(w().UDTune);
    Drag_Last_X = 0;
    drag_to(w().UDTune, 10, 5);
    EXPECT_EQ(MKS70_Patch_Data[32], 73);
    drag_to(w().UDTune, 4, 5);
    EXPECT_EQ(MKS70_Patch_Data[32], 67);
    EXPECT_EQ(w().Patch_Name->text(), "3");
    EXPECT_TRUE(midi.take_sent().empty());
}

TEST_F(Mks70Test, EscapeClosesAndTheNextUseOpensAfresh) {
    focus(w().UDTune);
    key(w().UDTune, Qt::Key_Escape);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(Patch_MKS70::loaded());
}
