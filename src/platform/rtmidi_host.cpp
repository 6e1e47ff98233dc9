#include "platform/rtmidi_host.h"
#include "platform/midi_system.h"
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <jack/jack.h>
#include <jack/midiport.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

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

// RtMidi's JACK output queues each message in a ring of 16 KiB that its
// process callback empties once per cycle, and spins without end while the
// ring is full. Without a running cycle (a server that died, or one that
// stalls) that would freeze the program, so we never let more than this
// much wait unconfirmed in the ring.
constexpr size_t Ring_Budget = 12288;
constexpr size_t Ring_Entry_Overhead = sizeof(int); // RtMidi stores the length first
constexpr auto Drain_Timeout = std::chrono::seconds(1);
} // namespace

struct RtMidiHost::Watch {
    jack_client_t* client = nullptr;
    std::atomic<bool> gone{false};
    std::atomic<std::uint64_t> cycles{0};

    static int process(jack_nframes_t, void* arg) {
        static_cast<Watch*>(arg)->cycles.fetch_add(1, std::memory_order_release);
        return 0;
    }
    static void shutdown(void* arg) { static_cast<Watch*>(arg)->gone.store(true); }
};

struct RtMidiHost::Port {
    std::unique_ptr<RtMidiOut> out;
    CallbackState state;
    // Bytes handed to RtMidi and not yet known to be sent, by the watcher's
    // cycle count at the time.
    std::deque<std::pair<std::uint64_t, size_t>> queued;
    size_t pending = 0;
    // Set when the ring did not drain in time: the cycle count then. Until
    // the count moves again every send fails at once instead of waiting.
    bool stalled = false;
    std::uint64_t stalledAt = 0;
};

RtMidiHost::RtMidiHost(const std::string& clientName) : clientName_(clientName) {
    // Without the sequencer device trying ALSA only prints errors.
    std::unique_ptr<RtMidiOut> out =
        Alsa_Sequencer_Present() ? try_out(RtMidi::LINUX_ALSA, clientName_) : nullptr;
    if (!out) {
        open_jack();
        return;
    }
    api_ = RtMidi::LINUX_ALSA;
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
}

void RtMidiHost::open_jack() {
    // One client of our own reaches the server, lists the ports as RtMidi
    // names them, and stays to hear the server go away, which RtMidi keeps
    // quiet about. Without a server JACK is not offered at all: probing it
    // through RtMidi costs start-up time for nothing.
    if (!Jack_Server_Listening()) return;
    std::unique_ptr<Watch> watch = join(true);
    if (!watch) return;
    api_ = RtMidi::UNIX_JACK;
    watch_ = std::move(watch);
}

std::unique_ptr<RtMidiHost::Watch> RtMidiHost::join(bool listPorts) {
    auto watch = std::make_unique<Watch>();
    jack_status_t status;
    watch->client = jack_client_open((clientName_ + "-watch").c_str(), JackNoStartServer, &status);
    if (!watch->client) return nullptr;
    auto list = [&](unsigned long flags, std::vector<QString>& names) {
        const char** ports = jack_get_ports(watch->client, nullptr, JACK_DEFAULT_MIDI_TYPE, flags);
        for (size_t i = 0; ports && ports[i]; ++i) names.push_back(QString::fromUtf8(ports[i]));
        jack_free(ports);
    };
    if (listPorts) {
        list(JackPortIsInput, outNames_);
        list(JackPortIsOutput, inNames_);
    }
    jack_on_shutdown(watch->client, &Watch::shutdown, watch.get());
    jack_set_process_callback(watch->client, &Watch::process, watch.get());
    if (jack_activate(watch->client) != 0) {
        jack_client_close(watch->client);
        return nullptr;
    }
    return watch;
}

// A client whose server went away stays dead, even when a server of that
// name runs again: only new clients reach it. The device list stays as it
// was taken at start-up, since the port layer numbers its devices by it; an
// open finds its port by name.
bool RtMidiHost::rejoin() {
    if (!Jack_Server_Listening()) return false;
    std::unique_ptr<Watch> watch = join(false);
    if (!watch) return false;
    // The first client opened after a server died makes libjack close and
    // free every client of the dead one in this process: ours are let go
    // untouched, with what their callbacks point to.
    for (auto& [h, p] : ports_) (void)p->out.release();
    for (auto& out : spare_) (void)out.release();
    spare_.clear();
    (void)watch_.release();
    watch_ = std::move(watch);
    return true;
}

RtMidiHost::~RtMidiHost() {
    for (auto& [h, p] : ports_) retire(*p);
    ports_.clear();
    // RtMidi 5.0 frees the ring of a JACK output before it closes its client,
    // so a process cycle that starts in between reads freed memory. Its JACK
    // outputs therefore live as long as the program; the server drops their
    // clients when it ends.
    if (api_ == RtMidi::UNIX_JACK)
        for (auto& out : spare_) (void)out.release();
    spare_.clear();
    // A dead client may be freed already (see rejoin).
    if (server_gone())
        (void)watch_.release();
    else if (watch_)
        jack_client_close(watch_->client);
}

void RtMidiHost::retire(Port& p) {
    if (!p.out) return;
    if (api_ != RtMidi::UNIX_JACK) {
        p.out.reset();
        return;
    }
    // Closing waits a second for a process cycle, which a dead server never
    // runs and a frozen one never ends: such outputs are let go unclosed.
    if (server_gone() || p.stalled || !drained(p)) {
        (void)p.out.release();
        return;
    }
    p.out->closePort();
    p.out->setErrorCallback(nullptr, nullptr);
    spare_.push_back(std::move(p.out));
}

