#include "sequencer/sequencer.h"
#include "app/main_module.h"

Sequencer::Sequencer() : Mdi_Form("Sequencer") {}

void Sequencer::Form_Load() {
    Seq_Form_Open = 255;
}

void Sequencer::Unload() {
    if (!loaded()) return;
    Seq_Form_Open = 0;
    Destroy_Instance();
}
