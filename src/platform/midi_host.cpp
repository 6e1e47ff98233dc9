#include "platform/midi_host.h"
#include "platform/rtmidi_host.h"

namespace {
std::unique_ptr<MidiHost>& host_slot() {
    static std::unique_ptr<MidiHost> host;
    return host;
}
} // namespace

bool MidiHost::errorText(int code, QString& text) {
    switch (code) {
    case MidiResult::Ok:
        text = "The operation completed.";
        return true;
    case MidiResult::Error:
        text = "The MIDI system reported an unspecified error.";
        return true;
    case MidiResult::BadDeviceId:
        text = "There is no MIDI device with this number.";
        return true;
    case MidiResult::NotEnabled:
        text = "The MIDI system is not running.";
        return true;
    case MidiResult::Allocated:
        text = "The MIDI device is in use by another program.";
        return true;
    case MidiResult::InvalidHandle:
        text = "The MIDI port is not open.";
        return true;
    case MidiResult::NoDriver:
        text = "No MIDI system (ALSA or JACK) could be reached.";
        return true;
    case MidiResult::NoMemory:
        text = "Not enough memory for the MIDI port.";
        return true;
    case MidiResult::InvalidParam:
        text = "The MIDI message is not valid.";
        return true;
    case MidiResult::Unprepared:
        text = "The message buffer was not prepared.";
        return true;
    case MidiResult::StillPlaying:
        text = "The MIDI port is still sending.";
        return true;
    case MidiResult::NotReady:
        text = "The MIDI port is busy.";
        return true;
    default:
        return false;
    }
}

MidiHost& Midi_Host() {
    auto& host = host_slot();
    if (!host) host = std::make_unique<RtMidiHost>();
    return *host;
}

void Set_Midi_Host(std::unique_ptr<MidiHost> host) {
    host_slot() = std::move(host);
}

int Short_Msg_Length(std::uint8_t status) {
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
