#pragma once
// Save As for tones and sequences through the file dialog.
void SaveAs_SYX();
void SaveAs_SEQ();
