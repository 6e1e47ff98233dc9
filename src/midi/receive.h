#pragma once
// Taking a JX-8P tone dump from the instrument, and the receive mode that
// waits for it. No routine opens an input port, so the mode never starts.
#include <QString>
#include <array>
#include <cstdint>
#include <string>

extern std::uint8_t AutoSend_Saved; // AutoSend_On as it was when receive mode started
// One received message each, as bytes; only the input callback would fill them.
extern std::string MIDI_In_Buf1, MIDI_In_Buf2;

// An input buffer record: a header followed by two memory handles and their
// locked pointers. Elements 1 to 4 are the input buffers.
struct MIDI_In_Hdr {
    std::string lpData;
    std::uint32_t dwBufferLength = 0, dwBytesRecorded = 0, dwUser = 0, dwFlags = 0;
    std::uint32_t hMem1 = 0, pMem1 = 0, hMem2 = 0, pMem2 = 0;
};
extern std::array<MIDI_In_Hdr, 5> MIDI_In_Hdrs;

// Tone > Receive and the editors' stop buttons while receiving.
void MIDI_Receive_Toggle();
void MIDI_In_Close();
int vbMidiInClose(int handle);
void vbMidiInUnPrepareHeader();
void vbMidiInFreeBuffer(MIDI_In_Hdr& hdr);
void MIDI_In_ShowError(int code, const QString& location);
// The main window's input notification: hands each filled buffer on.
void MIDI_In_Notify();
std::string MIDI_In_TakeBuffer1();
std::string MIDI_In_TakeBuffer2();
void MIDI_In_ReceiveTone(const std::string& message);
// Back to the values at program start.
void Receive_Reset();
