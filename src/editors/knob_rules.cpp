#include "editors/knob_rules.h"
#include "app/main_module.h"
#include "instrument/instrument.h"
#include "platform/host.h"
#include <QPoint>
#include <algorithm>
#include <cmath>

int Round_Even(double v) {
    return static_cast<int>(std::nearbyint(v));
}

// ---- Scales -------------------------------------------------------------------

int Knob_Val_PM50(int value) {
    if (value < 0 || value > 127) return 0;
    // The second member of each pair of inputs that share one scale value.
    static const int shared[] = {5,  9,  14, 19, 24, 28, 33, 38,  42,  46,  51,  56,  60, 64,
                                 68, 72, 77, 82, 86, 90, 95, 100, 104, 109, 114, 119, 123};
    int n = 0;
    for (int s : shared)
        if (s <= value) ++n;
    return value - 50 - n;
}

namespace {
// Lowest byte of each semitone band, -12..+12.
const int semi_low[25] = {0,  8,  12, 16, 20, 24, 32, 36,  40,  44,  48,  52, 56,
                          72, 76, 80, 84, 88, 92, 96, 104, 108, 112, 116, 120};
} // namespace

int Knob_Val_PM12(int value) {
    if (value < 0 || value > 127) return 0;
    int band = 0;
    for (int i = 0; i < 25; ++i)
        if (value >= semi_low[i]) band = i;
    return band - 12;
}

int Tune_Semi_To_Value(int semitones) {
    if (semitones < -12 || semitones > 12) return 0;
    return semi_low[semitones + 12];
}

// ---- Positions ----------------------------------------------------------------

int Fader_Top(int bottom, int value) {
    return bottom - value * Fader_Travel / 127;
}

int Quarter_Top(int bottom, int value) {
    return bottom - (value / 32) * Lever_Step;
}

namespace {
int quarter_pos(int v, int bottom) {
    return v > 127 || v < 0 ? 0 : Quarter_Top(bottom, v);
}

int tone_lever_pos(int p, int bottom) {
    return p < 0 || p > 58 ? 0 : quarter_pos(Tone_Data[p], bottom);
}
} // namespace

int Switch_Pos_A(int p) {
    return tone_lever_pos(p, Lever_Row_A);
}

int Switch_Pos_B(int p) {
    return tone_lever_pos(p, Lever_Row_B);
}

int Slider_Pos(int p) {
    int base = 0;
    switch (p) {
    case 28:
    case 29:
    case 34:
    case 35:
    case 41:
        base = 112;
        break;
    case 14:
    case 15:
    case 21:
    case 22:
    case 30:
    case 36:
    case 37:
    case 38:
        base = 232;
        break;
    case 45:
    case 46:
    case 47:
    case 48:
    case 49:
    case 50:
    case 52:
    case 53:
    case 54:
    case 55:
        base = 437;
        break;
    default:
        base = 0;
    }
    if (p < 0 || p > 58) return base;
    return Fader_Top(base, Tone_Data[p]);
}

int Patch_Switch_Pos(int i) {
    if (i < 0 || i > 8) return 0;
    const int v = Patch_Data[i];
    switch (i) {
    case 0:
        return quarter_pos(v, 58);
    case 1:
    case 5:
        return Fader_Top(108, v);
    case 2:
        return v <= 63 ? 143 : 133;
    case 3: {
        static const int idx[7] = {0, 1, 2, -1, 3, 4, 5};
        return v < 7 && idx[v] >= 0 ? idx[v] : 0;
    }
    case 4: {
        static const int idx[5] = {0, 1, 2, -1, 3};
        return v < 5 && idx[v] >= 0 ? idx[v] : 0;
    }
    default:
        return 0;
    }
}

// ---- Knob pointers --------------------------------------------------------------

QPoint Knob_Offset(double value, double step) {
    const double pi = Pi != 0 ? Pi : 4 * std::atan(1.0); // before start-up sets it
    const double a = (step * value + 90.0) * pi / 180.0;
    return {Round_Even(5 * std::cos(a)), Round_Even(5 * std::sin(a))};
}

// ---- Key rules ------------------------------------------------------------------------

