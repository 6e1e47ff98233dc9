#include "editors/tone_plate.h"
#include "app/main_module.h"
#include "editors/editor.h"

void Tone_Plate::Build_Plate(QWidget* editor) {
    Tone_Name = new Name_Display(editor);
    Tone_Name->On_Click = [this] { Tone_Name_Click(); };
    Tone_Name->On_Key = [this](int key) { Tone_Name_KeyPress(key); };
    Pic_Quorlen = new Pic_Control(editor, nullptr, "Pic_Quorlen");
    Pic_Orvel = new Pic_Control(editor, nullptr, "Pic_Orvel");
    Keys_Pic = new Pic_Control(editor, nullptr, "Keys_Pic");
    ED_Seq_Start = new Pic_Control(editor, nullptr, "ED_Seq_Start");
    ED_Seq_Stop = new Pic_Control(editor, nullptr, "ED_Seq_Stop");
    ED_Seq_Start_Pic = new Pic_Control(ED_Seq_Start, nullptr, "ED_Seq_Start_Pic");
    ED_Seq_Stop_Pic = new Pic_Control(ED_Seq_Stop, nullptr, "ED_Seq_Stop_Pic");
    // The captions lie on their buttons; a click on them is a click on the button.
    for (Pic_Control* caption : {ED_Seq_Start_Pic, ED_Seq_Stop_Pic})
        caption->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Tone_Plate::Tone_Name_Click() {
    if (Dlg_Open.isEmpty()) TName_Show();
}

void Tone_Plate::Tone_Name_KeyPress(int) {
    if (Dlg_Open.isEmpty()) TName_Show();
}
