#pragma once
// The MKS-70 patch window: tones A and B with their tone numbers, split
// points and unison detunes, beside the instrument's performance panel.
#include "app/form.h"
#include "app/mdi_form.h"
#include "editors/knob_model.h"
#include <QString>
#include <array>

class QComboBox;
class QLineEdit;
class QFrame;
class Picture_Button;

extern QString MKS70_Patch_Name;
extern QString MKS70_Tone_Side; // "A" or "B": the tone the lists and the knob show

// The panel controls that only show the instrument's face.
struct MKS70_Panel_Spec {
    const char* name;
    int picture; // Buttons element, or -1 for LED element 0
    int left, top, width, height;
    const char* label; // printed on the panel beside the control
    char side;         // where: b below, a above, r right, l left
};
extern const std::array<MKS70_Panel_Spec, 31> MKS70_Panel_Controls;

class Patch_MKS70 : public Mdi_Form, public Form<Patch_MKS70>, public Control_Host {
    Q_OBJECT
  public:
    Patch_MKS70();
    void Form_Load();
    // Closes the window with its unload steps.
    static void Unload();

    QLineEdit* Patch_Name;
    Picture_Button *Tone_A, *Tone_B;
    QComboBox *Tone_Number, *Split_Point;
    Pic_Control *UDTune, *UDTune_Knopf;
    QFrame* Shape1;
    // The panel-only pictures, in the order of MKS70_Panel_Controls; the
    // knobs carry their pointers (name + "_Knopf") as children.
    std::array<Pic_Control*, 31> Panel{};
    Pic_Control* Panel_Control(const QString& name) const;

    void Tone_A_Click();
    void Tone_B_Click();
    void Tone_A_Select();
    void Tone_B_Select();
    void Split_Point_Change();
    void Tone_Number_Change();

    // Control_Host: the detune knob.
    void Control_KeyDown(Pic_Control* c, int key, int shift) override;
    void Control_MouseDown(Pic_Control* c, int button, int shift, double x, double y) override;
    void Control_MouseMove(Pic_Control* c, int button, int shift, double x, double y) override;

  protected:
    void paintEvent(QPaintEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void closeEvent(QCloseEvent*) override;

  private:
    void Patch_Param_Set(int p, int v);
    void Patch_Param_Send(int p);
    void Patch_Pics();
    void Form_QueryUnload();
    void Show_Side(int split_byte, int tone_byte, int detune_byte);
    void Place_Pointer();
    void Knob_Apply(int p);
    int Detune_Param() const { return MKS70_Tone_Side == "A" ? 32 : 41; }
    QPixmap panel_;
};

// The printed MKS-70 panel behind the window's controls.
QPixmap MKS70_Panel_Picture();
// "A0", "A#0", "B0", "C1" ... "B7", "C8": the 88 keys of the piano.
QStringList MKS70_Key_Names();
// Back to the values at program start.
void Patch_MKS70_Reset();
