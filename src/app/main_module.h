#pragma once
// Program-wide state of the main window and its files.
#include <QString>
#include <cstdint>

extern int Dlg_Count;
extern QString Dlg_Open; // the dialog now open, empty when none
extern int Screen_PPI;
extern float Screen_Scale;
extern int Soundcheck_Wait;
extern bool Font_Loaded;
extern double Pi;

extern bool Tone_Saved;
extern std::uint8_t Seq_Saved;     // 255 saved
extern std::uint8_t Tone_Loading;  // 255 while a tone is loaded or made
extern std::uint8_t Seq_Running;   // 255 while the sequence plays
extern std::uint8_t Seq_Form_Open; // 255 while the sequencer window is loaded
extern std::uint8_t Patch_Form_Open;
extern bool FD_Form_Open;

extern int Drag_Last_X, Drag_Last_Y;
// Window positions in twips.
extern int Patch_Left, Patch_Top, Seq_Left, Seq_Top, FD_Left, FD_Top;
extern int After_Touch_Index, Key_Mode_Index;

// The file dialog: 255 when its open or save succeeded.
extern std::uint8_t FD_Done;
// What the file dialog's preview sounds after loading a tone.
extern std::uint8_t Soundcheck_Mode; // 1 on
extern std::uint8_t Soundcheck_Note;
extern std::uint8_t Soundcheck_Velocity;
// The folders the file dialog lists tones, sequences and oscillator files in.
extern QString Dir_Tones, Dir_Sequences, Dir_Oscillators;

// The caption of the main window and the program's title.
void Set_Program_Title(const QString& title);
// Back to the values at program start.
void Main_Module_Reset();
