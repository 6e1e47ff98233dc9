#include "midi/midi_setup.h"
#include "app/dlg.h"
#include "app/quorlen.h"
#include "app/settings.h"
#include "midi/midi_port.h"
#include "midi/sysex.h"
#include "platform/host.h"
#include "platform/msgbox.h"
#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace {
QLabel* label(QWidget* parent, const char* name, const char* caption, QWidget* buddy, int y) {
    auto* l = new QLabel(caption, parent);
    l->setObjectName(name);
    l->setGeometry(14, y, 110, 24);
    l->setBuddy(buddy);
    return l;
}

QComboBox* combo(QWidget* parent, const char* name, int y, int width) {
    auto* c = new QComboBox(parent);
    c->setObjectName(name);
    c->setGeometry(128, y, width, 24);
    return c;
}

QCheckBox* check(QWidget* parent, const char* name, const char* caption, int y) {
    auto* c = new QCheckBox(caption, parent);
    c->setObjectName(name);
    c->setGeometry(12, y, 300, 22);
    return c;
}
} // namespace

MIDI_Setup::MIDI_Setup() : QWidget(&Quorlen::get(), Qt::Dialog) {
    setWindowTitle("MIDI Setup");
    setFixedSize(366, 262);
    SynthesizerType = combo(this, "SynthesizerType", 14, 224);
    SynthesizerType->addItems({"JX-8P", "MKS-70", "Alpha Juno"});
    Output_Devices = combo(this, "Output_Devices", 46, 224);
    Cmd_OK = new QPushButton("&OK", this);
    Cmd_OK->setObjectName("Cmd_OK");
    Cmd_OK->setGeometry(272, 224, 80, 26);
    Cmd_OK->setDefault(true);
    Input_Devices = combo(this, "Input_Devices", 78, 224);
    Channel = combo(this, "Channel", 110, 64);
    Frame1 = new QGroupBox(this);
    Frame1->setObjectName("Frame1");
    Frame1->setGeometry(14, 142, 338, 78);
    Enable = check(Frame1, "Enable", "MIDI &Enabled:", 4);
    // Its caption ends in a colon: the box stands to the right of its text,
    // as wide as the text needs at the screen's density.
    Enable->setLayoutDirection(Qt::RightToLeft);
    Enable->setFixedWidth(Enable->sizeHint().width());
    AutoSend = check(Frame1, "AutoSend", "&Automatic Send SysEx Data", 28);
    AutoPlay = check(Frame1, "AutoPlay", "Automatic Preview &Play", 52);
    LabelSynth = label(this, "LabelSynth", "&Synthesizer", SynthesizerType, 14);
    Label4 = label(this, "Label4", "&Output Device", Output_Devices, 46);
    Label2 = label(this, "Label2", "&Input Device", Input_Devices, 78);
    Label_Channel = label(this, "Label_Channel", "MIDI &Channel", Channel, 110);

    connect(SynthesizerType, &QComboBox::activated, this, &MIDI_Setup::SynthesizerType_Click);
    connect(Enable, &QCheckBox::clicked, this, &MIDI_Setup::Enable_Click);
    connect(AutoSend, &QCheckBox::clicked, this, &MIDI_Setup::AutoSend_Click);
    connect(AutoPlay, &QCheckBox::clicked, this, &MIDI_Setup::AutoPlay_Click);
    connect(Cmd_OK, &QPushButton::clicked, this, &MIDI_Setup::Cmd_OK_Click);
    // The dialog sees every key before its controls do.
    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
}

void MIDI_Setup::Form_Load() {
    const Quorlen& main = Quorlen::get();
    move((main.width() - width()) / 2, (main.height() - height()) / 2);
    Dlg_Begin(this, "MIDI_Setup");
    // Nothing may play while the devices are being chosen. The input port is
    // never opened, so only the output needs closing.
    MIDI_Out_Close_All();

    Channel->clear();
    Input_Devices->clear();
    Output_Devices->clear();
    for (int ch = 1; ch <= 16; ++ch) Channel->addItem(QString::number(ch));
    Channel->setCurrentIndex(MIDI_Channel - 1);
    Enable->setChecked(MIDI_Enabled == 1);
    for (const MIDI_Caps& c : MIDI_In_Caps) Input_Devices->addItem(c.szPname);
    for (const MIDI_Caps& c : MIDI_Out_Caps) Output_Devices->addItem(c.szPname);
    auto select = [](QComboBox* list, int index) {
        list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
    };
    select(Input_Devices, MIDI_In_Port.Dev_Index);
    select(Output_Devices, MIDI_Out_Port.Dev_Index);
    AutoPlay->setChecked(AutoPlay_On == 1);
    AutoSend->setChecked(AutoSend_On == 1);
    // The settings may hold the type in any letter case.
    SynthesizerType->setCurrentIndex(SynthesizerType->findText(Synth_Type, Qt::MatchFixedString));

    // The dialog's controls open in the state the enable box stands for; the
    // tone commands change only when the box does.
    Set_Controls(MIDI_Enabled == 1);
}

void MIDI_Setup::Set_Controls(bool on) {
    Output_Devices->setEnabled(on && Midi_Host().outCount() >= 1);
    // The input list comes back too: it was only switched off with MIDI.
    Input_Devices->setEnabled(on && Midi_Host().inCount() >= 1);
    AutoSend->setEnabled(on);
    AutoPlay->setEnabled(on);
}

