#pragma once
// MIDI over RtMidi: the ALSA sequencer when it can be opened, else a running JACK server.
#include "platform/midi_host.h"
#include <RtMidi.h>
#include <map>
#include <memory>
#include <vector>

class RtMidiHost : public MidiHost {
  public:
    // clientName names us in the MIDI system; the default destination
    // (device -1) is a port of that name others can connect to.
    explicit RtMidiHost(const std::string& clientName = "Quorlen");
    ~RtMidiHost() override;

    int outCount() override;
    QString outName(int index) override;
    int inCount() override;
    QString inName(int index) override;
    int outOpen(int device, MidiHandle& handle) override;
    int outShortMsg(MidiHandle handle, std::uint32_t packed) override;
    int outPrepareHeader(MidiHandle handle, const std::string& bytes) override;
    int outLongMsg(MidiHandle handle, const std::string& bytes) override;
    int outUnprepareHeader(MidiHandle handle, const std::string& bytes) override;
    int outClose(MidiHandle handle) override;

    RtMidi::Api api() const { return api_; }

  private:
    struct Port;
    int send(MidiHandle handle, const unsigned char* data, size_t size);
    Port* port(MidiHandle handle);

    std::string clientName_;
    RtMidi::Api api_ = RtMidi::UNSPECIFIED;
    std::vector<QString> outNames_, inNames_;
    int reserve(Port& p, size_t size);
    bool server_gone() const;
    bool stalled(Port& p) const;
    bool await_cycles(std::uint64_t from) const;
    void forget_sent(Port& p) const;
    bool drained(Port& p) const;
    void retire(Port& p);
    void open_jack();
    struct Watch;
    std::unique_ptr<Watch> join(bool listPorts);
    bool rejoin();

    std::map<MidiHandle, std::unique_ptr<Port>> ports_;
    std::vector<std::unique_ptr<RtMidiOut>> spare_; // closed outputs, kept for the next open
    MidiHandle nextHandle_ = 1;
    // A JACK client of our own that hears the server go away and counts its cycles.
    std::unique_ptr<Watch> watch_;
};
