// Speed of what the user feels most: the JX-8P editor's whole-tone redraw and
// fader drag, tone files loaded and saved, the settings saved at exit, and the
// file dialog on a big folder.
// The editors run on screen (offscreen platform); MIDI goes to a host that only
// counts, so the figures are the program's own.
#include "app/main_module.h"
#include "app/quorlen.h"
#include "app/settings.h"
#include "dialogs/file_dlg.h"
#include "editors/editor.h"
#include "instrument/instrument.h"
#include "median_reporter.h"
#include "midi/midi_port.h"
#include "midi/sysex.h"
#include "midi/tone_files.h"
#include "platform/application.h"
#include "platform/host.h"
#include "platform/midi_host.h"
#include "platform/msgbox.h"
#include "verdict.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {
// A MIDI host that answers every call with success and counts the messages.
class Counting_Host : public MidiHost {
  public:
    long long shorts = 0, longs = 0;
    int outCount() override { return 1; }
    QString outName(int) override { return "Counter Out"; }
    int inCount() override { return 1; }
    QString inName(int) override { return "Counter In"; }
    int outOpen(int, MidiHandle& h) override {
        h = 1;
        return 0;
    }
    int outShortMsg(MidiHandle, std::uint32_t) override {
        ++shorts;
        return 0;
    }
    int outPrepareHeader(MidiHandle, const std::string&) override { return 0; }
    int outLongMsg(MidiHandle, const std::string&) override {
        ++longs;
        return 0;
    }
    int outUnprepareHeader(MidiHandle, const std::string&) override { return 0; }
    int outClose(MidiHandle) override { return 0; }
};

Counting_Host* g_host = nullptr;
QTemporaryDir* g_dir = nullptr;

// Two tones that differ in every control: each byte of the second lies 64
// away from the first, which moves every fader, lever band, toggle and knob.
JX8P_Tone_Params tone_a() {
    JX8P_Tone_Params t{};
    const char* name = "BRASS ONE ";
    for (int i = 0; i < 10; ++i) t[i] = static_cast<std::uint8_t>(name[i]);
    for (size_t i = 10; i < t.size(); ++i) t[i] = static_cast<std::uint8_t>((i * 37 + 5) % 64);
    return t;
}
JX8P_Tone_Params tone_b() {
    JX8P_Tone_Params t = tone_a();
    const char* name = "SOFT PAD 2";
    for (int i = 0; i < 10; ++i) t[i] = static_cast<std::uint8_t>(name[i]);
    for (size_t i = 10; i < t.size(); ++i) t[i] = static_cast<std::uint8_t>(t[i] + 64);
    return t;
}

// The file image of a tone, as a save writes it.
QByteArray image_of(const JX8P_Tone_Params& tone) {
    Tone_Data = tone;
    const int n = Tone_To_SysEx();
    return QByteArray(reinterpret_cast<const char*>(SysEx_Buf.data()), n);
}

void write_file(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) std::abort();
}

// The whole tone onto the editor: 44 controls and 3 knob pointers move.
void BM_Editor_Redraw(benchmark::State& state) {
    const JX8P_Tone_Params a = tone_a(), b = tone_b();
    bool flip = false;
    for (auto _ : state) {
        Tone_Data = flip ? a : b;
        flip = !flip;
        Editor_Redraw();
        benchmark::DoNotOptimize(Tone_Name_Text);
    }
}
BENCHMARK(BM_Editor_Redraw)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();