void MIDI_Setup::Form_Show() {
    show();
    raise();
    activateWindow();
}

void MIDI_Setup::SynthesizerType_Click() {
    Synth_Type = SynthesizerType->currentText();
    Set_Synth();
    raise();
    activateWindow();
}

void MIDI_Setup::Enable_Click() {
    MIDI_Enabled = Enable->isChecked() ? 1 : 0;
    if (MIDI_Enabled == 1)
        MIDI_Controls_Enable();
    else
        MIDI_Controls_Disable();
}

void MIDI_Setup::AutoSend_Click() {
    AutoSend_On = AutoSend->isChecked() ? 1 : 0;
}
void MIDI_Setup::AutoPlay_Click() {
    AutoPlay_On = AutoPlay->isChecked() ? 1 : 0;
}

QString MIDI_SysEx_Reminder(const QString& synth) {
    const QString first = "Please don't forget to enable the MIDI System Exclusive (SysEx)\r";
    if (synth == "JX-8P")
        return first + "setting on your JX-8P:\r\r"
                       "* Press MIDI button\r"
                       "* Press buttons 2 and 6\r"
                       "* Move EDIT slider until the display shows 'EXCLUSIVE ON'\r"
                       "* Unprotect the memory (back side switch 'Protect' to 'OFF')\r"
                       "* Press WRITE button (display shows 'WRITTEN MIDI')\r"
                       "* Protect the memory (back side switch 'Protect' to 'ON')\r";
    if (synth == "MKS-70")
        return first + "setting on your MKS-70:\r\r"
                       "* Press MIDI button\r"
                       "* Press buttons 1 and 4\r"
                       "* Move Alpha Dial until the display shows 'SYSTEM EXCLUSIVE ON'\r"
                       "* Unprotect the memory (Set 'Protect' to 'OFF')\r"
                       "* Press WRITE button (display shows 'WRITTEN MIDI')\r"
                       "* Protect the memory again (Set 'Protect' to 'ON')\r";
    if (synth == "Alpha Juno") return first + "setting on your Alpha Juno!\r\r";
    return first + "setting on your synthesizer!\r\r";
}

void MIDI_Setup::Cmd_OK_Click() {
    MIDI_Out_Close_All();
    // Closed meanwhile: its keys were written as they stood, and stay so.
    if (Handler_Stopped()) return;
    if (Input_Devices->currentIndex() >= 0)
        MIDI_In_Port.Dev_Index = static_cast<std::int16_t>(Input_Devices->currentIndex());
    if (Output_Devices->currentIndex() >= 0)
        MIDI_Out_Port.Dev_Index = static_cast<std::int16_t>(Output_Devices->currentIndex());
    MIDI_Channel = static_cast<std::uint8_t>(Channel->currentIndex() + 1);
    MIDI_Setup_Needed = 0;
    if (MIDI_Enabled != 0)
        Msg_Box(MIDI_SysEx_Reminder(Synth_Type), Mb::OkOnly | Mb::Information,
                "MIDI System Exclusive enabled?");
    Form_Unload();
}

bool MIDI_Setup::Form_KeyDown(QKeyEvent* event) {
    if (Virtual_Key(*event) != Vk::Escape) return false;
    Form_Unload();
    return true;
}

bool MIDI_Setup::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && Form_KeyDown(static_cast<QKeyEvent*>(event)))
        return true;
    return QWidget::eventFilter(watched, event);
}

void MIDI_Setup::keyPressEvent(QKeyEvent* event) {
    if (!Form_KeyDown(event)) QWidget::keyPressEvent(event);
}

void MIDI_Setup::closeEvent(QCloseEvent* event) {
    event->accept();
    Form_Unload();
}

void MIDI_Setup::Form_QueryUnload() {
    {
        INI_Batch batch;
        INI_Write("MIDI", "Autosend", QString::number(AutoSend_On));
        INI_Write("MIDI", "Channel", QString::number(MIDI_Channel));
        INI_Write("MIDI", "Control Channel", "[Not used]");
        if (Input_Devices->currentIndex() >= 0)
            INI_Write("MIDI", "Input", Input_Devices->currentText());
        if (Output_Devices->currentIndex() >= 0)
            INI_Write("MIDI", "Output", Output_Devices->currentText());
    }
    Seq_Status = 0x90 + MIDI_Channel - 1;
    Set_Synth();
    Dlg_End();
}

void MIDI_Setup::Form_Unload() {
    Unload_Form(&MIDI_Setup::Form_QueryUnload);
}

void MIDI_Controls_Disable() {
    if (MIDI_Setup* d = MIDI_Setup::peek()) d->Set_Controls(false);
    Quorlen& m = Quorlen::get();
    m.Menu_Tone_Receive->setEnabled(false);
    m.Menu_Tone_Send->setEnabled(false);
}

void MIDI_Controls_Enable() {
    if (MIDI_Setup* d = MIDI_Setup::peek()) d->Set_Controls(true);
    Quorlen& m = Quorlen::get();
    m.Menu_Tone_Receive->setEnabled(true);
    m.Menu_Tone_Send->setEnabled(true);
}
