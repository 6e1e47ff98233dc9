#include "app/main_module.h"
#include "app/quorlen.h"

int Dlg_Count = 0;
QString Dlg_Open;
int Screen_PPI = 96;
float Screen_Scale = 1.0f;
int Soundcheck_Wait = 0;
bool Font_Loaded = false;
double Pi = 0;

bool Tone_Saved = true;
std::uint8_t Seq_Saved = 255;
std::uint8_t Tone_Loading = 0;
std::uint8_t Seq_Running = 0;
std::uint8_t Seq_Form_Open = 0;
std::uint8_t Patch_Form_Open = 0;
bool FD_Form_Open = false;

int Drag_Last_X = 0, Drag_Last_Y = 0;
int Patch_Left = 0, Patch_Top = 0, Seq_Left = 0, Seq_Top = 0, FD_Left = 0, FD_Top = 0;
int After_Touch_Index = 0, Key_Mode_Index = 0;

std::uint8_t FD_Done = 0;
std::uint8_t Soundcheck_Mode = 0;
std::uint8_t Soundcheck_Note = 24;
std::uint8_t Soundcheck_Velocity = 80;
QString Dir_Tones, Dir_Sequences, Dir_Oscillators;

void Main_Module_Reset() {
    Dlg_Count = 0;
    Dlg_Open.clear();
    Screen_PPI = 96;
    Screen_Scale = 1.0f;
    Soundcheck_Wait = 0;
    Font_Loaded = false;
    Pi = 0;
    Tone_Saved = true;
    Seq_Saved = 255;
    Tone_Loading = 0;
    Seq_Running = 0;
    Seq_Form_Open = 0;
    Patch_Form_Open = 0;
    FD_Form_Open = false;
    Drag_Last_X = Drag_Last_Y = 0;
    Patch_Left = Patch_Top = Seq_Left = Seq_Top = FD_Left = FD_Top = 0;
    After_Touch_Index = Key_Mode_Index = 0;
    FD_Done = 0;
    Soundcheck_Mode = 0;
    Soundcheck_Note = 24;
    Soundcheck_Velocity = 80;
    Dir_Tones.clear();
    Dir_Sequences.clear();
    Dir_Oscillators.clear();
}

void Set_Program_Title(const QString& title) {
    Quorlen::get().setWindowTitle(title);
}
