#include "editors/patch.h"
#include "app/main_module.h"

Patch::Patch() : Mdi_Form("Patch Parameter") {}

void Patch::Form_Load() {
    Patch_Form_Open = 255;
}

void Patch::Unload() {
    if (!loaded()) return;
    Patch_Form_Open = 0;
    Destroy_Instance();
}

void Patch_Redraw() {}
