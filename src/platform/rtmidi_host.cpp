#include "platform/rtmidi_host.h"
#include <jack/jack.h>

namespace {
struct CallbackState {
    bool failed = false;
};

void record_error(RtMidiError::Type type, const std::string&, void* user) {
    if (type == RtMidiError::WARNING || type == RtMidiError::DEBUG_WARNING) return;
    static_cast<CallbackState*>(user)->failed = true;
}

// Probes whether an API can be opened at all; RtMidi throws when ALSA is missing.
std::unique_ptr<RtMidiOut> try_out(RtMidi::Api api, const std::string& name) {
    try {
        return std::make_unique<RtMidiOut>(api, name);
    } catch (const RtMidiError&) {
        return nullptr;
    }
}

void jack_gone(void* arg) {
    static_cast<std::atomic<bool>*>(arg)->store(true);
}
} // namespace

struct RtMidiHost::Port {
    std::unique_ptr<RtMidiOut> out;
    CallbackState state;
};

RtMidiHost::RtMidiHost(const std::string& clientName)
    : clientName_(clientName), serverGone_(std::make_shared<std::atomic<bool>>(false)) {
    std::unique_ptr<RtMidiOut> out = try_out(RtMidi::LINUX_ALSA, clientName_);
    if (out) {
        api_ = RtMidi::LINUX_ALSA;
    } else {
        out = try_out(RtMidi::UNIX_JACK, clientName_);
        if (out) api_ = RtMidi::UNIX_JACK;
    }
    if (!out) return;

    CallbackState state;
    out->setErrorCallback(record_error, &state);
    const unsigned n = out->getPortCount();
    for (unsigned i = 0; i < n; ++i)
        outNames_.push_back(QString::fromStdString(out->getPortName(i)));
    out->setErrorCallback(nullptr, nullptr);

    try {
        RtMidiIn in(api_, clientName_);
        in.setErrorCallback(record_error, &state);
        const unsigned m = in.getPortCount();
        for (unsigned i = 0; i < m; ++i)
            inNames_.push_back(QString::fromStdString(in.getPortName(i)));
        in.setErrorCallback(nullptr, nullptr);
    } catch (const RtMidiError&) {
    }

    if (api_ == RtMidi::UNIX_JACK) {
        // RtMidi keeps quiet when the server dies; a watcher client of our own tells us.
        jack_status_t status;
        auto* client =
            jack_client_open((clientName_ + "-watch").c_str(), JackNoStartServer, &status);
        if (client) {
            jack_on_shutdown(client, jack_gone, serverGone_.get());
            jack_activate(client);
            jackWatch_ = client;
        }
    }
}

RtMidiHost::~RtMidiHost() {
    const bool gone = serverGone_->load();
    for (auto& [h, p] : ports_) {
        // A dead JACK server cannot be spoken to any more; let the ports go unclosed.
        if (gone) (void)p.release();
    }
    ports_.clear();
    if (jackWatch_ && !gone) jack_client_close(static_cast<jack_client_t*>(jackWatch_));
}

int RtMidiHost::outCount() {
    return static_cast<int>(outNames_.size());
}
QString RtMidiHost::outName(int i) {
    return i >= 0 && i < outCount() ? outNames_[i] : QString();
}
int RtMidiHost::inCount() {
    return static_cast<int>(inNames_.size());
}
QString RtMidiHost::inName(int i) {
    return i >= 0 && i < inCount() ? inNames_[i] : QString();
}

RtMidiHost::Port* RtMidiHost::port(MidiHandle handle) {
    auto it = ports_.find(handle);
    return it == ports_.end() ? nullptr : it->second.get();
}

int RtMidiHost::outOpen(int device, MidiHandle& handle) {
    if (api_ == RtMidi::UNSPECIFIED) return MidiResult::NoDriver;
    if (serverGone_->load()) return MidiResult::NotEnabled;
    if (device < -1 || device >= outCount()) return MidiResult::BadDeviceId;
    auto p = std::make_unique<Port>();
    p->out = try_out(api_, clientName_);
    if (!p->out) return MidiResult::NoDriver;
    p->out->setErrorCallback(record_error, &p->state);
    if (device == -1) {
        p->out->openVirtualPort(clientName_);
    } else {
        // The list was taken at start-up; the port must still be the one of that name.
        const unsigned n = p->out->getPortCount();
        unsigned found = n;
        for (unsigned i = 0; i < n; ++i)
            if (QString::fromStdString(p->out->getPortName(i)) == outNames_[device]) found = i;
        if (found == n) return MidiResult::BadDeviceId;
        p->out->openPort(found, "out");
    }
    if (p->state.failed) return MidiResult::Allocated;
    handle = nextHandle_++;
    ports_[handle] = std::move(p);
    return MidiResult::Ok;
}

int RtMidiHost::send(MidiHandle handle, const unsigned char* data, size_t size) {
    Port* p = port(handle);
    if (!p) return MidiResult::InvalidHandle;
    if (serverGone_->load()) return MidiResult::NotEnabled;
    if (size == 0) return MidiResult::InvalidParam;
    p->state.failed = false;
    p->out->sendMessage(data, size);
    return p->state.failed ? MidiResult::Error : MidiResult::Ok;
}

int RtMidiHost::outShortMsg(MidiHandle handle, std::uint32_t packed) {
    const unsigned char bytes[3] = {static_cast<unsigned char>(packed & 0xFF),
                                    static_cast<unsigned char>((packed >> 8) & 0xFF),
                                    static_cast<unsigned char>((packed >> 16) & 0xFF)};
    return send(handle, bytes, static_cast<size_t>(Short_Msg_Length(bytes[0])));
}

int RtMidiHost::outPrepareHeader(MidiHandle handle, const std::string&) {
    return port(handle) ? MidiResult::Ok : MidiResult::InvalidHandle;
}

int RtMidiHost::outLongMsg(MidiHandle handle, const std::string& bytes) {
    return send(handle, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

int RtMidiHost::outUnprepareHeader(MidiHandle handle, const std::string&) {
    return port(handle) ? MidiResult::Ok : MidiResult::InvalidHandle;
}

int RtMidiHost::outClose(MidiHandle handle) {
    auto it = ports_.find(handle);
    if (it == ports_.end()) return MidiResult::InvalidHandle;
    if (serverGone_->load()) (void)it->second.release(); // see the destructor
    ports_.erase(it);
    return MidiResult::Ok;
}
