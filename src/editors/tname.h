#pragma once
// The tone name dialog: names the current tone in both tone records, both
// editors' name boxes and, with auto-send on, on the instrument.
#include "app/form.h"
#include <QDialog>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;
class Picture_Box;

class TName : public QDialog, public Form<TName> {
    Q_OBJECT
  public:
    TName();
    void Form_Load();
    // Closes the dialog through its closing steps, whatever asked for it.
    void Form_Unload();

    Picture_Box* Picture1; // the background
    QLabel* Label1;
    QLineEdit* Tone_Name;
    QPushButton* Cmd_OK;
    QPushButton* Cmd_Cancel;

    void Cmd_OK_Click();
    void Cmd_Cancel_Click();
    void Picture1_Click();

  protected:
    void reject() override; // Escape
    void closeEvent(QCloseEvent* event) override;

  private:
    void Form_QueryUnload();
};

// Writes Tone_Name_Text into both tone records: Tone_Data bytes 0..10 and
// the Alpha Juno name codes of Juno_Tone bytes 36..45.
void Tone_Name_To_Records();
// The text of the name message for the chosen synthesizer: the
// single-parameter header, ten pairs of parameter and value, F7.
std::string Tone_Name_Msg_Text();
