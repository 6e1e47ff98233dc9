#pragma once
// The rules of faders, levers and knobs that need no window: value scales,
// cap positions, the knob pointer's offset, and what keys and drags do.
#include <QPoint>
#include <optional>

int Knob_Val_PM50(int value); // 0..127 to -50..+50
int Knob_Val_PM12(int value); // 0..127 to -12..+12 semitones
int Tune_Semi_To_Value(int semitones);

// Where a cap stands on its travel, for painting and for every redraw. A
// fader's cap climbs Fader_Travel pixels from the bottom of its travel over
// 0..127; a lever's climbs Lever_Step pixels a position.
constexpr int Fader_Travel = 80;
constexpr int Lever_Step = 10;
int Fader_Top(int bottom, int value);
// A lever that takes its value in quarters of 32: a position for each.
int Quarter_Top(int bottom, int value);

// The bottoms of the JX-8P editor's upper and lower rows of levers.
constexpr int Lever_Row_A = 62, Lever_Row_B = 308;
// Lever and fader cap tops for the JX-8P tone bytes; a lever byte above 127 gives 0.
int Switch_Pos_A(int param);
int Switch_Pos_B(int param);
int Slider_Pos(int param);
// Top or button index for the JX-8P patch bytes.
int Patch_Switch_Pos(int index);

// The pointer offset for a scale value: (dx, dy) to subtract from the centre.
QPoint Knob_Offset(double value, double step);

// Rounds halves to the even neighbour.
int Round_Even(double v);

// What a key asks of a control, decoded once for every kind of control.
enum class Key_Action { None, Up, Down, Page_Up, Page_Down, Home, End, Centre };
struct Key_Intent {
    Key_Action action = Key_Action::None;
    bool side_arrow = false; // Left or Right, which some controls leave alone
    bool arrow = false;      // any arrow key
};
Key_Intent Decode_Key(int key);

// How a control takes the decoded keys: Up and Down by `step`, the page keys
// by `page`, Home and End to the ends of its range, the digit 0 to `centre`.
struct Key_Rule {
    double low, high, step, page;
    bool arrows = true, side_arrows = false;
    std::optional<double> centre = std::nullopt;
};
// Applies one key to a value and keeps it in range; false for a key of no meaning.
bool Key_Step(double& value, int key, const Key_Rule& rule);

// Key rules shared by every window's faders, levers and knobs.
// Fader: arrows and keypad +/- by 1 (never below 0), page keys by `page`, Home 127, End 0.
bool Fader_Key_Step(double& value, int key, int page = 16);
// Lever: up, page up and keypad + a band higher, their opposites a band lower,
// Home 127, End 0; a reversed lever counts the other way.
bool Lever_Key_Step(int& value, int key, int band = 32, bool reversed = false);
// Tune knob on its semitone scale -12..+12: arrows and keypad +/- by 1, page keys by 6,
// Home +12, End -12, "0" the centre.
bool Tune_Key_Step(double& semitones, int key);
// Fine-tune knob 0..127: keypad +/- (and the arrows where `arrows`) by 1, never
// below 0, page keys by 10, Home 127, End 0, "0" the centre 63.
bool Fine_Key_Step(double& value, int key, bool arrows);
// The keys that flip a two-position switch.
bool Toggle_Key_Flips(int key);

// Drag rules: the value follows the mouse from where the drag last stood (Drag_Last_X).
// Tune knob: a semitone every 4 pixels, kept in -12..+12.
void Tune_Drag_Step(double& semitones, double x);
// Fine-tune knob: a step a pixel, kept in 0..127; `whole_pixels` rounds the
// position first, else fractions of a pixel count.
void Fine_Drag_Step(double& value, double x, bool whole_pixels);
