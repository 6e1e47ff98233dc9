#include "sequencer/osc_waves.h"
#include <QRandomGenerator>
#include <cmath>

const std::array<Osc_Target, 27> Osc_Param_List = {{
    {"DCO1 LFO Mod Depth", 14},
    {"DCO1 ENV Mod Depth", 15},
    {"DCO2 Fine Tune", 20},
    {"DCO2 LFO Mod Depth", 21},
    {"DCO2 ENV Mod Depth", 22},
    {"ENV1 Attack Time", 47},
    {"ENV1 Decay Time", 48},
    {"ENV1 Sustain Level", 49},
    {"ENV1 Release Time", 50},
    {"ENV2 Attack Time", 52},
    {"ENV2 Decay Time", 53},
    {"ENV2 Sustain Level", 54},
    {"ENV2 Release Time", 55},
    {"LFO Rate", 46},
    {"Mixer DCO1", 28},
    {"Mixer DCO2", 29},
    {"Mixer ENV Mod Depth", 30},
    {"VCF Cutoff", 34},
    {"VCF Resonance", 35},
    {"VCF LFO Mod Depth", 36},
    {"VCF ENV Mod Depth", 37},
    {"VCF Key Follow", 38},
    {"VCA Level", 41},
    {"Mixer DCO1 <-> DCO2", Osc_Mixer_Cross},
    {"Portamento Time", Osc_Portamento},
    {"Bend LFO Depth", Osc_Bend_LFO},
    {"MIDI notes", Osc_Notes},
}};

namespace {
// Halves go to the even neighbour, as everywhere in the program.
int round_even(double v) {
    return static_cast<int>(std::nearbyint(v));
}

// A uniform number in [0, 1) in single precision.
float uniform() {
    return static_cast<float>(QRandomGenerator::global()->bounded(1u << 24)) / 16777216.0f;
}
} // namespace

void Osc_Preset_Bases(int index, std::array<int, Osc_Steps>& base, double& pen) {
    switch (index) {
    case 0: // rising sawtooth, two periods
        pen = 96;
        for (int& b : base) {
            if (pen < 38) pen = 96;
            b = static_cast<int>(pen);
            pen -= 7;
        }
        break;
    case 1: // rising ramp
        pen = 96;
        for (int& b : base) {
            b = static_cast<int>(pen);
            pen -= 4;
        }
        break;
    case 2: // square
        for (int i = 0; i < Osc_Steps; ++i) base[i] = i < 9 ? 96 : 32;
        break;
    case 3: // triangle
        pen = 96;
        for (int i = 0; i < Osc_Steps; ++i) {
            base[i] = static_cast<int>(pen);
            pen += i < 9 ? -7 : 7;
        }
        break;
    case 4: // sine
    case 5: // rectified sine
        pen = 63;
        for (int i = 0; i < Osc_Steps; ++i) {
            const double s = std::sin(i * 45.0 / 127.0);
            base[i] = round_even(63 - 32 * (index == 5 ? std::abs(s) : s));
        }
        break;
    case 6: // single pulse
        for (int i = 0; i < Osc_Steps; ++i) base[i] = i == 0 ? 32 : 96;
        break;
    case 7: // alternating
        for (int i = 0; i < Osc_Steps; ++i) base[i] = i % 2 == 0 ? 32 : 96;
        break;
    case 9: // random: each step takes the number drawn at the step before
        for (int& b : base) {
            b = round_even(pen);
            pen = 127.0f - uniform() * 127.0f;
        }
        break;
    default: // 8, custom: the drawn shape stays
        break;
    }
}
