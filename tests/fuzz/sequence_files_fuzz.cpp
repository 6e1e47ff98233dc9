// Sequence files: each input is a file, loaded as an open and as a preview. A load takes the whole
// file or changes nothing; a loaded sequence saves, and the saved file loads back to the same
// sequence and saves to the same bytes.
#include "app/main_module.h"
#include "fuzz_support.h"
#include "sequencer/playback.h"
#include "sequencer/sequence.h"
#include "sequencer/sequencer.h"
#include "support/fake_midi_host.h"
#include <cctype>

namespace {
struct Seq_State {
    Seq_Grid grid;
    std::int16_t bpm;
    std::uint8_t base;
    bool operator==(const Seq_State&) const = default;
};

Seq_State state_now() {
    return {Seq_Data, Seq_BPM, Seq_Base_Note};
}

std::string describe(const Seq_State& s) {
    return "tempo " + std::to_string(s.bpm) + " base " + std::to_string(s.base) + " cells " +
           Fuzz_Hex(QByteArray(reinterpret_cast<const char*>(s.grid.data()), 104));
}

// A state no file gives (tempo 0), so a load that takes nothing shows.
void mark_state() {
    Seq_Data.fill(0x5A);
    Seq_BPM = 0;
    Seq_Base_Note = 0xA5;
    Seq_Loaded = 0;
}

bool good_magic(const QByteArray& b) {
    return b.size() >= 3 && std::toupper(static_cast<unsigned char>(b[0])) == 'S' &&
           std::toupper(static_cast<unsigned char>(b[1])) == 'E' &&
           std::toupper(static_cast<unsigned char>(b[2])) == 'Q';
}

void round_trip(const std::string& where) {
    const Seq_State loaded = state_now();
    const QString out = Fuzz_Path("OUT.SEQ");
    Fuzz_Boxes_Reset();
    FUZZ_CHECK(Save_SEQ(out) && Fuzz_Boxes().calls.empty(),
               where + "saving failed: " + Fuzz_Box_Texts());
    const QByteArray image = Fuzz_Read_File(out);
    FUZZ_CHECK(image.size() == Seq_File_Size && image.startsWith("SEQ1"),
               where + "saved " + Fuzz_Hex(image));

    mark_state();
    Load_SEQ(out, "Soundcheck");
    const Seq_State back = state_now();
    FUZZ_CHECK(Seq_Loaded == 255 && back == loaded,
               where + "loaded " + describe(loaded) + "\n    reloaded " + describe(back));
    FUZZ_CHECK(Save_SEQ(out) && Fuzz_Read_File(out) == image, where + "saved again " +
                                                                  Fuzz_Hex(Fuzz_Read_File(out)) +
                                                                  "\n    first " + Fuzz_Hex(image));
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Fuzz_Setup();
    Fuzz_Start_Program("[Recent Files]\r\nSequences=" + Fuzz_Folder().toUtf8() + "/\r\n");
    // The sequencer window stays open, as every save leaves it: an open load
    // sets its tempo, range and caption too.
    Sequencer::get();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString in = Fuzz_Path("IN.SEQ");
    Fuzz_Write_File(in, bytes);
    const std::uint32_t h = Fuzz_Hash(data, size);
    const bool accepted = size >= Seq_File_Size && good_magic(bytes);
    for (const char* mode : {(h & 1) ? "OPEN" : "Open", "Soundcheck"}) {
        const bool open = QString(mode).compare("Open", Qt::CaseInsensitive) == 0;
        const std::string where = std::string(mode) + ": ";
        Seq_File.clear();
        FD_Done = 0;
        Fuzz_Midi().events.clear();
        mark_state();
        const Seq_State before = state_now();
        Fuzz_Boxes_Reset();
        Load_SEQ(in, mode);

        FUZZ_CHECK((Seq_Loaded == 255) == accepted,
                   where + "accepted " + std::to_string(Seq_Loaded == 255) + ": " +
                       Fuzz_Hex(bytes.left(8)) + ", " + std::to_string(size) + " bytes");
        FUZZ_CHECK(!open || (FD_Done == 255) == accepted, where + "FD_Done");
        FUZZ_CHECK(!open || (Seq_File == in) == accepted, where + "Seq_File");
        FUZZ_CHECK(Fuzz_Boxes().calls.size() == (open && !accepted ? 1u : 0u),
                   where + "boxes " + Fuzz_Box_Texts());
        if (!accepted) {
            FUZZ_CHECK(state_now() == before,
                       where + "a refused file changed " + describe(state_now()));
            continue;
        }
        const Seq_State loaded = state_now();
        // Cells are kept as they are, whatever their value; the tempo is one
        // the step timer can play.
        FUZZ_CHECK(std::equal(loaded.grid.begin(), loaded.grid.end(), data + 6),
                   where + "cells " + describe(loaded));
        FUZZ_CHECK(loaded.bpm >= 1 && loaded.bpm <= 120, where + describe(loaded));
        round_trip(where);
    }
    Fuzz_Input_Done();
    return 0;
}
