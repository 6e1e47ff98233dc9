// The tone name dialog: its records, boxes and message, and every way it closes.
#include "dialogs/picture_buttons.h"
#include "editor_support.h"
#include "editors/editor_juno.h"
#include "editors/tname.h"
#include "midi/sysex.h"
#include <QDir>
#include <QLineEdit>
#include <QPushButton>

class TNameTest : public EditorTest {
  protected:
    void SetUp() override {
        EditorTest::SetUp();
        take_sent();
    }
    // Opens the dialog, types the text and presses Enter.
    static void name_it(const QString& text) {
        TName_Show();
        ASSERT_TRUE(TName::loaded());
        TName& d = TName::get();
        d.Tone_Name->clear();
        QTest::keyClicks(d.Tone_Name, text);
        QTest::keyClick(d.Tone_Name, Qt::Key_Return);
        EXPECT_FALSE(TName::loaded());
        EXPECT_TRUE(Dlg_Open.isEmpty());
    }
    static std::vector<int> juno_name() { return {Juno_Tone.begin() + 36, Juno_Tone.begin() + 46}; }
};

TEST_F(TNameTest, OpensWithTheNameAsAModalDialog) {
    Tone_Name_Text = "STRINGS";
    Quorlen::get().Menu_Tone_Name->trigger();
    ASSERT_TRUE(TName::loaded());
    TName& d = TName::get();
    EXPECT_EQ(d.windowTitle(), "Tone Name");
    EXPECT_EQ(d.Label1->text(), "Please enter a name for the Tone:");
    EXPECT_EQ(d.Tone_Name->text(), "STRINGS");
    EXPECT_EQ(d.pos(), QPoint(150, 150));
    EXPECT_EQ(Dlg_Open, "TName");
    EXPECT_FALSE(ed().isEnabled());
    EXPECT_FALSE(Quorlen::get().Menu_Tone->isEnabled());
    d.Form_Unload();
}

TEST_F(TNameTest, OpensOnlyWhenNoDialogIsOpen) {
    Dlg_Open = "File_Dlg";
    Quorlen::get().Menu_Tone_Name_Click();
    QTest::mouseClick(ed().Tone_Name, Qt::LeftButton);
    EXPECT_FALSE(TName::loaded());
    Dlg_Open.clear();
    QTest::mouseClick(ed().Tone_Name, Qt::LeftButton);
    EXPECT_TRUE(TName::loaded());
    TName::get().Form_Unload();
}

TEST_F(TNameTest, JX8PNameGoesIntoBothRecordsBothBoxesAndOneMessage) {
    name_it("AB");
    EXPECT_EQ(Tone_Name_Text, "AB");
    EXPECT_EQ(name_text(), "AB");
    EXPECT_EQ(Editor_Juno::get().Tone_Name->text(), "AB");
    EXPECT_EQ(take_sent(), std::vector<std::string>{Bytes(
                               "F0 41 36 00 21 20 01 00 41 01 42 02 20 03 20 04 20 05 20 06 20 "
                               "07 20 08 20 09 20 F7")});
    EXPECT_EQ(SysEx_Text, "F0 41 36 0 21 20 01 0 41 1 42 2 20 3 20 4 20 5 20 6 20 7 20 8 20 "
                          "9 20 F7");
}

TEST_F(TNameTest, AlphaJunoNameSendsItsCodes) {
    Synth_Type = "Alpha Juno";
    Set_Synth();
    take_sent();
    name_it("AB");
    const auto sent = take_sent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], Bytes("F0 41 36 00 23 20 01 24 00 25 01 26 3E 27 3E 28 3E 29 3E 2A 3E 2B "
                             "3E 2C 3E 2D 3E F7"));
    EXPECT_EQ(sent[0].size(), 28u);
    EXPECT_EQ(Tone_Data[0], 'A'); // the JX-8P record carries the name too
}

