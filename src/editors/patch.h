#pragma once
// The JX-8P patch window: bend range, portamento, key mode, after-touch,
// bend LFO depth and unison detune of the current patch.
#include "app/form.h"
#include "app/mdi_form.h"
#include "editors/knob_model.h"
#include <array>
#include <vector>

enum class Patch_Kind {
    Fader,
    Bend_Lever,
    Porta_Switch,
    Key_Mode_Led,
    After_Touch_Led,
    Knob,
    Knob_Pointer
};

// One row per control: the table every handler of the window works from.
struct Patch_Control_Spec {
    const char* name;
    int param;
    Patch_Kind kind;
    const char* tag;
    int travel_top, travel_bottom; // the cap's highest top, and its top at value 0
    int group;                     // the button's index within its light group
    int left, top, width, height;
};
extern const std::array<Patch_Control_Spec, 16> Patch_Controls;

class Patch : public Mdi_Form, public Form<Patch>, public Control_Host {
    Q_OBJECT
  public:
    Patch();
    void Form_Load();
    // Every way the window closes runs this first.
    void Form_QueryUnload();
    // Closes the window with its unload steps.
    static void Unload();

    Pic_Control *Pitch_Bend_Range, *Portamento_Time, *Portamento_Switch, *Pitch_Bend_LFO;
    std::array<Pic_Control*, 6> Key_Mode{};
    std::array<Pic_Control*, 4> After_Touch{};
    Pic_Control *UDTune, *UDTune_Knopf;

    void Patch_Param_Set(int p, int v);
    void Patch_Param_Send(int p);
    void Slider_KeyStep(int top, int bottom, int p, int key);
    void Slider_Drag(int top, int bottom, int p, double y);
    void Slider_Redraw(int top, int bottom, int p);
    void Switch_Drag(int top, int bottom, int p, double y);
    void Switch_Redraw(int top, int bottom, int p);
    void Switch_Step(int direction, int top, int bottom, int p);
    void Key_Mode_Click(int i);
    void After_Touch_Click(int i);
    void Patch_Pics();

    const Patch_Control_Spec& Spec_Of(const Pic_Control* c) const;

    // Control_Host
    void Control_GotFocus(Pic_Control* c) override;
    void Control_KeyDown(Pic_Control* c, int key, int shift) override;
    void Control_MouseDown(Pic_Control* c, int button, int shift, double x, double y) override;
    void Control_MouseMove(Pic_Control* c, int button, int shift, double x, double y) override;
    void Control_MouseUp(Pic_Control* c, int button, int shift, double x, double y) override;

  protected:
    void paintEvent(QPaintEvent*) override;
    void closeEvent(QCloseEvent*) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Led_Key(Pic_Control* c, int key, int shift);
    void Knob_Key(Pic_Control* c, int key);
    void Knob_Drag(double x);
    void Knob_Apply();
    Pic_Control* Control_Of(int param) const;

    QPixmap panel_;
    std::vector<Pic_Control*> controls_;
};

void Patch_Redraw();
// The printed panel behind the patch window's controls.
QPixmap Patch_Panel_Picture();
