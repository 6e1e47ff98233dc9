#include "jack_bench_support.h"
#include "jack_server.h"
#include "platform/rtmidi_host.h"
#include "verdict.h"
#include <QEventLoop>
#include <QFile>
#include <QThread>
#include <QTimer>
#include <RtMidi.h>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <jack/jack.h>
#include <sched.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace bench {

double Ms_Since(Clock::time_point t0, Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(t - t0).count();
}

// ---- JACK server -------------------------------------------------------------

Jack_Server::Jack_Server(const std::string& name, int period, bool realtime)
    : server_(std::make_unique<JackServer>(name, period, realtime)) {
    running_ = server_->start();
    if (running_) setenv("JACK_DEFAULT_SERVER", name.c_str(), 1);
}

Jack_Server::~Jack_Server() = default;

// ---- Listener ----------------------------------------------------------------

// Arrival times, written by the JACK thread, read after each run.
struct Listener::Record {
    static constexpr int Capacity = 4096;
    Times at = Times(Capacity);
    std::atomic<int> count{0};
    std::atomic<int> xruns{0};
    Message_Filter keep;
};

namespace {
void on_midi(double, std::vector<unsigned char>* message, void* user) {
    auto* r = static_cast<Listener::Record*>(user);
    const Clock::time_point now = Clock::now();
    if (!message || message->empty() || !r->keep(*message)) return;
    const int i = r->count.load(std::memory_order_relaxed);
    if (i >= Listener::Record::Capacity) return;
    r->at[i] = now;
    r->count.store(i + 1, std::memory_order_release);
}

int on_xrun(void* user) {
    static_cast<Listener::Record*>(user)->xruns.fetch_add(1);
    return 0;
}
} // namespace

Listener::Listener(const std::string& tag, Message_Filter keep)
    : record_(std::make_unique<Record>()) {
    record_->keep = std::move(keep);
    in_ = std::make_unique<RtMidiIn>(RtMidi::UNIX_JACK, tag + "-in");
    in_->ignoreTypes(false, false, false);
    in_->setCallback(on_midi, record_.get());
    in_->openVirtualPort("input");
    source_ = std::make_unique<RtMidiOut>(RtMidi::UNIX_JACK, tag + "-src");
    source_->openVirtualPort("out");
    if (jack_client_t* c = jack_client_open((tag + "-xrun").c_str(), JackNoStartServer, nullptr)) {
        jack_set_xrun_callback(c, on_xrun, record_.get());
        jack_activate(c);
        xrun_client_ = c;
    }
}

Listener::~Listener() {
    if (xrun_client_) jack_client_close(static_cast<jack_client_t*>(xrun_client_));
    in_->closePort();
    in_->cancelCallback();
}

void Listener::Reset() {
    record_->count.store(0);
    record_->xruns.store(0);
}

int Listener::Xruns() const {
    return xrun_client_ ? record_->xruns.load() : -1;
}

int Listener::Count() const {
    return record_->count.load(std::memory_order_acquire);
}

Times Listener::Arrivals(int at_most) const {
    const int n = std::min(Count(), at_most);
    return Times(record_->at.begin(), record_->at.begin() + n);
}

// ---- Stamping host -----------------------------------------------------------

Stamping_Host::Stamping_Host(const std::string& client_name,
                             std::function<bool(std::uint32_t)> keep_short, bool keep_long)
    : real_(std::make_unique<RtMidiHost>(client_name)), keep_short_(std::move(keep_short)),
      keep_long_(keep_long) {
    Sends.reserve(4096);
}

Stamping_Host::~Stamping_Host() = default;

int Stamping_Host::outCount() {
    return real_->outCount();
}
QString Stamping_Host::outName(int i) {
    return real_->outName(i);
}
int Stamping_Host::inCount() {
    return real_->inCount();
}
QString Stamping_Host::inName(int i) {
    return real_->inName(i);
}
int Stamping_Host::outOpen(int device, MidiHandle& h) {
    return real_->outOpen(device, h);
}
int Stamping_Host::outShortMsg(MidiHandle h, std::uint32_t packed) {
    if (keep_short_(packed)) Sends.push_back(Clock::now());
    return real_->outShortMsg(h, packed);
}
int Stamping_Host::outPrepareHeader(MidiHandle h, const std::string& b) {
    return real_->outPrepareHeader(h, b);
}
int Stamping_Host::outLongMsg(MidiHandle h, const std::string& b) {
    if (keep_long_) Sends.push_back(Clock::now());
    return real_->outLongMsg(h, b);
}
int Stamping_Host::outUnprepareHeader(MidiHandle h, const std::string& b) {
    return real_->outUnprepareHeader(h, b);
}
int Stamping_Host::outClose(MidiHandle h) {
    return real_->outClose(h);
}
// ---- Program set-up and runs -------------------------------------------------

bool Write_Settings(const QString& folder, const std::string& tag) {
    QFile::copy(QUORLEN_FOLDER "/JX8P.FNT", folder + "/JX8P.FNT");
    QFile ini(folder + "/Quorlen.INI");
    if (!ini.open(QIODevice::WriteOnly)) return false;
    const QString t = QString::fromStdString(tag);
    return ini.write(
               QString("[MIDI]\nOutput=%1-in:input\nInput=%1-src:out\nChannel=1\nAutosend=1\n")
                   .arg(t)
                   .toUtf8()) > 0;
}

