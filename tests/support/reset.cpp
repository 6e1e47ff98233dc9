#include "support/reset.h"
#include "app/dlg.h"
#include "app/main_module.h"
#include "app/quorlen.h"
#include "app/recent.h"
#include "app/settings.h"
#include "dialogs/file_dlg.h"
#include "dialogs/input_dlg.h"
#include "editors/knob_model.h"
#include "editors/patch_mks70.h"
#include "editors/random_tone.h"
#include "help/help.h"
#include "instrument/instrument.h"
#include "midi/midi_port.h"
#include "midi/receive.h"
#include "midi/routines.h"
#include "midi/sysex.h"
#include "midi/tone_files.h"
#include "platform/file_io.h"
#include "platform/host.h"
#include "sequencer/oscillator.h"
#include "sequencer/playback.h"
#include "sequencer/sequence.h"

void Reset_Program() {
    Quorlen::Destroy_Instance(); // takes every child window with it
    Main_Module_Reset();
    Dlg_Reset();
    Recent_Reset();
    Settings_Reset();
    File_Dlg_Reset();
    Input_Dlg_Reset();
    Knob_Model_Reset();
    Patch_MKS70_Reset();
    Random_Tone_Reset();
    Help_Reset();
    Instrument_Reset();
    Midi_Port_Reset();
    Receive_Reset();
    Routines_Reset();
    Sysex_Reset();
    Tone_Files_Reset();
    File_Io_Reset();
    Host_Reset();
    Oscillator_Reset();
    Playback_Reset();
    Sequence_Reset();
    // Tests see the same screen on every machine, and the same host whatever
    // kernel they run on.
    Screen_PPI = 96;
    Set_Screen_PPI_Override(96);
    Set_Host_Version_Override(0);
    MIDI_Channel = 1;
}
