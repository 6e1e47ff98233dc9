#pragma once
// The audition key and the sequencer start and stop buttons of a tone editor.
// Both editors carry the same three controls; the routines take the editor's
// own controls, so each editor hands over its set.
class QWidget;

struct Audition_Controls {
    QWidget* Keys_Pic = nullptr;     // the key: plays a chord or the first step
    QWidget* ED_Seq_Start = nullptr; // 3-D button faces
    QWidget* ED_Seq_Stop = nullptr;
    QWidget* ED_Seq_Start_Pic = nullptr; // their caption pictures
    QWidget* ED_Seq_Stop_Pic = nullptr;
};

// Routes the mouse events of the three controls to the routines below.
// Called once by each editor's load, after its pictures are set.
void Audition_Attach(const Audition_Controls& c);
// The JX-8P editor's set; empty while that editor is not loaded.
Audition_Controls Editor_Audition();

// button: 1 left, 2 right, 4 middle.
void Keys_Pic_MouseDown(const Audition_Controls& c, int button);
void Keys_Pic_MouseUp(const Audition_Controls& c, int button);
void ED_Seq_Start_Click(const Audition_Controls& c);
void ED_Seq_Start_MouseDown(const Audition_Controls& c);
void ED_Seq_Start_MouseUp(const Audition_Controls& c);
void ED_Seq_Stop_Click(const Audition_Controls& c);
void ED_Seq_Stop_MouseDown(const Audition_Controls& c);
void ED_Seq_Stop_MouseUp(const Audition_Controls& c);
// The start button drawn released, for the commands that stop playback.
void ED_Seq_Start_Up(const Audition_Controls& c);

// The caption pictures: the enabled start and stop symbols, or the disabled ones.
void ED_Seq_Captions_Show(const Audition_Controls& c, bool enabled);
// True when the start button has something to play: a sequence was read
// from a file, or the grid was edited since it was cleared.
bool Seq_Playable();
