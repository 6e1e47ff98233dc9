#include "app/save_as.h"

void SaveAs_SYX() {}
void SaveAs_SEQ() {}
