#pragma once
// The JX-8P tone editor, also used for the MKS-70.
#include "app/form.h"
#include "app/mdi_form.h"

class QLabel;
class QTimer;

class Editor : public Mdi_Form, public Form<Editor> {
    Q_OBJECT
  public:
    Editor();
    void Form_Load();

    QWidget* DCO1_Range;
    QLabel* Tone_Name;
    QTimer* Timer1; // blinks the focused control
};

void Editor_Redraw();
void Editor_Layout_Show();
void Editor_Layout_Hide();
