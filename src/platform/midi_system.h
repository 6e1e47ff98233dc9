#pragma once
// Whether a MIDI system is there to reach, told without loading its libraries.
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

// Without the sequencer device ALSA cannot be opened.
inline bool Alsa_Sequencer_Present() {
    struct stat st;
    return stat("/dev/snd/seq", &st) == 0;
}

// A running JACK server listens on a socket in /dev/shm (jackd2:
// jack_<server>_<uid>_0; jackd1: a folder jack-<uid>/<server>). Asking libjack
// when there is none costs milliseconds to learn nothing.
inline bool Jack_Server_Listening() {
    if (std::getenv("JACK_PROMISCUOUS_SERVER")) return true; // other owners: let libjack look
    const char* env = std::getenv("JACK_DEFAULT_SERVER");
    const std::string server = env && *env ? env : "default";
    const std::string uid = std::to_string(getuid());
    struct stat st;
    return stat(("/dev/shm/jack_" + server + "_" + uid + "_0").c_str(), &st) == 0 ||
           stat(("/dev/shm/jack-" + uid + "/" + server).c_str(), &st) == 0;
}

// The module that holds the MIDI host over RtMidi, and the function in it
// that makes one (a MidiHost* the caller owns).
inline constexpr const char* Midi_Module_File = "libquorlen_rtmidi.so";
inline constexpr const char* Midi_Module_Entry = "quorlen_create_midi_host";
