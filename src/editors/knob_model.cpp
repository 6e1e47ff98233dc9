#include "editors/knob_model.h"

QPointer<QWidget> Focus_Control;
int Blink_Phase = 0;
int Edit_Value = 0;
int Knob_Display_Value = 0;
int Last_Param = 0, Last_Value = 0;
int Name_Cursor = 0;
int Help_Index = 0;

void Focus_Pic_Reset() {}