// The same, with the event loop then painting what moved, as the user sees it.
void BM_Editor_Redraw_Painted(benchmark::State& state) {
    const JX8P_Tone_Params a = tone_a(), b = tone_b();
    bool flip = false;
    for (auto _ : state) {
        Tone_Data = flip ? a : b;
        flip = !flip;
        Editor_Redraw();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_Editor_Redraw_Painted)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

// One fader dragged up and down by 1000 mouse moves with the button held. Each
// step stores the byte, shows it on the cap and the name display and sends it.
void BM_Fader_Drag(benchmark::State& state) {
    constexpr int Steps = 1000;
    Editor& ed = Editor::get();
    Pic_Control* fader = ed.VCF_CutoffF;
    Tone_Data = tone_a();
    Tone_Data[34] = 64;
    Editor_Redraw();
    const QPointF down(5, 5);
    QMouseEvent press(QEvent::MouseButtonPress, down, fader->mapToGlobal(down), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(fader, &press);
    QCoreApplication::processEvents();
    const long long sent_before = g_host->longs;
    for (auto _ : state) {
        for (int i = 0; i < Steps; ++i) {
            // Up by 5, then down by 5: the byte changes on every step.
            const QPointF at(5, (i & 1) ? 5 : -5);
            QMouseEvent move(QEvent::MouseMove, at, fader->mapToGlobal(at), Qt::NoButton,
                             Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(fader, &move);
        }
    }
    const long long sent = g_host->longs - sent_before;
    QMouseEvent release(QEvent::MouseButtonRelease, down, fader->mapToGlobal(down), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(fader, &release);
    if (sent != static_cast<long long>(state.iterations()) * Steps)
        state.SkipWithError("not every step was sent");
    state.counters["per_step"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * Steps,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Fader_Drag)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

// Opening a tone file: read, scan and redraw; with auto-send on (argument 1)
// also the tone sent, whose port layer lets the editor paint meanwhile.
void BM_Load_SYX(benchmark::State& state) {
    const QString a = g_dir->filePath("a.syx"), b = g_dir->filePath("b.syx");
    write_file(a, image_of(tone_a()));
    write_file(b, image_of(tone_b()));
    AutoSend_On = static_cast<std::uint8_t>(state.range(0));
    bool flip = false;
    for (auto _ : state) {
        Load_SYX(flip ? a : b, "Open");
        flip = !flip;
        if (SYX_Tone_Found != 255) state.SkipWithError("no tone loaded");
    }
    AutoSend_On = 1;
}
BENCHMARK(BM_Load_SYX)
    ->ArgName("autosend")
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

// Saving the tone over the file it came from, as File > Save does.
void BM_Save_SYX(benchmark::State& state) {
    const QString path = g_dir->filePath("saved.syx");
    Tone_Data = tone_a();
    Editor_Redraw();
    for (auto _ : state) {
        Save_SYX(path);
        if (!Tone_Saved) state.SkipWithError("not saved");
    }
}
BENCHMARK(BM_Save_SYX)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();

// Leaving the program: every setting written into a settings file of the
// given size in megabytes, most of it sections of other programs.
void BM_Save_Settings(benchmark::State& state) {
    const QString ini = g_dir->filePath("Quorlen.INI");
    QByteArray text = "[MIDI]\r\nOutput=Counter Out\r\nInput=Counter In\r\n";
    for (int s = 0; text.size() < (state.range(0) << 20); ++s) {
        text += "[Other " + QByteArray::number(s) + "]\r\n";
        for (int k = 0; k < 40; ++k)
            text += "Key " + QByteArray::number(k) + "=a value of another program\r\n";
    }
    write_file(ini, text);
    for (auto _ : state) Save_Settings();
    if (QFileInfo(ini).size() < text.size()) state.SkipWithError("the file lost lines");
    write_file(ini, "[MIDI]\nOutput=Counter Out\nInput=Counter In\n");
}
BENCHMARK(BM_Save_Settings)
    ->ArgName("MB")
    ->Arg(0)
    ->Arg(50)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly();

// A folder of 10,000 tone files, names in no particular order on disk.
QString big_folder() {
    static QString path;
    if (!path.isEmpty()) return path;
    path = g_dir->filePath("big");
    QDir().mkpath(path + "/sub");
    const QByteArray a = image_of(tone_a()), b = image_of(tone_b());
    for (int i = 0; i < 10000; ++i) {
        const unsigned h = (static_cast<unsigned>(i) * 2654435761u) % 100000u;
        write_file(path + QString("/Tone %1 %2.syx").arg(h, 5, 10, QChar('0')).arg(i),
                   (i & 1) ? a : b);
    }
    return path;
}

void close_dialog() {
    if (!File_Dlg::loaded()) return;
    File_Dlg::get().Form_Unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

// File > Open on the big folder: the dialog made, listed, shown and painted.
// Argument 0: the folder is the one kept from the last time; 1: the program
// was started in it and no folder is kept.
void BM_File_Dlg_Open(benchmark::State& state) {
    const QString folder = big_folder();
    const bool started_there = state.range(0) == 1;
    if (started_there) QDir::setCurrent(folder);
    for (auto _ : state) {
        Dir_Tones = started_there ? QString() : folder;
        FD_Mode = "Open_SYX";
        File_Dlg::get().Form_Show();
        QCoreApplication::processEvents();
        state.PauseTiming();
        if (File_Dlg::get().FD_List_Files->count() != 10000)
            state.SkipWithError("the folder is not listed");
        close_dialog();
        state.ResumeTiming();
    }
    QDir::setCurrent(g_dir->path());
}
BENCHMARK(BM_File_Dlg_Open)
    ->ArgName("started_there")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

// A click on a file in the big folder: the preview loads the tone into the
// editor (two files in turn, so it really changes) and the dialog repaints.
void BM_File_Dlg_Click(benchmark::State& state) {
    const QString folder = big_folder();
    Dir_Tones = folder;
    FD_Mode = "Open_SYX";
    File_Dlg& d = File_Dlg::get();
    d.Form_Show();
    QCoreApplication::processEvents();
    QListWidget* list = d.FD_List_Files;
    const QPoint first = list->visualItemRect(list->item(0)).center();
    const QPoint second = list->visualItemRect(list->item(1)).center();
    bool flip = false;
    for (auto _ : state) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, flip ? first : second);
        flip = !flip;
        QCoreApplication::processEvents();
        if (SYX_Tone_Found != 255) state.SkipWithError("the preview loaded no tone");
    }
    close_dialog();
}
BENCHMARK(BM_File_Dlg_Click)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // The offscreen platform warns on every raise of a window: noise in the table.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) {
        if (!text.contains("does not support")) fprintf(stderr, "%s\n", qPrintable(text));
    });
    Quorlen_Application app(argc, argv);
    Set_MsgBox_Handler([](const MsgBoxCall&) { return static_cast<int>(Mb::Ok); });
    QTemporaryDir dir;
    g_dir = &dir;
    // A program folder of its own, with the counting host configured.
    Set_Program_Folder(dir.path());
    write_file(dir.filePath("Quorlen.INI"), "[MIDI]\nOutput=Counter Out\nInput=Counter In\n");
    auto host = std::make_unique<Counting_Host>();
    g_host = host.get();
    Set_Midi_Host(std::move(host));
    QDir::setCurrent(dir.path());

    Quorlen& main = Quorlen::get();
    main.show();
    Synth_Type = "JX-8P";
    Set_Synth();
    QCoreApplication::processEvents();
    if (MIDI_Enabled != 1 || AutoSend_On != 1) {
        fprintf(stderr, "MIDI to the counting host is not enabled\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    bench::Median_Reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const double save_ms = reporter.Median("BM_Save_Settings/MB:50");
    bench::Verdict("settings save with a 50 MB file", "<= 0.50 s (median of 3)",
                   save_ms > 0 ? bench::Fmt("%.3f s", save_ms / 1000)
                               : "no figure (the run failed)",
                   save_ms > 0 && save_ms <= 500);
    close_dialog();
    Tone_Saved = true;
    Seq_Saved = 255;
    return 0;
}
