#include "help/help.h"
#include "app/quorlen.h"
#include <QLabel>

Help::Help() : QWidget(&Quorlen::get(), Qt::Window) {
    setWindowTitle("Quorlen Help");
    HName = new QLabel(this);
}

void Help::Form_Load() {}
