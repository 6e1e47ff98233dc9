#include "platform/midi_host.h"
#include "platform/file_io.h"
#include "platform/host.h"
#include "platform/midi_system.h"
#include "platform/msgbox.h"
#include <QCoreApplication>
#include <dlfcn.h>

namespace {
std::unique_ptr<MidiHost>& host_slot() {
    static std::unique_ptr<MidiHost> host;
    return host;
}

// No MIDI system: no devices, and nothing opens.
class No_Midi_Host : public MidiHost {
  public:
    int outCount() override { return 0; }
    QString outName(int) override { return {}; }
    int inCount() override { return 0; }
    QString inName(int) override { return {}; }
    int outOpen(int, MidiHandle&) override { return MidiResult::NoDriver; }
    int outShortMsg(MidiHandle, std::uint32_t) override { return MidiResult::InvalidHandle; }
    int outPrepareHeader(MidiHandle, const std::string&) override {
        return MidiResult::InvalidHandle;
    }
    int outLongMsg(MidiHandle, const std::string&) override { return MidiResult::InvalidHandle; }
    int outUnprepareHeader(MidiHandle, const std::string&) override {
        return MidiResult::InvalidHandle;
    }
    int outClose(MidiHandle) override { return MidiResult::InvalidHandle; }
};

std::unique_ptr<MidiHost> system_host() {
    if (!Alsa_Sequencer_Present() && !Jack_Server_Listening())
        return std::make_unique<No_Midi_Host>();
    QString error;
    std::unique_ptr<MidiHost> host = Load_Midi_Module(Midi_Module_Path(), error);
    if (host) return host;
    // A broken installation must not pass for a machine without MIDI devices.
    Msg_Box("The MIDI module " + Name_Shown(Midi_Module_Path()) + " could not be loaded:\n" +
                error + "\n\nMIDI functions are not available.",
            Mb::Critical);
    return std::make_unique<No_Midi_Host>();
}
} // namespace

bool MidiHost::errorText(int code, QString& text) const {
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
    if (!host) host = system_host();
    return *host;
}

void Set_Midi_Host(std::unique_ptr<MidiHost> host) {
    host_slot() = std::move(host);
}

QString Midi_Module_Path() {
    // Beside the program, else where the build put it.
    const QString beside = Executable_Folder() + "/" + Midi_Module_File;
    if (Path_Kind(beside) == Path_Type::File) return beside;
    return QStringLiteral(QUORLEN_MODULE_DIR "/") + Midi_Module_File;
}

std::unique_ptr<MidiHost> Load_Midi_Module(const QString& path, QString& error) {
    dlerror();
    QByteArray name;
    void* module =
        Name_To_Bytes(path, name) ? dlopen(name.constData(), RTLD_NOW | RTLD_LOCAL) : nullptr;
    auto* create =
        module ? reinterpret_cast<MidiHost* (*)()>(dlsym(module, Midi_Module_Entry)) : nullptr;
    if (!create) {
        const char* why = dlerror();
        error = why ? QString::fromLocal8Bit(why) : QStringLiteral("unknown error");
        if (module) dlclose(module);
        return nullptr;
    }
    // The module stays loaded: the host's code and its libraries' threads live in it.
    return std::unique_ptr<MidiHost>(create());
}
