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

void Set_Program_Title(const QString& title) {
    Quorlen::get().setWindowTitle(title);
}