void Wait_Ms(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void Run_Until(const std::function<bool()>& done, const std::function<void()>& stop, int tail_ms) {
    QEventLoop loop;
    QTimer watch;
    watch.setTimerType(Qt::PreciseTimer);
    QObject::connect(&watch, &QTimer::timeout, &loop, [&] {
        if (!done()) return;
        watch.stop();
        stop();
        QTimer::singleShot(tail_ms, &loop, &QEventLoop::quit);
    });
    watch.start(5);
    loop.exec();
}

// ---- Reference timer ---------------------------------------------------------

struct Reference_Timer::Thread : QThread {
    int interval = 0;
    bool raised = false;
    Times ticks;
    void run() override {
        if (raised) Raise_Priority();
        QTimer timer;
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, [this] { ticks.push_back(Clock::now()); });
        timer.start(interval);
        exec();
    }
};

Reference_Timer::Reference_Timer(int interval_ms, bool raised)
    : thread_(std::make_unique<Thread>()) {
    thread_->interval = interval_ms;
    thread_->raised = raised;
    thread_->ticks.reserve(8192);
    thread_->start();
}

Reference_Timer::~Reference_Timer() {
    Stop();
}

Times Reference_Timer::Stop() {
    thread_->quit();
    thread_->wait();
    return thread_->ticks;
}

// ---- Statistics --------------------------------------------------------------

Figures Measure(const Times& times, double step_ms, bool gaps_lost) {
    Figures f;
    std::vector<double> dev;
    double sum = 0;
    int steps = 0;
    for (size_t i = 1; i < times.size(); ++i) {
        const double d = Ms_Since(times[i - 1], times[i]);
        if (gaps_lost && d > 1.5 * step_ms) {
            const int n = static_cast<int>(std::lround(d / step_ms));
            f.lost += n - 1;
            steps += n;
            continue;
        }
        ++steps;
        sum += d;
        dev.push_back(std::abs(d - step_ms));
    }
    if (dev.empty()) return f;
    f.intervals = static_cast<int>(dev.size());
    f.mean = sum / static_cast<double>(dev.size());
    f.drift = Ms_Since(times.front(), times.back()) - step_ms * steps;
    std::sort(dev.begin(), dev.end());
    const size_t k = static_cast<size_t>(std::ceil(0.99 * static_cast<double>(dev.size()))) - 1;
    f.p99 = dev[std::min(k, dev.size() - 1)];
    f.worst = dev.back();
    return f;
}

void Step_Verdicts::Side::add(double mean_dev, double p99_dev, bool ok, bool busy) {
    if (std::abs(mean_dev) > std::abs(mean)) mean = mean_dev;
    p99 = std::max(p99, p99_dev);
    if (!ok) ++(busy ? unjudged : missed);
}

void Step_Verdicts::Add(double step_ms, const Figures& sending, const Figures& arrival,
                        const Figures& bare_timer, int lost) {
    const bool busy = bare_timer.p99 > 2.0;
    const double sm = sending.mean - step_ms, am = arrival.mean - step_ms;
    sending_.add(sm, sending.p99, std::abs(sm) <= 0.1 && sending.p99 <= 2.0, busy);
    arrival_.add(am, arrival.p99, std::abs(am) <= 0.5 && arrival.p99 <= 1.5 * period_ && lost == 0,
                 busy);
    lost_ += lost;
    ++runs_;
}

void Step_Verdicts::print(const std::string& where, const std::string& target, const Side& side,
                          const std::string& extra) const {
    const std::string worst = runs_ > 1 ? Fmt(", worst of %d", runs_) : std::string();
    const std::string outcome =
        runs_ == 0    ? "NOT met (no run)"
        : side.missed ? "NOT met"
        : side.unjudged
            ? Fmt("not judged (%d of %d runs: the bare Qt timer missed too)", side.unjudged, runs_)
            : "met";
    Verdict_Line(
        what_ + " steps at the " + where, target,
        Fmt("mean %+.3f, p99 %.2f ms%s%s", side.mean, side.p99, extra.c_str(), worst.c_str()),
        outcome);
}

void Step_Verdicts::Print() const {
    print("program's timer", "mean +-0.10 ms, p99 <= 2.00 ms", sending_, "");
    print("JACK input", Fmt("mean +-0.50 ms, p99 <= %.2f ms, 0 lost", 1.5 * period_), arrival_,
          Fmt(", %d lost", lost_));
}

bool Raise_Priority() {
    sched_param p{};
    p.sched_priority = 1;
    // Threads and programs started from here keep ordinary scheduling.
    return sched_setscheduler(0, SCHED_FIFO | SCHED_RESET_ON_FORK, &p) == 0;
}

namespace {
void say_nothing(const char*) {}
} // namespace

void Quiet_Jack_Errors() {
    jack_set_error_function(say_nothing);
    jack_set_info_function(say_nothing);
}

} // namespace bench
