#pragma once
// The help window.
#include "app/form.h"
#include <QWidget>

class QLabel;

class Help : public QWidget, public Form<Help> {
    Q_OBJECT
  public:
    Help();
    void Form_Load();

    QLabel* HName; // the name display of the demonstration controls
};
