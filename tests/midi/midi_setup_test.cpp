#include "app/main_module.h"
#include "app/quorlen.h"
#include "midi/midi_port.h"
#include "midi/midi_setup.h"
#include "midi/sysex.h"
#include "platform/file_io.h"
#include "support/fixture.h"
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <cerrno>

namespace {
class SetupTest : public ProgramTest {
  protected:
    // Starts with both devices configured, so the dialog does not open by itself.
    void Start_Configured(const QString& extra = {}) {
        Write_Settings("[MIDI]\nOutput=" + midi.outs.value(0) + "\nInput=" + midi.ins.value(0) +
                       "\nChannel=3\n" + extra);
        Start_Program();
        ASSERT_FALSE(MIDI_Setup::loaded());
        boxes.clear();
    }
    MIDI_Setup& Open() {
        Quorlen::get().Menu_MIDI_Setup_Click();
        EXPECT_TRUE(MIDI_Setup::loaded());
        return MIDI_Setup::get();
    }
    void Pick(QComboBox* list, const QString& text) {
        const int i = list->findText(text);
        ASSERT_GE(i, 0) << text.toStdString();
        list->setCurrentIndex(i);
        emit list->activated(i);
    }
    static void Settle() { QCoreApplication::processEvents(); }
};
} // namespace

TEST_F(SetupTest, OpensWithTheCurrentChoicesAndClosesTheOutput) {
    midi.outs = {"Port A", "Port B"};
    Start_Configured();
    MIDI_Out_Open();
    ASSERT_NE(MIDI_Out_Port.Handle, -1);
    MIDI_Setup& d = Open();
    EXPECT_EQ(Dlg_Open, "MIDI_Setup");
    EXPECT_EQ(MIDI_Out_Port.Handle, -1);
    EXPECT_EQ(d.windowTitle(), "MIDI Setup");
    EXPECT_EQ(d.Channel->count(), 16);
    EXPECT_EQ(d.Channel->currentText(), "3");
    EXPECT_EQ(d.Output_Devices->count(), 2);
    EXPECT_EQ(d.Output_Devices->currentText(), "Port A");
    EXPECT_EQ(d.Input_Devices->currentText(), "Synth In");
    EXPECT_TRUE(d.Enable->isChecked());
    EXPECT_TRUE(d.Output_Devices->isEnabled());
    EXPECT_EQ(d.SynthesizerType->currentText(), "JX-8P");
    EXPECT_FALSE(Quorlen::get().Menu_File->isEnabled());
}

TEST_F(SetupTest, OkTakesChannel16AndTheDeviceAndWritesTheSettings) {
    midi.outs = {"Port A", "Port B"};
    Start_Configured();
    MIDI_Setup& d = Open();
    d.Channel->setCurrentIndex(15);
    d.Output_Devices->setCurrentIndex(1);
    QTest::mouseClick(d.Cmd_OK, Qt::LeftButton);
    Settle();
    EXPECT_FALSE(MIDI_Setup::loaded());
    EXPECT_TRUE(Dlg_Open.isEmpty());
    EXPECT_EQ(MIDI_Channel, 16);
    EXPECT_EQ(Seq_Status, 0x9F);
    EXPECT_EQ(MIDI_Out_Port.Dev_Index, 1);
    EXPECT_EQ(MIDI_Setup_Needed, 0);
    EXPECT_NE(Hdr_Tone_IPR.find(" F "), std::string::npos) << Hdr_Tone_IPR;
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_EQ(boxes.calls[0].title, "MIDI System Exclusive enabled?");
    EXPECT_EQ(boxes.calls[0].style, Mb::OkOnly | Mb::Information);
    EXPECT_EQ(boxes.calls[0].text, MIDI_SysEx_Reminder("JX-8P"));
    const QString ini = Settings_Text();
    for (const char* line : {"Channel=16", "Control Channel=[Not used]", "Output=Port B",
                             "Input=Synth In", "Autosend=1"})
        EXPECT_TRUE(ini.contains(line, Qt::CaseInsensitive)) << line << "\n" << ini.toStdString();
    EXPECT_TRUE(Quorlen::get().Menu_File->isEnabled());
}

TEST_F(SetupTest, EscapeAndCloseBoxKeepTheDeviceButStoreTheNameForNextStart) {
    midi.outs = {"Port A", "Port B"};
    Start_Configured();
    for (int way = 0; way < 2; ++way) {
        MIDI_Setup& d = Open();
        d.Output_Devices->setCurrentIndex(1 - way);
        d.Channel->setCurrentIndex(9);
        if (way == 0)
            QTest::keyClick(d.Channel, Qt::Key_Escape);
        else
            d.close();
        Settle();
        EXPECT_FALSE(MIDI_Setup::loaded());
        EXPECT_TRUE(Dlg_Open.isEmpty());
        EXPECT_EQ(MIDI_Out_Port.Dev_Index, 0);
        EXPECT_EQ(MIDI_Channel, 3);
        EXPECT_TRUE(boxes.calls.empty()); // no reminder without OK
        const QString ini = Settings_Text();
        EXPECT_TRUE(ini.contains(way == 0 ? "Output=Port B" : "Output=Port A", Qt::CaseInsensitive))
            << ini.toStdString();
        EXPECT_TRUE(ini.contains("Channel=3", Qt::CaseInsensitive));
    }

    // The keys go in one write: when it fails the file stays as it was and
    // the user hears of it once.
    const QString before = Settings_Text();
    Set_Write_Fault(ENOSPC);
    MIDI_Setup& d = Open();
    d.Channel->setCurrentIndex(4);
    QTest::keyClick(d.Channel, Qt::Key_Escape);
    Settle();
    Set_Write_Fault(0);
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_TRUE(boxes.calls[0].text.startsWith("The settings could not be saved to "));
    EXPECT_EQ(Settings_Text(), before);
}

