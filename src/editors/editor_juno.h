#pragma once
// The Alpha Juno tone editor.
#include "app/form.h"
#include "app/mdi_form.h"
#include "editors/knob_model.h"
#include "editors/tone_plate.h"
#include <QLineF>
#include <array>

class Editor_Juno;

enum class Juno_Kind { Fader, Lever };

// One row per panel control: the table every handler of the window works from.
struct Juno_Control_Spec {
    const char* name;
    Pic_Control* Editor_Juno::*member;
    int param;
    Juno_Kind kind;
    const char* tag;
    int travel_top, travel_bottom; // the cap's highest and lowest top
    bool reversed;                 // a lever whose value 0 is at the top
    int max;                       // the highest value keys and drags give
    int left;                      // place on the panel
    const char* label;
    // Marks beside a lever, from value 0 on; null where a position has none.
    std::array<const char*, 13> marks;
};
extern const std::array<Juno_Control_Spec, 36> Juno_Controls;

// The envelope graph: five segments over two fixed axes.
class Env_Picture : public QWidget {
    Q_OBJECT
  public:
    explicit Env_Picture(QWidget* parent);
    std::array<QLineF, 5> LineEnv;
    QLineF LineYaxis{5, 5, 5, 130}, LineXaxis{5, 130, 373, 130};

  protected:
    void paintEvent(QPaintEvent*) override;
};

class Editor_Juno : public Mdi_Form,
                    public Form<Editor_Juno>,
                    public Control_Host,
                    public Tone_Plate {
    Q_OBJECT
  public:
    Editor_Juno();
    void Form_Load();
    void Form_Activate() override;
    void Form_Deactivate() override;

    Pic_Control *DCO_EnvMode, *DCO_Pulse, *DCO_SawTooth, *DCO_Sub, *DCO_Range, *DCO_SubLevel,
        *DCO_NoiseLevel, *DCO_LFO, *DCO_Env, *DCO_After, *DCO_PWM, *DCO_PWMRate;
    Pic_Control *VCF_EnvMode, *VCF_HPF, *VCF_Freq, *VCF_Res, *VCF_LFO, *VCF_ENV, *VCF_Keyfollow,
        *VCF_After;
    Pic_Control *VCA_EnvMode, *VCA_Level, *VCA_After;
    Pic_Control *LFO_Rate, *LFO_DelayTime;
    Pic_Control *ENV_T1, *ENV_L1, *ENV_T2, *ENV_L2, *ENV_T3, *ENV_L3, *ENV_T4, *ENV_Keyfollow;
    Pic_Control *Chorus_OnOff, *Chorus_Rate, *Bender_Range;
    // Pictures of the window without behaviour.
    Pic_Control *Mixer_DCO1, *Mixer_DCO2, *VCA_Dynamics, *DCO_Dynamics;

    Env_Picture* PictureEnv;

    // The control that edits tone byte p, or null.
    Pic_Control* Param_Control(int p) const;
    const Juno_Control_Spec& Spec_Of(const Pic_Control* c) const;

    void Slider_KeyStep(int top, int bottom, int p, int key);
    void Switch_KeyStep(int top, int bottom, int p, int key, bool reversed);
    void Slider_Drag(int top, int bottom, int p, double y);
    void Switch_Drag(int top, int bottom, int p, double y, bool reversed);
    void Tone_Param_Set(int p, int value);
    void Tone_Param_Send(int p);
    void Slider_Redraw(int top, int bottom, int p);
    void Switch_Redraw(int top, int bottom, int p);
    void Env_Redraw();

    // Control_Host
    void Control_KeyDown(Pic_Control* c, int key, int shift) override;
    void Control_MouseMove(Pic_Control* c, int button, int shift, double x, double y) override;

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    QPixmap panel_;
    std::array<Pic_Control*, 36> by_param_{};
};

// The cap's top for value v: faders and levers climb from the bottom of their
// travel, reversed levers descend from its top; a lever's positions share its travel.
int Juno_Cap_Top(const Juno_Control_Spec& s, int v);
int Juno_Slider_Pos(int p);
int Juno_Switch_Pos(int p);
void Juno_Editor_Redraw();

// Pictures and places of the window's controls at load.
void Pics_Editor_Juno();
// The printed panel behind the controls, and the window's own maker plate.
QPixmap Juno_Panel_Picture();
QPixmap Juno_Orvel_Picture();
