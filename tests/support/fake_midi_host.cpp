#include "support/fake_midi_host.h"
#include <algorithm>

int FakeMidiHost::next(Event::Kind kind) {
    auto& q = results[kind];
    if (q.empty()) return 0;
    const int r = q.front();
    q.pop_front();
    return r;
}

void FakeMidiHost::record(Event e) {
    events.push_back(e);
    if (on_event) on_event(e);
}

int FakeMidiHost::outOpen(int device, MidiHandle& handle) {
    const int r = next(Event::Open);
    record({Event::Open, -1, {}, device});
    if (r != 0) return r;
    handle = nextHandle_++;
    open_.push_back(handle);
    ++opened;
    return 0;
}

int FakeMidiHost::outShortMsg(MidiHandle handle, std::uint32_t packed) {
    const int r = next(Event::Short);
    const bool valid = std::find(open_.begin(), open_.end(), handle) != open_.end();
    std::string bytes{static_cast<char>(packed & 0xFF), static_cast<char>((packed >> 8) & 0xFF),
                      static_cast<char>((packed >> 16) & 0xFF)};
    record({Event::Short, handle, bytes});
    if (r != 0) return r;
    return valid ? 0 : MidiResult::InvalidHandle;
}

int FakeMidiHost::outPrepareHeader(MidiHandle handle, const std::string& bytes) {
    const int r = next(Event::Prepare);
    record({Event::Prepare, handle, bytes});
    if (r != 0) return r;
    return std::find(open_.begin(), open_.end(), handle) != open_.end() ? 0
                                                                        : MidiResult::InvalidHandle;
}

int FakeMidiHost::outLongMsg(MidiHandle handle, const std::string& bytes) {
    const int r = next(Event::Long);
    record({Event::Long, handle, bytes});
    if (r != 0) return r;
    return std::find(open_.begin(), open_.end(), handle) != open_.end() ? 0
                                                                        : MidiResult::InvalidHandle;
}

int FakeMidiHost::outUnprepareHeader(MidiHandle handle, const std::string& bytes) {
    const int r = next(Event::Unprepare);
    record({Event::Unprepare, handle, bytes});
    return r;
}

int FakeMidiHost::outClose(MidiHandle handle) {
    const int r = next(Event::Close);
    record({Event::Close, handle, {}});
    if (r != 0) return r;
    auto it = std::find(open_.begin(), open_.end(), handle);
    if (it == open_.end()) return MidiResult::InvalidHandle;
    open_.erase(it);
    --opened;
    return 0;
}

std::vector<std::string> FakeMidiHost::sent() const {
    std::vector<std::string> out;
    for (const Event& e : events) {
        if (e.kind == Event::Long)
            out.push_back(e.bytes);
        else if (e.kind == Event::Short)
            out.push_back(e.bytes.substr(
                0, static_cast<size_t>(Short_Msg_Length(static_cast<std::uint8_t>(e.bytes[0])))));
    }
    return out;
}

std::vector<std::string> FakeMidiHost::take_sent() {
    std::vector<std::string> out = sent();
    events.clear();
    return out;
}

int FakeMidiHost::count(Event::Kind kind) const {
    return static_cast<int>(std::count_if(events.begin(), events.end(),
                                          [kind](const Event& e) { return e.kind == kind; }));
}

FakeMidiHost& Install_Fake_Midi() {
    auto host = std::make_unique<FakeMidiHost>();
    FakeMidiHost& ref = *host;
    Set_Midi_Host(std::move(host));
    return ref;
}
