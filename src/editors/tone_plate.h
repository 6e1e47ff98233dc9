#pragma once
// The centre plate both tone editors carry: the name display, the two logos,
// the audition key and the sequencer start and stop buttons.
#include "editors/knob_model.h"

class Tone_Plate {
  public:
    Name_Display* Tone_Name;
    Pic_Control *Pic_Quorlen, *Pic_Orvel;
    Pic_Control *Keys_Pic, *ED_Seq_Start, *ED_Seq_Stop, *ED_Seq_Start_Pic, *ED_Seq_Stop_Pic;

    // A click or a key on the name display opens the tone name window.
    void Tone_Name_Click();
    void Tone_Name_KeyPress(int key);

  protected:
    // Makes the plate's controls as children of the editor window.
    void Build_Plate(QWidget* editor);
};
