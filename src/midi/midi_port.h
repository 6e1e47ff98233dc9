#pragma once
// The program's only contact with MIDI: device lists, the configured devices
// and channel, the lazily opened output port, short and long messages, and
// the error boxes.
#include "platform/midi_host.h"
#include <QString>
#include <cstdint>
#include <string>
#include <vector>

struct MIDI_Port {
    std::int16_t Dev_Index = 0; // -1: the system's default destination
    QString Dev_Name;
    MidiHandle Handle = -1; // -1 while closed
};

struct MIDI_Caps {
    QString szPname;
};

extern MIDI_Port MIDI_Out_Port, MIDI_In_Port;
extern std::vector<MIDI_Caps> MIDI_Out_Caps, MIDI_In_Caps;

// The long message in flight; it lives here until the next one replaces it.
struct MIDI_Hdr {
    std::string lpData;
    std::uint32_t dwBufferLength = 0, dwBytesRecorded = 0, dwUser = 0, dwFlags = 0;
};
extern MIDI_Hdr MIDI_Out_Hdr;

extern std::uint8_t MIDI_Enabled; // 1 enabled
extern std::uint8_t MIDI_Channel; // 1..16 as the user sees it
extern std::uint8_t AutoSend_On;  // 1: every edit goes out at once
extern std::uint8_t AutoPlay_On;  // 1: the file dialog sounds what it previews
extern int MIDI_Setup_Needed;     // 1: the setup dialog opens at start-up
extern int MIDI_Receiving;
extern int Seq_Status;     // status byte of the sequencer's notes
extern QString Synth_Type; // "JX-8P", "MKS-70" or "Alpha Juno"

bool MIDI_Init();
bool MIDI_GetDevices();
bool MIDI_ReadConfig();
bool MIDI_Out_Config();
bool MIDI_In_Config();
int MIDI_Out_FindDevice(const QString& name);
int MIDI_In_FindDevice(const QString& name);
QString StripNull(const QString& s);

void MIDI_Out_Open();
void MIDI_Out_Close();
// Closes the output for good: the callers' "close until the handle is -1".
void MIDI_Out_Close_All();
int MIDI_Put(const std::string& s);
void MIDI_AllNotesOff();
void MIDI_SendNote(int note, int velocity);
void Seq_SendAllNotesOff();
void Seq_SendNote(int d1, int d2);
void MIDI_SendSysEx(const std::string& s);
// What an instrument may receive of system-exclusive bytes: each message keeps
// its F0 and F7, every byte between them goes out cleared to seven bits.
std::string Seven_Bit_Data(std::string s);
void MIDI_Out_ShowError(int r, const QString& location);
void MIDI_Out_ShowLongError(int r, const QString& location);
// Back to the values at program start.
void Midi_Port_Reset();
