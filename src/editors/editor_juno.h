#pragma once
// The Alpha Juno tone editor.
#include "app/form.h"
#include "app/mdi_form.h"

class QLabel;

class Editor_Juno : public Mdi_Form, public Form<Editor_Juno> {
    Q_OBJECT
  public:
    Editor_Juno();
    void Form_Load();

    QLabel* Tone_Name;
    QWidget* PictureEnv; // the envelope graph
};

void Juno_Editor_Redraw();