bool RtMidiHost::server_gone() const {
    return watch_ && watch_->gone.load();
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
    if (server_gone() && !rejoin()) return MidiResult::NotEnabled;
    if (device < -1 || device >= outCount()) return MidiResult::BadDeviceId;
    auto p = std::make_unique<Port>();
    if (!spare_.empty()) {
        p->out = std::move(spare_.back());
        spare_.pop_back();
    } else {
        p->out = try_out(api_, clientName_);
    }
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
        if (found == n) {
            retire(*p);
            return MidiResult::BadDeviceId;
        }
        p->out->openPort(found, "out");
    }
    if (p->state.failed) {
        retire(*p);
        return MidiResult::Allocated;
    }
    // JACK puts a new connection into the cycles that begin after it: what a
    // cycle already under way took from the ring would reach no one.
    if (watch_ && device != -1) await_cycles(watch_->cycles.load(std::memory_order_acquire));
    handle = nextHandle_++;
    ports_[handle] = std::move(p);
    return MidiResult::Ok;
}

int RtMidiHost::send(MidiHandle handle, const unsigned char* data, size_t size) {
    Port* p = port(handle);
    if (!p) return MidiResult::InvalidHandle;
    if (server_gone() || !p->out) return MidiResult::NotEnabled;
    if (size == 0) return MidiResult::InvalidParam;
    if (const int r = reserve(*p, size); r != MidiResult::Ok) return r;
    p->state.failed = false;
    p->out->sendMessage(data, size);
    if (watch_) {
        const std::uint64_t now = watch_->cycles.load(std::memory_order_acquire);
        if (p->queued.empty() || p->queued.back().first != now) p->queued.emplace_back(now, 0);
        p->queued.back().second += size + Ring_Entry_Overhead;
        p->pending += size + Ring_Entry_Overhead;
    }
    return p->state.failed ? MidiResult::Error : MidiResult::Ok;
}

// Whatever was queued before the count stood at c has gone out once it
// reaches c + 3: a whole cycle has then begun and ended after it.
bool RtMidiHost::await_cycles(std::uint64_t from) const {
    const auto deadline = std::chrono::steady_clock::now() + Drain_Timeout;
    while (watch_->cycles.load(std::memory_order_acquire) < from + 3) {
        if (server_gone() || std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    return true;
}

void RtMidiHost::forget_sent(Port& p) const {
    const std::uint64_t now = watch_->cycles.load(std::memory_order_acquire);
    while (!p.queued.empty() && p.queued.front().first + 3 <= now) {
        p.pending -= p.queued.front().second;
        p.queued.pop_front();
    }
}

// RtMidi's close waits for one cycle only, and may unregister the port
// before that cycle took the last message from the ring.
bool RtMidiHost::drained(Port& p) const {
    if (!watch_) return true;
    if (p.queued.empty() || await_cycles(p.queued.back().first)) {
        forget_sent(p);
        return true;
    }
    p.stalled = true;
    return false;
}

bool RtMidiHost::stalled(Port& p) const {
    if (p.stalled && watch_->cycles.load(std::memory_order_acquire) != p.stalledAt)
        p.stalled = false;
    return p.stalled;
}

int RtMidiHost::reserve(Port& p, size_t size) {
    if (!watch_) return MidiResult::Ok; // ALSA, or a JACK we cannot watch
    const size_t need = size + Ring_Entry_Overhead;
    if (need > Ring_Budget) return MidiResult::InvalidParam;
    if (stalled(p)) return MidiResult::NotReady;
    std::chrono::steady_clock::time_point deadline{};
    for (;;) {
        forget_sent(p);
        if (p.pending + need <= Ring_Budget) return MidiResult::Ok;
        if (server_gone()) return MidiResult::NotEnabled;
        const auto clock = std::chrono::steady_clock::now();
        if (deadline == std::chrono::steady_clock::time_point{}) deadline = clock + Drain_Timeout;
        if (clock > deadline) {
            p.stalled = true;
            p.stalledAt = watch_->cycles.load(std::memory_order_acquire);
            return MidiResult::NotReady;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
}

int RtMidiHost::outShortMsg(MidiHandle handle, std::uint32_t packed) {
    const unsigned char bytes[3] = {static_cast<unsigned char>(packed & 0xFF),
                                    static_cast<unsigned char>((packed >> 8) & 0xFF),
                                    static_cast<unsigned char>((packed >> 16) & 0xFF)};
    return send(handle, bytes, static_cast<size_t>(Short_Msg_Length(bytes[0])));
}

int RtMidiHost::outPrepareHeader(MidiHandle handle, const std::string&) {
    Port* p = port(handle);
    if (!p) return MidiResult::InvalidHandle;
    // The long message's own result goes unread, so trouble is told here.
    if (server_gone() || !p->out) return MidiResult::NotEnabled;
    if (watch_ && stalled(*p)) return MidiResult::NotReady;
    return MidiResult::Ok;
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
    retire(*it->second);
    ports_.erase(it);
    return MidiResult::Ok;
}

// What the program loads this module for.
extern "C" __attribute__((visibility("default"))) MidiHost* quorlen_create_midi_host() {
    return new RtMidiHost();
}
