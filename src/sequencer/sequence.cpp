#include "sequencer/sequence.h"
#include "app/main_module.h"

Seq_Grid Seq_Data{};
QString Seq_File;

void New_SEQ() {
    Seq_Data.fill(0);
    Seq_Saved = 255;
}

void Save_SEQ(const QString&) {}
void Load_SEQ(const QString&, const QString&) {}
