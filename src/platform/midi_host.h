#pragma once
// The host's MIDI service as the port layer sees it: numbered devices, a
// handle per open output, result codes (0 success) and a text for each code.
#include <QString>
#include <cstdint>
#include <memory>
#include <string>

namespace MidiResult {
// Codes keep the numbers the port layer and its users test for.
enum : int {
    Ok = 0,
    Error = 1,         // unspecified failure in the MIDI system
    BadDeviceId = 2,   // no device with that number
    NotEnabled = 3,    // the MIDI system is not running
    Allocated = 4,     // the device is in use and cannot be opened
    InvalidHandle = 5, // no open port behind the handle
    NoDriver = 6,      // no MIDI system could be reached
    NoMemory = 7,
    InvalidParam = 11,
    Unprepared = 64, // long message without a prepared header
    StillPlaying = 65,
    NotReady = 67,
};
} // namespace MidiResult

using MidiHandle = std::int32_t;

class MidiHost {
  public:
    virtual ~MidiHost() = default;

    virtual int outCount() = 0;
    virtual QString outName(int index) = 0;
    virtual int inCount() = 0;
    virtual QString inName(int index) = 0;

    // device -1 is the system's default destination (a port others connect to).
    virtual int outOpen(int device, MidiHandle& handle) = 0;
    // status + 256 * data1 + 65536 * data2
    virtual int outShortMsg(MidiHandle handle, std::uint32_t packed) = 0;
    virtual int outPrepareHeader(MidiHandle handle, const std::string& bytes) = 0;
    virtual int outLongMsg(MidiHandle handle, const std::string& bytes) = 0;
    virtual int outUnprepareHeader(MidiHandle handle, const std::string& bytes) = 0;
    virtual int outClose(MidiHandle handle) = 0;

    // The text for a result code; false when the code is unknown. The same
    // for every host: the codes are the port layer's, not the MIDI system's.
    bool errorText(int code, QString& text) const;
};

// The host in use. Created on first use (the real MIDI system) unless a
// test installed its own. The host over RtMidi lives in a module of its own:
// RtMidi and the libraries under it (JACK, ALSA) take milliseconds to load,
// so they are loaded only when there is a MIDI system to reach.
MidiHost& Midi_Host();
void Set_Midi_Host(std::unique_ptr<MidiHost> host);

// Where the program takes its MIDI module from, and the loading of one: the
// host it makes, or nullptr with the loader's message in error.
QString Midi_Module_Path();
std::unique_ptr<MidiHost> Load_Midi_Module(const QString& path, QString& error);

// How many bytes a short message with this status byte carries on the wire.
// Inline: the MIDI module needs it and must not call back into the program.
inline int Short_Msg_Length(std::uint8_t status) {
    if (status < 0x80) return 3; // running status is not used here; send what was packed
    switch (status & 0xF0) {
    case 0xC0:
    case 0xD0:
        return 2;
    case 0xF0:
        switch (status) {
        case 0xF1:
        case 0xF3:
            return 2;
        case 0xF2:
            return 3;
        default:
            return 1;
        }
    default:
        return 3;
    }
}
