#include "editors/editor.h"
#include <QLabel>
#include <QTimer>

Editor::Editor() : Mdi_Form("JX-8P Tone Editor") {
    DCO1_Range = new QWidget(this);
    Tone_Name = new QLabel(this);
    Timer1 = new QTimer(this);
    Timer1->setInterval(250);
}

void Editor::Form_Load() {}

void Editor_Redraw() {}
void Editor_Layout_Show() {}
void Editor_Layout_Hide() {}
