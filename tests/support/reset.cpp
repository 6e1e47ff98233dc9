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
#include "help/help.h"
#include "instrument/instrument.h"
#include "midi/midi_port.h"
#include "midi/receive.h"
#include "midi/sysex.h"
#include "midi/tone_files.h"
#include "platform/host.h"
#include "sequencer/oscillator.h"
#include "sequencer/playback.h"
#include "sequencer/sequence.h"

void Reset_Program() {
    Quorlen::Destroy_Instance(); // takes every child window with it
    Dlg_Count = 0;
    Dlg_Open.clear();
    Screen_PPI = 96;
    Screen_Scale = 1.0f;
    Soundcheck_Wait = 0;
    Font_Loaded = false;
    Tone_Saved = true;
    Seq_Saved = 255;
    Tone_Loading = 0;
    Seq_Running = 0;
    Seq_Form_Open = 0;
    Patch_Form_Open = 0;
    FD_Form_Open = false;
    Drag_Last_X = Drag_Last_Y = 0;
    Patch_Left = Patch_Top = Seq_Left = Seq_Top = FD_Left = FD_Top = 0;
    After_Touch_Index = Key_Mode_Index = 0;
    FD_Done = 0;
    Soundcheck_Mode = 0;
    Soundcheck_Note = 24;
    Soundcheck_Velocity = 80;
    Dir_Tones.clear();
    Dir_Sequences.clear();
    Dir_Oscillators.clear();
    Recent_Tone.fill(QString());
    Recent_Seq.fill(QString());
    SYX_Header.clear();
    SYX_Tone_Found = 0;
    SYX_Tone_First = false;
    Tone_In_File = 0;
    INI_File.clear();
    Settings_Loaded = false;
    MIDI_Out_Port = MIDI_Port{};
    MIDI_In_Port = MIDI_Port{};
    MIDI_Out_Caps.clear();
    MIDI_In_Caps.clear();
    MIDI_Enabled = 0;
    MIDI_Channel = 1;
    AutoSend_On = 1;
    AutoPlay_On = 1;
    MIDI_Setup_Needed = 0;
    MIDI_Receiving = 0;
    AutoSend_Saved = 0;
    MIDI_In_Buf1.clear();
    MIDI_In_Buf2.clear();
    MIDI_In_Hdrs.fill(MIDI_In_Hdr{});
    MKS70_Patch_Data.fill(0);
    MKS70_Tone_Side.clear();
    Help_Table.fill(Help_Row{});
    Credits_Table.fill(Help_Row{});
    Help_Topic.clear();
    Help_Demo_Bytes.fill(0);
    Help_LED_SW_State = 0;
    Seq_Status = 0x90;
    Synth_Type = "JX-8P";
    Tone_Data.fill(0);
    Patch_Data.fill(0);
    Juno_Tone.fill(0);
    Tone_Name_Text.clear();
    Tone_File.clear();
    SysEx_Str.clear();
    SysEx_Text.clear();
    Hdr_Tone_APR = Hdr_Tone_IPR = Hdr_ToneB_APR = Hdr_ToneB_IPR = Hdr_Patch_APR = Hdr_Patch_IPR =
        "";
    Undo_Tone.fill(0);
    Undo_Patch.fill(0);
    Undo_Juno_Tone.fill(0);
    Focus_Control = nullptr;
    Blink_Phase = 0;
    Edit_Value = Knob_Display_Value = 0;
    Last_Param = Last_Value = 0;
    Name_Cursor = Help_Index = 0;
    Led_Reset_Hook = nullptr;
    Dlg_Saved_Focus = nullptr;
    Seq_File.clear();
    Seq_Data.fill(0);
    Seq_BPM = 30;
    Seq_Base_Note = 48;
    Seq_Range_Index = 2;
    Seq_Loaded = 0;
    Seq_Name.clear();
    Seq_Direction = 0;
    Seq_Step = Seq_Step_Prev = Seq_Step_Base = 0;
    ED_Seq_Pics_Enabled = false;
    FD_SEQ_Preview_Draw = nullptr;
    FD_Mode.clear();
    FD_Ext.clear();
    FD_Path.clear();
    FD_Selected.clear();
    FD_Selected_Kind.clear();
    FD_Done = 0;
    FD_Drive.clear();
    Dir_Tones.clear();
    Dir_Sequences.clear();
    Dir_Oscillators.clear();
    Input_Result.clear();
    Set_Input_Box_Hook({});
    Osc_Step_Pos = 0;
    Set_Screen_PPI_Override(96);
    Set_Host_Version_Override(0);
}
