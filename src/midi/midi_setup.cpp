#include "midi/midi_setup.h"
#include "app/quorlen.h"

MIDI_Setup::MIDI_Setup() : QWidget(&Quorlen::get(), Qt::Dialog) {
    setWindowTitle("MIDI Setup");
}

void MIDI_Setup::Form_Load() {}

void MIDI_Setup::Form_Show() {
    show();
    raise();
}