TEST_F(TNameTest, TextIsTrimmedAndUpperCasedIntoBothRecords) {
    Tone_Data[11] = 99;
    name_it("  abc ");
    EXPECT_EQ(Tone_Name_Text, "ABC");
    for (int i = 0; i <= 10; ++i) EXPECT_EQ(Tone_Data[i], i < 3 ? 0x41 + i : 0x20) << i;
    EXPECT_EQ(Tone_Data[11], 99);
    EXPECT_EQ(juno_name(), (std::vector<int>{0, 1, 2, 62, 62, 62, 62, 62, 62, 62}));

    name_it("");
    EXPECT_EQ(Tone_Name_Text, "");
    for (int i = 0; i <= 10; ++i) EXPECT_EQ(Tone_Data[i], 0x20) << i;
    EXPECT_EQ(juno_name(), std::vector<int>(10, 62));

    name_it("A-1");
    EXPECT_EQ(juno_name(), (std::vector<int>{0, 63, 53, 62, 62, 62, 62, 62, 62, 62}));
    name_it("a?");
    EXPECT_EQ(juno_name(), (std::vector<int>{0, 62, 62, 62, 62, 62, 62, 62, 62, 62}));
    EXPECT_EQ(Tone_Data[1], '?');
}

TEST_F(TNameTest, TheBoxTakesTenPrintableCharacters) {
    TName_Show();
    TName& d = TName::get();
    d.Tone_Name->clear();
    QTest::keyClicks(d.Tone_Name, "ab");
    QKeyEvent accent(QEvent::KeyPress, Qt::Key_Eacute, Qt::NoModifier, QString(QChar(0xE9)));
    QApplication::sendEvent(d.Tone_Name, &accent);
    QTest::keyClicks(d.Tone_Name, "cdefghijkl");
    EXPECT_EQ(d.Tone_Name->text(), "abcdefghij");
    QTest::mouseClick(d.Cmd_OK, Qt::LeftButton);
    EXPECT_EQ(Tone_Name_Text, "ABCDEFGHIJ");
    EXPECT_EQ(Tone_Data[10], 0x20);
}

TEST_F(TNameTest, WithoutAutoSendOrMidiNothingIsSent) {
    for (int which = 0; which < 2; ++which) {
        AutoSend_On = which == 0 ? 0 : 1;
        MIDI_Enabled = which == 0 ? 1 : 0;
        name_it(which == 0 ? "OFF" : "NOMIDI");
        EXPECT_EQ(name_text(), which == 0 ? "OFF" : "NOMIDI");
        EXPECT_TRUE(take_sent().empty());
    }
    EXPECT_EQ(Tone_Data[0], 'N');
}

TEST_F(TNameTest, CancelEscapeAndTheCloseBoxChangeNothing) {
    Tone_Name_Text = "KEEP";
    ed().Tone_Name->setText("KEEP");
    Tone_Data[0] = 'K';
    Juno_Tone[36] = 10;
    Tone_Saved = true;
    for (int way = 0; way < 3; ++way) {
        TName_Show();
        TName& d = TName::get();
        QTest::keyClicks(d.Tone_Name, "xyz");
        if (way == 0) QTest::mouseClick(d.Cmd_Cancel, Qt::LeftButton);
        if (way == 1) QTest::keyClick(d.Tone_Name, Qt::Key_Escape);
        if (way == 2) d.close();
        EXPECT_FALSE(TName::loaded()) << way;
        EXPECT_TRUE(Dlg_Open.isEmpty()) << way;
        EXPECT_TRUE(ed().isEnabled()) << way;
        EXPECT_TRUE(Quorlen::get().Menu_Tone->isEnabled()) << way;
    }
    EXPECT_EQ(Tone_Name_Text, "KEEP");
    EXPECT_EQ(name_text(), "KEEP");
    EXPECT_EQ(Tone_Data[0], 'K');
    EXPECT_EQ(Juno_Tone[36], 10);
    EXPECT_TRUE(take_sent().empty());
    EXPECT_EQ(Dlg_Count, 0);
}

// Grabs the dialog as a user sees it, into the test's own folder.
TEST_F(TNameTest, DrawsItself) {
    Tone_Name_Text = "BRASS-8";
    TName_Show();
    TName& d = TName::get();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    EXPECT_TRUE(d.grab().save(folder.filePath("tname.png")));
    d.Form_Unload();
}
