#pragma once
// A stand-in synthesizer on the suite's JACK server: an input port that
// records every MIDI event with its frame time, and an output port so that
// the program finds an input device too.
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <jack/jack.h>
#include <jack/midiport.h>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace acc {

struct Midi_Event {
    std::uint64_t frame = 0; // frames since the server started
    std::vector<unsigned char> bytes;
};

class Recorder {
  public:
    Recorder() : events_(new Slot[Capacity]) {}
    ~Recorder() {
        if (client_) jack_client_close(client_);
    }
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    bool Open(std::string& why) {
        const char* env = std::getenv("JACK_DEFAULT_SERVER");
        server_ = env && *env ? env : "default";
        name_ = "qacc" + std::to_string(getpid());
        jack_status_t status;
        const auto options = static_cast<jack_options_t>(JackNoStartServer | JackServerName);
        client_ = jack_client_open(name_.c_str(), options, &status, server_.c_str());
        if (!client_) {
            why = "the JACK server " + server_ + " is not running";
            return false;
        }
        name_ = jack_get_client_name(client_);
        in_ = jack_port_register(client_, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
        out_ = jack_port_register(client_, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
        rate_ = jack_get_sample_rate(client_);
        jack_set_process_callback(client_, &Recorder::Process, this);
        jack_set_xrun_callback(
            client_,
            [](void* arg) {
                static_cast<Recorder*>(arg)->xruns_.fetch_add(1);
                return 0;
            },
            this);
        if (!in_ || !out_ || jack_activate(client_) != 0) {
            why = "the recording client could not join the JACK server " + server_;
            return false;
        }
        return true;
    }

    std::string In_Port() const { return name_ + ":in"; }
    std::string Out_Port() const { return name_ + ":out"; }
    const std::string& Server() const { return server_; }
    double Frames_Per_Ms() const { return rate_ / 1000.0; }

    size_t Count() const { return count_.load(std::memory_order_acquire); }
    // Cycles some client did not finish in time: their events may be lost.
    int Xruns() const { return xruns_.load(); }
    std::vector<Midi_Event> Since(size_t mark) const {
        std::vector<Midi_Event> out;
        const size_t n = Count();
        for (size_t i = mark; i < n && i < Capacity; ++i) {
            const Slot& s = events_[i];
            out.push_back({s.frame, std::vector<unsigned char>(s.data, s.data + s.size)});
        }
        return out;
    }

  private:
    static constexpr size_t Capacity = 1 << 15;
    static constexpr size_t Max_Size = 128;
    struct Slot {
        std::uint64_t frame;
        std::uint32_t size;
        unsigned char data[Max_Size];
    };

    static int Process(jack_nframes_t frames, void* arg) {
        auto* self = static_cast<Recorder*>(arg);
        jack_midi_clear_buffer(jack_port_get_buffer(self->out_, frames));
        void* buf = jack_port_get_buffer(self->in_, frames);
        const jack_nframes_t start = jack_last_frame_time(self->client_);
        if (start < self->lastStart_) self->wraps_ += std::uint64_t{1} << 32;
        self->lastStart_ = start;
        const std::uint32_t n = jack_midi_get_event_count(buf);
        for (std::uint32_t i = 0; i < n; ++i) {
            jack_midi_event_t ev;
            if (jack_midi_event_get(&ev, buf, i) != 0) continue;
            const size_t at = self->count_.load(std::memory_order_relaxed);
            if (at >= Capacity) return 0;
            Slot& s = self->events_[at];
            s.frame = self->wraps_ + start + ev.time;
            s.size = static_cast<std::uint32_t>(ev.size < Max_Size ? ev.size : Max_Size);
            std::memcpy(s.data, ev.buffer, s.size);
            self->count_.store(at + 1, std::memory_order_release);
        }
        return 0;
    }

    std::unique_ptr<Slot[]> events_;
    std::atomic<size_t> count_{0};
    std::atomic<int> xruns_{0};
    jack_client_t* client_ = nullptr;
    jack_port_t* in_ = nullptr;
    jack_port_t* out_ = nullptr;
    jack_nframes_t rate_ = 48000;
    jack_nframes_t lastStart_ = 0;
    std::uint64_t wraps_ = 0;
    std::string server_, name_;
};

} // namespace acc
