#pragma once
// The input box: asks for one line of text, truly modal.
#include "app/form.h"
#include <QDialog>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

// The text the input box returned last (the receive toggle stores text here too).
extern QString Input_Result;

class Input_Dlg : public QDialog, public Form<Input_Dlg> {
    Q_OBJECT
  public:
    Input_Dlg();
    void Form_Load();
    static void Unload() { Unload_Instance(nullptr); }

    QLabel* Input_Msg;
    QLineEdit* Input_Textbox;
    QPushButton* Input_OK;
    QPushButton* Input_Cancel;

    void Input_OK_Click();
    void Input_Cancel_Click();

  protected:
    void reject() override; // Escape and the close box
};

// Shows the box modally and returns what the user gave; empty for Cancel.
QString Input_Box(const QString& prompt, const QString& title, const QString& def);

// Tests answer the box through this hook: it runs once the box is shown and
// works the real controls. An empty hook restores the normal behaviour.
void Set_Input_Box_Hook(std::function<void(Input_Dlg&)> hook);
// Back to the values at program start.
void Input_Dlg_Reset();
