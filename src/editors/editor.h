#pragma once
// The JX-8P tone editor, also used for the MKS-70.
#include "app/form.h"
#include "app/mdi_form.h"
#include "editors/knob_model.h"
#include "editors/tone_plate.h"
#include <array>

class QTimer;
class Editor;

enum class Ctl_Kind { Fader, Lever4, Lever3, Toggle, Knob_Tune, Knob_Fine };

// One row per panel control: the table every handler of the editor works from.
struct Tone_Control_Spec {
    const char* name;
    Pic_Control* Editor::*member;
    int param;
    Ctl_Kind kind;
    const char* tag;
    int travel_top, travel_bottom;    // the cap's highest top, and its top at value 0
    int left, top;                    // place at load (the bottom of the travel)
    int layout_left, layout_top;      // place the layout gives
    const char* label;                // printed on the panel
    std::array<const char*, 4> marks; // lever positions from the bottom, or null
    int mark_side;                    // -1 marks to the left, 1 to the right
};
extern const std::array<Tone_Control_Spec, 44> Tone_Controls;

class Editor : public Mdi_Form, public Form<Editor>, public Control_Host, public Tone_Plate {
    Q_OBJECT
  public:
    Editor();
    void Form_Load();
    void Form_Activate() override;
    void Form_Deactivate() override;
    void Timer1_Timer();

    // Panel controls (the table gives their parameters).
    Pic_Control *DCO1_Range, *DCO1_Waveform, *DCO1_Tune, *DCO1_LFO, *DCO1_ENV;
    Pic_Control *DCO2_Range, *DCO2_Waveform, *DCO2_Crossmod, *DCO2_Tune, *DCO2_FTune, *DCO2_LFO,
        *DCO2_ENV;
    Pic_Control *DCO_Dynamics, *DCO_Mode;
    Pic_Control *Mixer_DCO1, *Mixer_DCO2, *Mixer_ENV, *Mixer_Dynamics, *Mixer_Mode;
    Pic_Control *VCF_HPF, *VCF_CutoffF, *VCF_Res, *VCF_LFO, *VCF_ENV, *VCF_Keyfollow, *VCF_Dynamics,
        *VCF_Mode;
    Pic_Control *VCA_Level, *VCA_Mode, *VCA_Dynamics;
    Pic_Control *LFO_Waveform, *LFO_DelayT, *LFO_Rate;
    Pic_Control *ENV1_Attack, *ENV1_Decay, *ENV1_Sustain, *ENV1_Release, *ENV1_Keyfollow;
    Pic_Control *ENV2_Attack, *ENV2_Decay, *ENV2_Sustain, *ENV2_Release, *ENV2_Keyfollow;
    Pic_Control* Chorus_Mode;
    // Knob pointers, children of their knob bodies.
    Pic_Control *DCO1_Tune_Knopf, *DCO2_Tune_Knopf, *DCO2_FTune_Knopf;

    QTimer* Timer1; // blinks the focused control
    // The panel stands at its layout: saving or sending, which also set the
    // synthesizer up, must not put the caps back to their starting places.
    bool Layout_Shown = false;

    // The control that edits tone byte p, or null.
    Pic_Control* Param_Control(int p) const;

    void Tone_Param_Set(int p, int value);
    void Tone_Param_Send(int p);
    void Slider_KeyStep(int top, int bottom, int p, int key);
    void Switch_KeyStep(int top, int bottom, int p, int key);
    void Slider_Drag(int top, int bottom, int p, double y);
    void Switch_Drag(int top, int bottom, int p, double y);
    void Slider_Redraw(int top, int bottom, int p);
    void Switch_Redraw(int top, int bottom, int p);
    void Tune_Knob_Key(int p, int key);
    void Fine_Knob_Key(int p, int key);
    void Tune_Knob_Drag(int p, double x);
    void Fine_Knob_Drag(int p, double x);
    void Toggle_Key(int p, int key);

    // Control_Host
    void Control_KeyDown(Pic_Control* c, int key, int shift) override;
    void Control_MouseDown(Pic_Control* c, int button, int shift, double x, double y) override;
    void Control_MouseMove(Pic_Control* c, int button, int shift, double x, double y) override;

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    QPixmap panel_;
    std::array<Pic_Control*, 59> by_param_{};
};

void Editor_Redraw();
// Every cap and knob pointer where the tone's bytes put them; the name is left alone.
void Editor_Controls_Redraw();
void Editor_Layout_Show();
void Editor_Layout_Hide();
void Undo_Save();
void Undo_Restore();
void Name_To_Tone();
// Opens the tone name window when no dialog is open.
void TName_Show();

// Pictures and geometry of the editor's controls at load.
void Pics_Editor();
// The printed panel behind the controls, and the two logo pictures.
QPixmap Editor_Panel_Picture();
QPixmap Quorlen_Logo_Picture();
QPixmap Orvel_Logo_Picture();
