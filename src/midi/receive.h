#pragma once
// Receive mode for a tone dump from the instrument.

// Ends receive mode while it is on; starting it needs an open input port.
void MIDI_Receive_Toggle();
