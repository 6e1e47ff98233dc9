#pragma once
// The sequencer window.
#include "app/form.h"
#include "app/mdi_form.h"

class Sequencer : public Mdi_Form, public Form<Sequencer> {
    Q_OBJECT
  public:
    Sequencer();
    void Form_Load();
    static void Unload();
};
