// The whole-tone redraw of the Alpha Juno editor, with the editor on screen.
#include "app/quorlen.h"
#include "editors/editor_juno.h"
#include "instrument/instrument.h"
#include "midi/midi_port.h"
#include "midi/sysex.h"
#include "platform/application.h"
#include "platform/msgbox.h"
#include <benchmark/benchmark.h>
#include <cstdlib>

static void BM_Juno_Editor_Redraw(benchmark::State& state) {
    // Two tones in turn, so every cap really moves on every redraw.
    Juno_Tone_Params a{}, b{};
    for (int i = 0; i < 36; ++i) {
        a[i] = static_cast<std::uint8_t>((i * 37 + 11) % 4);
        b[i] = static_cast<std::uint8_t>((i * 53 + 7) % 128 % 4 + (i >= 11 && i <= 34 ? 90 : 0));
    }
    for (int i = 36; i < 46; ++i) a[i] = b[i] = static_cast<std::uint8_t>(i - 30);
    bool flip = false;
    for (auto _ : state) {
        Juno_Tone = flip ? a : b;
        flip = !flip;
        Juno_Editor_Redraw();
        benchmark::DoNotOptimize(Tone_Name_Text);
    }
}
BENCHMARK(BM_Juno_Editor_Redraw)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    Quorlen_Application app(argc, argv);
    Set_MsgBox_Handler([](const MsgBoxCall&) { return static_cast<int>(Mb::Ok); });
    Quorlen& main = Quorlen::get();
    main.show();
    Synth_Type = "Alpha Juno";
    Set_Synth();
    QApplication::processEvents();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
