#pragma once
// The JX-8P patch window.
#include "app/form.h"
#include "app/mdi_form.h"

class Patch : public Mdi_Form, public Form<Patch> {
    Q_OBJECT
  public:
    Patch();
    void Form_Load();
    // Closes the window with its unload steps.
    static void Unload();
};

void Patch_Redraw();
