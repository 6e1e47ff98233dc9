#pragma once
// Save As for tones and sequences through the file dialog; true when the
// file was written.
bool SaveAs_SYX();
bool SaveAs_SEQ();
// Asks to save an unsaved tone first; true when the command may go on.
// An unsaved tone whose Save As was abandoned stops the command.
bool Tone_Save_Prompt(bool with_cancel);
