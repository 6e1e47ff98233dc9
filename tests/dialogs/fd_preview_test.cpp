// The file dialog's preview panels: set-up from the settings, the boxes,
// options and lists, start and stop, and the click preview of tones and sequences.
#include "app/main_module.h"
#include "app/quorlen.h"
#include "dialogs/file_dlg.h"
#include "dialogs/picture_buttons.h"
#include "instrument/instrument.h"
#include "midi/midi_port.h"
#include "midi/tone_files.h"
#include "sequencer/playback.h"
#include "sequencer/sequence.h"
#include "support/fixture.h"
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <fcntl.h>

namespace {
std::string jx_tone(std::uint8_t seed) {
    std::string b = Bytes("F0 41 35 00 21 20 01");
    for (int i = 0; i < 59; ++i) b.push_back(static_cast<char>((seed + i * 3) & 0x7F));
    b.push_back('\xF7');
    return b;
}

class PreviewTest : public ProgramTest {
  protected:
    void SetUp() override {
        Write_Settings("[MIDI]\nOutput=Synth Out\nInput=Synth In\n");
        Start_Program();
        ASSERT_EQ(MIDI_Enabled, 1);
        boxes.clear();
        tree = folder.filePath("Files");
        QDir().mkpath(tree);
        Write("tone.syx", QByteArray::fromStdString(jx_tone(5)));
        Write("empty.syx", QByteArray::fromStdString(Bytes("F0 41 36 00 21 30 01 F7")));
        QByteArray seq("SEQ1");
        seq.append(char(60)).append(char(48));
        for (int i = 0; i < 104; ++i) seq.append(char(i % 13 == 12 - i / 13 ? 127 : 0));
        Write("steps.seq", seq);
        Dir_Tones = Dir_Sequences = tree;
        AutoPlay_On = AutoSend_On = 1;
        Soundcheck_Mode = 0;
    }
    void TearDown() override {
        if (File_Dlg::loaded()) File_Dlg::get().Form_Unload();
        Quorlen::get().Seq_Tmr->stop();
    }
    void Write(const QString& name, const QByteArray& bytes) {
        QFile f(tree + "/" + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    static File_Dlg& Open(const char* mode) {
        FD_Mode = mode;
        File_Dlg& d = File_Dlg::get();
        d.Form_Show();
        return d;
    }
    static void Click_File(File_Dlg& d, const QString& name) {
        const auto found = d.FD_List_Files->findItems(name, Qt::MatchExactly);
        ASSERT_FALSE(found.isEmpty()) << name.toStdString();
        const QPoint at = d.FD_List_Files->visualItemRect(found.first()).center();
        QTest::mouseClick(d.FD_List_Files->viewport(), Qt::LeftButton, {}, at);
    }
    // Note-ons sent since the last clear.
    std::vector<std::string> Notes() const {
        std::vector<std::string> out;
        for (const std::string& s : midi.sent())
            if (!s.empty() && (static_cast<unsigned char>(s[0]) & 0xF0) == 0x90) out.push_back(s);
        return out;
    }
    static bool Enabled(Picture_Check* c) { return c->isEnabled() && c->Look_Index() != 5; }
    QString tree;
};
} // namespace

TEST_F(PreviewTest, ToneClickSoundsTheListsNoteAfterThePause) {
    File_Dlg& d = Open("Open_SYX");
    EXPECT_TRUE(d.FD_SYX->isVisible());
    d.FD_SYX_SoundCheck_Note_List->setCurrentIndex(2);       // C2
    d.FD_SYX_SoundCheck_Velocity_List->setCurrentIndex(100); // " 100"
    EXPECT_EQ(d.FD_SYX_SoundCheck_Velocity_List->currentText(), " 100");
    midi.events.clear();
    Click_File(d, "tone.syx");
    EXPECT_EQ(d.FD_FileName->text(), "tone.syx");
    EXPECT_EQ(SYX_Tone_Found, 255);
    EXPECT_EQ(Tone_Data[11], (5 + 33) & 0x7F);
    // The tone went out at once; the note waits for the display timer.
    EXPECT_EQ(midi.count(FakeMidiHost::Event::Long), 1);
    EXPECT_TRUE(Notes().empty());
    EXPECT_TRUE(d.Soundcheck_Pending());
    EXPECT_TRUE(Quorlen::get().Timer_Display->isActive());
    QTimer::singleShot(0, [] { Quorlen::get().Timer_Display_Timer(); });
    EXPECT_TRUE(QTest::qWaitFor([&] { return !Notes().empty(); }, 1000));
    ASSERT_EQ(Notes().size(), 1u);
    EXPECT_EQ(Hex_Of(Notes()[0]), "90 30 64");
    EXPECT_FALSE(Quorlen::get().Timer_Display->isActive());
    // The all-notes-off before the next preview silences the note, which has no note-off.
    midi.take_sent();
    Click_File(d, "tone.syx");
    EXPECT_EQ(Hex_Of(midi.take_sent().at(0)), "B0 7B 00");
}

TEST_F(PreviewTest, AutoPlayOffLoadsAndSendsButSoundsNothing) {
    AutoPlay_On = 0;
    File_Dlg& d = Open("Open_SYX");
    midi.events.clear();
    Click_File(d, "tone.syx");
    EXPECT_EQ(midi.count(FakeMidiHost::Event::Long), 1);
    EXPECT_FALSE(d.Soundcheck_Pending());
    // A file without a tone is loaded as such and not sounded either.
    AutoPlay_On = 1;
    Click_File(d, "empty.syx");
    EXPECT_NE(SYX_Tone_Found, 255);
    EXPECT_FALSE(d.Soundcheck_Pending());
    EXPECT_TRUE(Notes().empty());
    EXPECT_TRUE(boxes.calls.empty());
}

TEST_F(PreviewTest, ClosingDuringThePauseSoundsNothingAndKeepsTheLists) {
    File_Dlg& d = Open("Open_SYX");
    d.FD_SYX_SoundCheck_Note_List->setCurrentIndex(4);
    d.FD_SYX_SoundCheck_Velocity_List->setCurrentIndex(7);
    Click_File(d, "tone.syx");
    d.Form_Unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QTest::qWait(30);
    EXPECT_TRUE(Notes().empty());
    EXPECT_EQ(Soundcheck_Note, 72);
    EXPECT_EQ(Soundcheck_Velocity, 7);
    EXPECT_EQ(Soundcheck_Wait, 1);
}

TEST_F(PreviewTest, StoredNotesMoveToTheirListNote) {
    // A velocity above the list's 127 would go out as a status byte: it stays 127.
    const struct {
        int stored, index, kept, velocity, velocity_kept;
    } cases[] = {{30, 0, 24, 90, 90},
                 {42, 2, 48, 127, 127},
                 {54, 2, 48, 128, 127},
                 {200, 4, 72, 200, 127},
                 {0, 0, 24, 0, 0}};
    for (const auto& c : cases) {
        Soundcheck_Note = static_cast<std::uint8_t>(c.stored);
        Soundcheck_Velocity = static_cast<std::uint8_t>(c.velocity);
        File_Dlg& d = Open("Open_SYX");
        EXPECT_EQ(d.FD_SYX_SoundCheck_Note_List->currentIndex(), c.index) << c.stored;
        EXPECT_EQ(d.FD_SYX_SoundCheck_Note_List->currentText(), "C" + QString::number(c.index));
        EXPECT_EQ(Soundcheck_Note, c.kept) << c.stored;
        EXPECT_EQ(d.FD_SYX_SoundCheck_Velocity_List->currentIndex(), c.velocity_kept);
        EXPECT_EQ(Soundcheck_Velocity, c.velocity_kept) << c.velocity;
        d.Form_Unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(PreviewTest, OptionsFollowAutoPlayAndTheSequenceAtHand) {
    // No sequence read and the cleared one unchanged: the sequence option is off.
    Soundcheck_Mode = 1;
    File_Dlg& d = Open("Open_SYX");
    const Quorlen& m = Quorlen::get();
    EXPECT_TRUE(Enabled(d.FD_SYX_OB_Soundcheck[0]));
    EXPECT_FALSE(Enabled(d.FD_SYX_OB_Soundcheck[1]));
    EXPECT_EQ(d.FD_SYX_OB_Soundcheck[0]->State(), 1);
    // The stored choice stays for the next time a sequence is at hand; a
    // tone click meanwhile sounds the note the options show.
    EXPECT_EQ(Soundcheck_Mode, 1);
    Click_File(d, "tone.syx");
    EXPECT_TRUE(d.Soundcheck_Pending());
    EXPECT_EQ(d.FD_SYX_Button_Start->Caption()->Picture().cacheKey(), m.Start_Disabled.cacheKey());
    EXPECT_EQ(d.FD_SYX_Button_Stop->Caption()->Picture().cacheKey(), m.Stop_Disabled.cacheKey());
    EXPECT_EQ(d.FD_SYX_CB_Autoplay->State(), 3);
    EXPECT_EQ(d.FD_SYX_CB_Autosend->State(), 3);

    // Turning auto-play off disables both options and both lists.
    QTest::mouseClick(d.FD_SYX_CB_Autoplay, Qt::LeftButton);
    EXPECT_EQ(AutoPlay_On, 0);
    EXPECT_FALSE(Enabled(d.FD_SYX_OB_Soundcheck[0]));
    EXPECT_FALSE(Enabled(d.FD_SYX_OB_Soundcheck[1]));
    EXPECT_FALSE(d.FD_SYX_SoundCheck_Note_List->isEnabled());
    EXPECT_FALSE(d.FD_SYX_SoundCheck_Velocity_List->isEnabled());
    // With an edited sequence at hand, turning it on enables both options.
    Seq_Saved = 0;
    QTest::keyClick(d.FD_FileName, Qt::Key_P, Qt::AltModifier);
    EXPECT_EQ(AutoPlay_On, 1);
    EXPECT_TRUE(Enabled(d.FD_SYX_OB_Soundcheck[0]));
    EXPECT_TRUE(Enabled(d.FD_SYX_OB_Soundcheck[1]));
    EXPECT_TRUE(d.FD_SYX_SoundCheck_Velocity_List->isEnabled());
    QTest::mouseClick(d.FD_SYX_OB_Soundcheck[1], Qt::LeftButton);
    EXPECT_EQ(Soundcheck_Mode, 1);
    EXPECT_EQ(d.FD_SYX_OB_Soundcheck[0]->State(), 0);
    QTest::mouseClick(d.FD_SYX_CB_Autosend, Qt::LeftButton);
    EXPECT_EQ(AutoSend_On, 0);
    d.Form_Unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // The next opening shows the sequence option chosen, and its buttons enabled.
    File_Dlg& again = Open("Open_SYX");
    EXPECT_EQ(again.FD_SYX_OB_Soundcheck[1]->State(), 1);
    EXPECT_EQ(again.FD_SYX_Button_Start->Caption()->Picture().cacheKey(),
              m.Start_Enabled.cacheKey());
    EXPECT_EQ(again.FD_SYX_CB_Autosend->State(), 0);
}

TEST_F(PreviewTest, MidiDisabledSwitchesThePreviewOff) {
    MIDI_Enabled = 0;
    File_Dlg& d = Open("Open_SYX");
    EXPECT_EQ(AutoPlay_On, 0);
    EXPECT_EQ(AutoSend_On, 0);
    for (Picture_Check* c : {d.FD_SYX_CB_Autoplay, d.FD_SYX_CB_Autosend, d.FD_SYX_OB_Soundcheck[0],
                             d.FD_SYX_OB_Soundcheck[1]})
        EXPECT_FALSE(Enabled(c)) << c->objectName().toStdString();
    EXPECT_FALSE(d.FD_SYX_SoundCheck_Note_List->isEnabled());
    // The start button only flashes.
    Seq_Loaded = 255;
    QTest::mouseClick(d.FD_SYX_Button_Start, Qt::LeftButton);
    EXPECT_FALSE(d.FD_SYX_Button_Start->Shows_Pressed());
    EXPECT_EQ(Seq_Running, 0);
}

TEST_F(PreviewTest, StartWithNothingLoadedPressesReleasesAndPlaysNothing) {
    File_Dlg& d = Open("Open_SYX");
    midi.events.clear();
    QTest::mousePress(d.FD_SYX_Button_Start, Qt::LeftButton);
    EXPECT_TRUE(d.FD_SYX_Button_Start->Shows_Pressed());
    QTest::mouseRelease(d.FD_SYX_Button_Start, Qt::LeftButton);
    EXPECT_FALSE(d.FD_SYX_Button_Start->Shows_Pressed());
    EXPECT_EQ(Seq_Running, 0);
    EXPECT_FALSE(Quorlen::get().Seq_Tmr->isActive());
    EXPECT_TRUE(midi.events.empty());
}

TEST_F(PreviewTest, SequenceClickDrawsAndPlaysFromTheFirstStep) {
    File_Dlg& d = Open("Open_SEQ");
    EXPECT_TRUE(d.FD_SEQ->isVisible());
    EXPECT_EQ(d.FD_SEQ_CB_Autoplay->State(), 3);
    Click_File(d, "steps.seq");
    EXPECT_EQ(Seq_Loaded, 255);
    EXPECT_EQ(Seq_BPM, 60);
    EXPECT_EQ(Seq_Data[12], 127);
    // Step 0's full cell is row 12, drawn at the foot of the first column.
    const QImage img = d.FD_SEQ_Preview->Picture().toImage();
    ASSERT_EQ(img.size(), QSize(67, 107));
    const QImage full = d.FD_SEQ_Pics[2].toImage();
    EXPECT_EQ(img.pixel(1 + 3, 12 * 8 + 1 + 3), full.pixel(3, 3));
    EXPECT_NE(img.pixel(1 + 3, 1 + 3), full.pixel(3, 3));
    EXPECT_EQ(Seq_Running, 255);
    EXPECT_EQ(Seq_Step, 0);
    EXPECT_TRUE(Quorlen::get().Seq_Tmr->isActive());
    EXPECT_TRUE(d.FD_SEQ_Button_Start->Shows_Pressed());
    // A second click starts it over from the first step.
    Seq_Tmr_Timer();
    Seq_Tmr_Timer();
    EXPECT_NE(Seq_Step, 0);
    Click_File(d, "steps.seq");
    EXPECT_EQ(Seq_Step, 0);
    EXPECT_EQ(Seq_Running, 255);
    // Stop: its release lets both buttons up.
    QTest::mouseClick(d.FD_SEQ_Button_Stop, Qt::LeftButton);
    EXPECT_EQ(Seq_Running, 0);
    EXPECT_FALSE(d.FD_SEQ_Button_Start->Shows_Pressed());
    EXPECT_FALSE(d.FD_SEQ_Button_Stop->Shows_Pressed());
}

TEST_F(PreviewTest, SequenceClickWithAutoPlayOffOnlyDraws) {
    File_Dlg& d = Open("Open_SEQ");
    QTest::mouseClick(d.FD_SEQ_CB_Autoplay, Qt::LeftButton);
    EXPECT_EQ(AutoPlay_On, 0);
    Click_File(d, "steps.seq");
    EXPECT_EQ(Seq_Loaded, 255);
    EXPECT_EQ(Seq_Running, 0);
    EXPECT_FALSE(Quorlen::get().Seq_Tmr->isActive());
}

TEST_F(PreviewTest, ToneClickInSequenceModePlaysTheSequence) {
    Seq_Loaded = 255;
    Soundcheck_Mode = 1;
    File_Dlg& d = Open("Open_SYX");
    EXPECT_EQ(d.FD_SYX_OB_Soundcheck[1]->State(), 1);
    Click_File(d, "tone.syx");
    EXPECT_FALSE(d.Soundcheck_Pending());
    EXPECT_EQ(Seq_Running, 255);
    EXPECT_TRUE(d.FD_SYX_Button_Start->Shows_Pressed());
}

TEST_F(PreviewTest, TheFileClickedIsTheFileLoaded) {
    // Names of bytes that are not UTF-8 are listed, and their file is the one read;
    // after a typed folder the click reads the listed folder's file.
    const QByteArray bytes = QFile::encodeName(tree);
    for (const auto& [name, seed] :
         {std::pair{QByteArray("/x\xE9.syx"), 40}, {"/sub/tone.syx", 60}}) {
        QDir().mkpath(tree + "/sub");
        QFile f;
        const int fd = ::open((bytes + name).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_TRUE(f.open(fd, QIODevice::WriteOnly, QFile::AutoCloseHandle));
        f.write(QByteArray::fromStdString(jx_tone(static_cast<std::uint8_t>(seed))));
    }
    File_Dlg& d = Open("Open_SYX");
    midi.events.clear();
    Click_File(d, "x\uFFFD.syx");
    EXPECT_EQ(d.FD_FileName->text(), "x\uFFFD.syx");
    EXPECT_EQ(SYX_Tone_Found, 255);
    EXPECT_EQ(Tone_Data[0], 40);
    EXPECT_EQ(midi.count(FakeMidiHost::Event::Long), 1);

    d.FD_FileName->setText("sub/");
    QTest::keyClick(d.FD_FileName, Qt::Key_Return);
    Click_File(d, "tone.syx");
    EXPECT_EQ(Tone_Data[0], 60);
}
