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

void Set_Synth();
int Tone_To_SysEx();
void Tone_To_SysEx_Str();
void Tone_Send();
