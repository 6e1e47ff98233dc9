#pragma once
// State shared by every window with faders, levers and knobs.
#include <QPointer>
#include <QWidget>

extern QPointer<QWidget> Focus_Control; // the control with the blinking highlight
extern int Blink_Phase;                 // 0 or 1
extern int Edit_Value;
extern int Knob_Display_Value;
extern int Last_Param, Last_Value;
extern int Name_Cursor;
extern int Help_Index;

// The focused control loses its highlight.
void Focus_Pic_Reset();
