// The settings file: each input is a settings file. What a start reads,
// the exit writes so that the next start reads the same again, and its exit
// then writes the same file.
#include "app/main_module.h"
#include "app/quorlen.h"
#include "app/recent.h"
#include "app/settings.h"
#include "fuzz_support.h"
#include "midi/midi_port.h"
#include <QAction>
#include <QRect>
#include <array>

namespace {
struct Settings_State {
    QRect window;
    Qt::WindowStates window_state;
    bool save_positions, preload;
    std::array<int, 6> positions;
    QString synth;
    std::uint8_t autoplay, autosend, soundcheck, note, velocity, channel;
    QString output, input;
    std::array<QString, 4> tones, sequences;
    QString dir_tones, dir_sequences, dir_oscillators;
    bool operator==(const Settings_State&) const = default;
};

// A folder that falls back to the current directory has no separator at its
// end until it is written; it is the same folder.
QString folder(const QString& dir) {
    return dir.endsWith('/') && dir.size() > 1 ? dir.chopped(1) : dir;
}

Settings_State state_now() {
    const Quorlen& m = Quorlen::get();
    // A minimized or maximized window's place is not its own: only the
    // normal window's place and size are kept from one start to the next.
    const bool normal = m.windowState() == Qt::WindowNoState;
    return {normal ? QRect(m.x(), m.y(), m.width(), m.height()) : QRect(),
            m.windowState(),
            m.Menu_Windows_SavePos->isChecked(),
            m.Menu_MIDI_Seq_Load->isChecked(),
            {FD_Left, FD_Top, Patch_Left, Patch_Top, Seq_Left, Seq_Top},
            Synth_Type,
            AutoPlay_On,
            AutoSend_On,
            Soundcheck_Mode,
            Soundcheck_Note,
            Soundcheck_Velocity,
            MIDI_Channel,
            MIDI_Out_Port.Dev_Name,
            MIDI_In_Port.Dev_Name,
            Recent_Tone,
            Recent_Seq,
            folder(Dir_Tones),
            folder(Dir_Sequences),
            folder(Dir_Oscillators)};
}

std::string describe(const Settings_State& s) {
    QString t = QString("window %1,%2 %3x%4 state %5 savepos %6 preload %7 positions")
                    .arg(s.window.x())
                    .arg(s.window.y())
                    .arg(s.window.width())
                    .arg(s.window.height())
                    .arg(int(s.window_state))
                    .arg(s.save_positions)
                    .arg(s.preload);
    for (int p : s.positions) t += " " + QString::number(p);
    t += QString(" synth [%1] autoplay %2 autosend %3 soundcheck %4 %5 %6 channel %7 out [%8] "
                 "in [%9]")
             .arg(s.synth)
             .arg(s.autoplay)
             .arg(s.autosend)
             .arg(s.soundcheck)
             .arg(s.note)
             .arg(s.velocity)
             .arg(s.channel)
             .arg(s.output, s.input);
    for (const QString& r : s.tones) t += " tone [" + r + "]";
    for (const QString& r : s.sequences) t += " seq [" + r + "]";
    t += " dirs [" + s.dir_tones + "] [" + s.dir_sequences + "] [" + s.dir_oscillators + "]";
    return t.toStdString();
}

// The file without the main window's place.
QByteArray without_place(const QByteArray& file) {
    QList<QByteArray> lines = file.split('\n');
    lines.removeIf(
        [](const QByteArray& l) { return l.startsWith("Left=") || l.startsWith("Top="); });
    return lines.join('\n');
}

// The values a start has before it reads the file, then the reading.
void start_reading() {
    Quorlen& m = Quorlen::get();
    m.setWindowState(Qt::WindowNoState);
    m.move(0, 0);
    m.resize(541, 508);
    m.Menu_Windows_SavePos->setChecked(false);
    m.Menu_MIDI_Seq_Load->setChecked(false);
    FD_Left = FD_Top = Patch_Left = Patch_Top = Seq_Left = Seq_Top = 0;
    Synth_Type = "JX-8P";
    AutoPlay_On = AutoSend_On = 1;
    Soundcheck_Mode = 0;
    Soundcheck_Note = 24;
    Soundcheck_Velocity = 80;
    MIDI_Channel = 1;
    MIDI_Out_Port = MIDI_Port{};
    MIDI_In_Port = MIDI_Port{};
    Recent_Tone.fill(QString());
    Recent_Seq.fill(QString());
    Dir_Tones.clear();
    Dir_Sequences.clear();
    Dir_Oscillators.clear();
    Settings_Loaded = false;
    MIDI_Init();
    Load_Settings();
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Fuzz_Setup();
    Fuzz_Start_Program();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray file(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    Fuzz_Write_File(INI_File, file);
    Fuzz_Boxes_Reset();

    start_reading();
    const Settings_State first = state_now();
    Save_Settings();
    const QByteArray saved = Fuzz_Read_File(INI_File);
    // The MIDI layer may ask for its setup; a save that fails must not happen.
    FUZZ_CHECK(!QString::fromStdString(Fuzz_Box_Texts()).contains("could not be saved"),
               Fuzz_Box_Texts());

    start_reading();
    const Settings_State second = state_now();
    FUZZ_CHECK(second == first, "first start " + describe(first) + "\n    next start  " +
                                    describe(second) + "\n    file " + saved.toStdString());
    Save_Settings();
    const QByteArray again = Fuzz_Read_File(INI_File);
    FUZZ_CHECK(again == saved || (first.window_state != Qt::WindowNoState &&
                                  without_place(again) == without_place(saved)),
               "first exit wrote\n" + saved.toStdString() + "\n    next exit wrote\n" +
                   again.toStdString());
    Fuzz_Input_Done();
    return 0;
}
