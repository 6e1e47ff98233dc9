#pragma once
// The MIDI setup dialog.
#include "app/form.h"
#include <QWidget>

class MIDI_Setup : public QWidget, public Form<MIDI_Setup> {
    Q_OBJECT
  public:
    MIDI_Setup();
    void Form_Load();
    void Form_Show();
};
