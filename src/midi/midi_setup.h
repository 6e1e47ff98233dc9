#pragma once
// The MIDI setup dialog: synthesizer, devices, channel and the MIDI switches.
#include "app/form.h"
#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

class MIDI_Setup : public QWidget, public Form<MIDI_Setup> {
    Q_OBJECT
  public:
    MIDI_Setup();
    void Form_Load();
    void Form_Show();
    // Closes the dialog through its closing steps, whatever asked for it.
    void Form_Unload();

    QLabel *LabelSynth, *Label4, *Label2, *Label_Channel;
    QComboBox *SynthesizerType, *Output_Devices, *Input_Devices, *Channel;
    QPushButton* Cmd_OK;
    QGroupBox* Frame1;
    QCheckBox *Enable, *AutoSend, *AutoPlay;

    void SynthesizerType_Click();
    void Enable_Click();
    void AutoSend_Click();
    void AutoPlay_Click();
    void Cmd_OK_Click();
    // The device lists and the two boxes, on or off with MIDI.
    void Set_Controls(bool on);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    bool Form_KeyDown(QKeyEvent* event);
    void Form_QueryUnload();
};

void MIDI_Controls_Disable();
void MIDI_Controls_Enable();

// The reminder shown on OK with MIDI enabled, by synthesizer.
QString MIDI_SysEx_Reminder(const QString& synth);