Key_Intent Decode_Key(int key) {
    using A = Key_Action;
    switch (key) {
    case Vk::Up:
        return {A::Up, false, true};
    case Vk::Down:
        return {A::Down, false, true};
    case Vk::Right:
        return {A::Up, true, true};
    case Vk::Left:
        return {A::Down, true, true};
    case Vk::Add:
        return {A::Up};
    case Vk::Subtract:
        return {A::Down};
    case Vk::Prior:
        return {A::Page_Up};
    case Vk::Next:
        return {A::Page_Down};
    case Vk::Home:
        return {A::Home};
    case Vk::End:
        return {A::End};
    case Vk::Key0:
    case Vk::Numpad0:
        return {A::Centre};
    default:
        return {};
    }
}

namespace {
// The action a rule takes from the key, or None for a key it leaves alone.
Key_Action action_for(const Key_Intent& k, bool arrows, bool side_arrows, bool centre) {
    if (k.arrow && !(k.side_arrow ? side_arrows : arrows)) return Key_Action::None;
    if (k.action == Key_Action::Centre && !centre) return Key_Action::None;
    return k.action;
}
} // namespace

bool Key_Step(double& value, int key, const Key_Rule& r) {
    bool known = true;
    switch (action_for(Decode_Key(key), r.arrows, r.side_arrows, r.centre.has_value())) {
    case Key_Action::Up:
        value += r.step;
        break;
    case Key_Action::Down:
        value -= r.step;
        break;
    case Key_Action::Page_Up:
        value += r.page;
        break;
    case Key_Action::Page_Down:
        value -= r.page;
        break;
    case Key_Action::Home:
        value = r.high;
        break;
    case Key_Action::End:
        value = r.low;
        break;
    case Key_Action::Centre:
        value = *r.centre;
        break;
    case Key_Action::None:
        known = false;
        break;
    }
    value = std::clamp(value, r.low, r.high);
    return known;
}

bool Fader_Key_Step(double& value, int key, int page) {
    return Key_Step(value, key, {.low = 0, .high = 127, .step = 1, .page = double(page)});
}

bool Tune_Key_Step(double& semitones, int key) {
    return Key_Step(
        semitones, key,
        {.low = -12, .high = 12, .step = 1, .page = 6, .side_arrows = true, .centre = 0});
}

bool Fine_Key_Step(double& value, int key, bool arrows) {
    return Key_Step(value, key,
                    {.low = 0,
                     .high = 127,
                     .step = 1,
                     .page = 10,
                     .arrows = arrows,
                     .side_arrows = arrows,
                     .centre = 63});
}

bool Lever_Key_Step(int& v, int key, int band, bool reversed) {
    int direction = 0;
    switch (action_for(Decode_Key(key), true, false, false)) {
    case Key_Action::Up:
    case Key_Action::Page_Up:
        direction = 1;
        break;
    case Key_Action::Down:
    case Key_Action::Page_Down:
        direction = -1;
        break;
    case Key_Action::Home:
        v = reversed ? 0 : 127;
        return true;
    case Key_Action::End:
        v = reversed ? 127 : 0;
        return true;
    default:
        if (v > 127) v = 127;
        return false;
    }
    if (reversed) direction = -direction;
    if (direction > 0 && v != 127) v += band;
    if (direction < 0) v = v < band ? 0 : v - band;
    if (v > 127) v = 127;
    return true;
}

bool Toggle_Key_Flips(int key) {
    return action_for(Decode_Key(key), true, false, false) != Key_Action::None;
}

// ---- Drag rules -----------------------------------------------------------------------

void Tune_Drag_Step(double& semitones, double x) {
    const int xs = Round_Even(x / 4);
    if (xs != Drag_Last_X) {
        semitones += xs - Drag_Last_X;
        Drag_Last_X = xs;
    }
    semitones = std::clamp(semitones, -12.0, 12.0);
}

void Fine_Drag_Step(double& value, double x, bool whole_pixels) {
    if (whole_pixels) x = Round_Even(x);
    if (x < Drag_Last_X) {
        value -= Drag_Last_X - x;
        Drag_Last_X = Round_Even(x);
    } else if (x > Drag_Last_X) {
        value += x - Drag_Last_X;
        Drag_Last_X = Round_Even(x);
    }
    value = std::clamp(value, 0.0, 127.0);
}