TEST_F(SetupTest, PickingASynthesizerSwitchesAtOnceAndOkRemindsOfItsSteps) {
    Start_Configured();
    MIDI_Setup& d = Open();
    Pick(d.SynthesizerType, "MKS-70");
    EXPECT_EQ(Synth_Type, "MKS-70");
    const std::string mks_header = Hdr_Tone_APR;
    Pick(d.SynthesizerType, "Alpha Juno");
    EXPECT_EQ(Synth_Type, "Alpha Juno");
    EXPECT_NE(Hdr_Tone_APR, mks_header);
    Pick(d.SynthesizerType, "MKS-70");
    d.Cmd_OK_Click();
    Settle();
    ASSERT_EQ(boxes.calls.size(), 1u);
    const QString text = boxes.calls[0].text;
    EXPECT_TRUE(text.startsWith("Please don't forget to enable the MIDI System Exclusive (SysEx)\r"
                                "setting on your MKS-70:\r\r* Press MIDI button\r"));
    EXPECT_EQ(text.count("\r* "), 6);
    EXPECT_TRUE(text.endsWith("* Protect the memory again (Set 'Protect' to 'ON')\r"));

    EXPECT_EQ(MIDI_SysEx_Reminder("Alpha Juno"),
              "Please don't forget to enable the MIDI System Exclusive (SysEx)\r"
              "setting on your Alpha Juno!\r\r");
    EXPECT_EQ(MIDI_SysEx_Reminder("alpha juno"),
              "Please don't forget to enable the MIDI System Exclusive (SysEx)\r"
              "setting on your synthesizer!\r\r");
    EXPECT_EQ(MIDI_SysEx_Reminder("JX-8P").count('\r'), 9);
}

TEST_F(SetupTest, DisabledMidiOpensWithItsControlsOffAndOkShowsNoReminder) {
    Start_Configured("Synthesizer=mks-70\n");
    Quorlen& m = Quorlen::get();
    MIDI_Enabled = 0;
    for (int way = 0; way < 2; ++way) {
        MIDI_Setup& d = Open();
        EXPECT_EQ(d.SynthesizerType->currentText(), "MKS-70"); // the settings' letter case
        EXPECT_FALSE(d.Enable->isChecked());
        EXPECT_FALSE(d.Output_Devices->isEnabled());
        EXPECT_FALSE(d.Input_Devices->isEnabled());
        EXPECT_FALSE(d.AutoSend->isEnabled());
        EXPECT_FALSE(d.AutoPlay->isEnabled());
        QTest::mouseClick(d.AutoSend, Qt::LeftButton); // a disabled box takes no click
        EXPECT_EQ(AutoSend_On, 1);
        if (way == 0)
            d.Cmd_OK_Click();
        else
            QTest::keyClick(d.Channel, Qt::Key_Escape);
        Settle();
        EXPECT_TRUE(boxes.calls.empty());
        // Only a change of the enable box switches the tone commands.
        EXPECT_TRUE(m.Menu_Tone_Send->isEnabled()) << way;
        EXPECT_TRUE(m.Menu_Tone_Receive->isEnabled()) << way;
    }
}

TEST_F(SetupTest, EnablingWithoutOutputDevicesLeavesTheOutputListDisabled) {
    midi.outs.clear();
    Start_Program();
    EXPECT_TRUE(boxes.texts().contains("No MIDI output device installed. MIDI functions disabled"));
    EXPECT_FALSE(MIDI_Setup::loaded());
    EXPECT_EQ(MIDI_Enabled, 0);
    MIDI_Setup& d = Open();
    EXPECT_EQ(d.Output_Devices->count(), 0);
    d.Enable->click();
    EXPECT_EQ(MIDI_Enabled, 1);
    EXPECT_FALSE(d.Output_Devices->isEnabled());
    EXPECT_TRUE(d.AutoSend->isEnabled());
    EXPECT_TRUE(Quorlen::get().Menu_Tone_Send->isEnabled());
    // The settings read after the device lists set auto-send again.
    EXPECT_EQ(AutoSend_On, 1);
    d.AutoSend->click();
    EXPECT_EQ(AutoSend_On, 0);
    d.Enable->click();
    EXPECT_EQ(MIDI_Enabled, 0);
    EXPECT_FALSE(d.AutoSend->isEnabled());
    EXPECT_FALSE(Quorlen::get().Menu_Tone_Send->isEnabled());
    boxes.clear();
    d.Cmd_OK_Click();
    Settle();
    EXPECT_EQ(MIDI_Out_Port.Dev_Index, 0); // no selection keeps the index
    EXPECT_FALSE(Settings_Text().contains("Output=", Qt::CaseInsensitive));
}

TEST_F(SetupTest, OpensByItselfWhenNoDeviceIsConfigured) {
    Start_Program();
    EXPECT_TRUE(MIDI_Setup::loaded());
    EXPECT_EQ(Dlg_Open, "MIDI_Setup");
    // A second open while it is up does nothing.
    MIDI_Setup* first = &MIDI_Setup::get();
    Quorlen::get().Menu_MIDI_Setup_Click();
    EXPECT_EQ(first, MIDI_Setup::peek());
    first->Form_Unload();
    Settle();
    EXPECT_TRUE(Dlg_Open.isEmpty());
}
