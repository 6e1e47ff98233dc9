#pragma once
// Roland system-exclusive messages. Each is built as text (upper-case hex
// tokens, each followed by one blank) and turned into bytes just before sending.
#include <array>
#include <cstdint>
#include <string>

extern std::string Hdr_Tone_APR, Hdr_Tone_IPR, Hdr_ToneB_APR, Hdr_ToneB_IPR, Hdr_Patch_APR,
    Hdr_Patch_IPR;

extern std::string SysEx_Str;                  // the message being built; bytes once converted
extern std::array<std::uint8_t, 89> SysEx_Buf; // the file image of the tone
extern std::string SysEx_Text;                 // the last single-parameter text an editor sent

// A byte as its token: upper-case hex without leading zeros.
std::string Hex(unsigned value);
std::string Hex_To_Str(const std::string& text);

// The text of a single-parameter message: header, parameter, value, F7.
std::string Param_Msg_Text(const std::string& header, unsigned param, unsigned value);
// The JX-8P patch header on the current channel: both patch windows send in
// that format, whatever synthesizer is chosen.
std::string Patch_Param_Hdr();

// Edits go to the synthesizer as they happen: auto-send is on and MIDI enabled.
bool Auto_Sending();
// Whether a message equal to the last one sent (SysEx_Text) goes out again.
enum class Repeats { Send, Skip };
// Sends an edit's message and keeps its text in SysEx_Text.
void Edit_Msg_Send(const std::string& text, Repeats repeats = Repeats::Send);
// One parameter's message, only while auto-sending.
void Param_Send(const std::string& header, unsigned param, unsigned value,
                Repeats repeats = Repeats::Send);

void Set_Synth();
int Tone_To_SysEx();
void Tone_To_SysEx_Str();
void Tone_Send();
// Back to the values at program start.
void Sysex_Reset();
