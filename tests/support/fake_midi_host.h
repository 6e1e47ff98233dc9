#pragma once
// A MIDI host that records what is sent and answers with scripted codes.
#include "platform/midi_host.h"
#include <QStringList>
#include <deque>
#include <functional>
#include <map>
#include <vector>

class FakeMidiHost : public MidiHost {
  public:
    struct Event {
        enum Kind { Open, Short, Prepare, Long, Unprepare, Close } kind;
        MidiHandle handle;
        std::string bytes; // short messages: status, data 1, data 2
        int device = 0;
    };

    QStringList outs{"Synth Out"}, ins{"Synth In"};
    std::vector<Event> events;
    // Result codes to give, call by call, per kind; an empty queue answers 0.
    std::map<Event::Kind, std::deque<int>> results;
    int opened = 0; // ports now open
    // Runs after each call is recorded: a test's way into a send's yield.
    std::function<void(const Event&)> on_event;

    int outCount() override { return static_cast<int>(outs.size()); }
    QString outName(int i) override { return outs.value(i); }
    int inCount() override { return static_cast<int>(ins.size()); }
    QString inName(int i) override { return ins.value(i); }
    int outOpen(int device, MidiHandle& handle) override;
    int outShortMsg(MidiHandle handle, std::uint32_t packed) override;
    int outPrepareHeader(MidiHandle handle, const std::string& bytes) override;
    int outLongMsg(MidiHandle handle, const std::string& bytes) override;
    int outUnprepareHeader(MidiHandle handle, const std::string& bytes) override;
    int outClose(MidiHandle handle) override;

    // What went out on the wire, in order: short messages and long ones.
    std::vector<std::string> sent() const;
    // What went out since the last take; the record starts afresh.
    std::vector<std::string> take_sent();
    int count(Event::Kind kind) const;

  private:
    int next(Event::Kind kind);
    void record(Event e);
    MidiHandle nextHandle_ = 100;
    std::vector<MidiHandle> open_;
};

// Installs a fresh fake as the program's MIDI host and returns it.
FakeMidiHost& Install_Fake_Midi();
