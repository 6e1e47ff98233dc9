#pragma once
// What the timing benchmarks share: a private JACK server with the dummy
// backend, a JACK MIDI input of our own that notes when messages arrive, the
// real MIDI host with the moment of each send noted on the way through, and
// the step statistics.
#include "platform/midi_host.h"
#include <QString>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

class JackServer;
class RtMidiHost;
class RtMidiIn;
class RtMidiOut;

namespace bench {

using Clock = std::chrono::steady_clock;
using Times = std::vector<Clock::time_point>;

double Ms_Since(Clock::time_point t0, Clock::time_point t);

// A jackd of our own: server "name", dummy backend at 48000 Hz with the given
// period. JACK_DEFAULT_SERVER is set to the name, so every client of this
// process (RtMidi included) finds it. Realtime where the system grants it, as
// a musician's server runs: a plain one on a busy machine is late by more
// than its period. Stopped by the destructor.
class Jack_Server {
  public:
    Jack_Server(const std::string& name, int period, bool realtime = true);
    ~Jack_Server();
    Jack_Server(const Jack_Server&) = delete;
    Jack_Server& operator=(const Jack_Server&) = delete;
    bool Running() const { return running_; }
    static double Period_Ms(int period) { return period * 1000.0 / 48000.0; }

  private:
    std::unique_ptr<JackServer> server_;
    bool running_ = false;
};

// Which messages count. Runs on the JACK thread.
using Message_Filter = std::function<bool(const std::vector<unsigned char>& message)>;

// The JACK MIDI input "<tag>-in:input" that notes when the kept messages
// arrive, and a source "<tag>-src:out" so the program finds an input device.
class Listener {
  public:
    Listener(const std::string& tag, Message_Filter keep);
    ~Listener();
    // Starts an empty record.
    void Reset();
    int Count() const;
    // The first at_most arrivals of the record.
    Times Arrivals(int at_most) const;
    // Cycles the server reported late (xruns) since the last Reset: a late
    // cycle can lose the MIDI events it carried.
    int Xruns() const;

    struct Record;

  private:
    std::unique_ptr<Record> record_;
    std::unique_ptr<RtMidiIn> in_;
    std::unique_ptr<RtMidiOut> source_;
    void* xrun_client_ = nullptr;
};

// The real host, with the moment of each kept send noted in Sends.
class Stamping_Host : public MidiHost {
  public:
    Stamping_Host(const std::string& client_name, std::function<bool(std::uint32_t)> keep_short,
                  bool keep_long);
    ~Stamping_Host() override;
    Times Sends;

    int outCount() override;
    QString outName(int i) override;
    int inCount() override;
    QString inName(int i) override;
    int outOpen(int device, MidiHandle& h) override;
    int outShortMsg(MidiHandle h, std::uint32_t packed) override;
    int outPrepareHeader(MidiHandle h, const std::string& b) override;
    int outLongMsg(MidiHandle h, const std::string& b) override;
    int outUnprepareHeader(MidiHandle h, const std::string& b) override;
    int outClose(MidiHandle h) override;

  private:
    std::unique_ptr<RtMidiHost> real_;
    std::function<bool(std::uint32_t)> keep_short_;
    bool keep_long_;
};

// A program folder whose settings send the program's output to the
// listener's input and take its input from the listener's source, with the
// display font of the build beside them.
bool Write_Settings(const QString& folder, const std::string& tag);

// A bare Qt precise timer at the same interval, ticking in a thread of its
// own while the program plays: what the machine gives a timer at that very
// moment, beside what the program's timer got. Raised as the program's
// thread is when raised is set.
class Reference_Timer {
  public:
    Reference_Timer(int interval_ms, bool raised);
    ~Reference_Timer();
    Reference_Timer(const Reference_Timer&) = delete;
    Reference_Timer& operator=(const Reference_Timer&) = delete;
    // Stops it; its ticks.
    Times Stop();

  private:
    struct Thread;
    std::unique_ptr<Thread> thread_;
};

// Runs the event loop for ms milliseconds.
void Wait_Ms(int ms);
// Runs the event loop until done() answers true (asked every 5 ms), then
// calls stop() and runs it tail_ms longer so the last messages arrive.
void Run_Until(const std::function<bool()>& done, const std::function<void()>& stop, int tail_ms);

struct Figures {
    double mean = 0;  // mean interval, ms
    double p99 = 0;   // 99th percentile of |interval - set|, ms
    double worst = 0; // largest |interval - set|, ms
    double drift = 0; // (last - first) - set x steps between them, ms
    int intervals = 0;
    int lost = 0; // messages that never arrived, seen as a gap of two steps or more
};

// Intervals between consecutive times against the set step time. With
// gaps_lost, an interval of two steps or more is a lost message and left out.
Figures Measure(const Times& times, double step_ms, bool gaps_lost);

// The targets, judged run by run: at the program's timer the mean step within
// 0.1 ms of the interval and p99 of the deviation at most 2 ms; at the JACK
// input the mean within 0.5 ms and p99 at most one and a half server periods
// (the server delivers on period boundaries), none lost. A run in which the
// bare Qt timer beside the program missed the timer's target judges nothing:
// the machine, not the program, was late then.
class Step_Verdicts {
  public:
    Step_Verdicts(std::string what, double period_ms)
        : what_(std::move(what)), period_(period_ms) {}
    void Add(double step_ms, const Figures& sending, const Figures& arrival,
             const Figures& bare_timer, int lost);
    void Print() const;

  private:
    struct Side {
        double mean = 0, p99 = 0; // the worst over the runs
        int missed = 0, unjudged = 0;
        void add(double mean_dev, double p99_dev, bool ok, bool busy);
    };
    void print(const std::string& where, const std::string& target, const Side& side,
               const std::string& extra) const;
    std::string what_;
    double period_;
    Side sending_, arrival_;
    int lost_ = 0, runs_ = 0;
};

// Puts the calling thread above every ordinary process of the machine
// (realtime, lowest priority, below the JACK server's threads): what is
// measured is then the program's timer and the work of its ticks, not the
// other work of a shared machine. Threads made later keep ordinary
// scheduling. False where the system refuses it.
bool Raise_Priority();

// Says nothing more about a server that went away: the clients of a
// benchmark outlive its server at the end.
void Quiet_Jack_Errors();

} // namespace bench
