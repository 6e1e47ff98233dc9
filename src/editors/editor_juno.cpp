#include "editors/editor_juno.h"
#include <QLabel>

Editor_Juno::Editor_Juno() : Mdi_Form("Alpha Juno Tone Editor") {
    Tone_Name = new QLabel(this);
    PictureEnv = new QWidget(this);
    PictureEnv->hide();
}

void Editor_Juno::Form_Load() {}

void Juno_Editor_Redraw() {}
