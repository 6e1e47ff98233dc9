#include "midi/receive.h"

// TODO(receive): the receive path is built in its own module; this is its call point.
void MIDI_Receive_Toggle() {}
