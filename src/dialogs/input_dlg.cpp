#include "dialogs/input_dlg.h"
#include "app/quorlen.h"
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

QString Input_Result;

namespace {
std::function<void(Input_Dlg&)>& hook_slot() {
    static std::function<void(Input_Dlg&)> hook;
    return hook;
}
} // namespace

void Set_Input_Box_Hook(std::function<void(Input_Dlg&)> hook) {
    hook_slot() = std::move(hook);
}

void Input_Dlg_Reset() {
    Input_Result.clear();
    hook_slot() = {};
}

Input_Dlg::Input_Dlg() : QDialog(&Quorlen::get()) {
    setWindowTitle("Input_Box");
    setFixedSize(384, 116);
    Input_Msg = new QLabel(this);
    Input_Msg->setObjectName("Input_Msg");
    Input_Msg->setGeometry(10, 8, 276, 68);
    Input_Msg->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Input_Msg->setWordWrap(true);
    Input_OK = new QPushButton("Ok", this);
    Input_OK->setObjectName("Input_OK");
    Input_OK->setGeometry(296, 8, 80, 26);
    Input_OK->setDefault(true);
    Input_Cancel = new QPushButton("Cancel", this);
    Input_Cancel->setObjectName("Input_Cancel");
    Input_Cancel->setGeometry(296, 40, 80, 26);
    Input_Textbox = new QLineEdit(this);
    Input_Textbox->setObjectName("Input_Textbox");
    Input_Textbox->setGeometry(10, 84, 366, 24);
    connect(Input_OK, &QPushButton::clicked, this, &Input_Dlg::Input_OK_Click);
    connect(Input_Cancel, &QPushButton::clicked, this, &Input_Dlg::Input_Cancel_Click);
}

void Input_Dlg::Form_Load() {
    move(150, 150); // pixels
}

void Input_Dlg::Input_OK_Click() {
    Input_Result = Input_Textbox->text();
    done(Accepted);
}

void Input_Dlg::Input_Cancel_Click() {
    Input_Result.clear();
    done(Rejected);
}

// The close box sets nothing in the classic box; its one caller wants Cancel.
void Input_Dlg::reject() {
    Input_Cancel_Click();
}

QString Input_Box(const QString& prompt, const QString& title, const QString& def) {
    Input_Dlg& dlg = Input_Dlg::get();
    dlg.Input_Textbox->setText(def);
    dlg.Input_Textbox->setSelection(0, static_cast<int>(def.size()));
    dlg.Input_Textbox->setFocus();
    QString shown = prompt;
    shown.replace("\r\n", "\n").replace('\r', '\n');
    dlg.Input_Msg->setText(shown);
    dlg.setWindowTitle(title);
    // Whatever closes the box, the caller gets Cancel's answer unless OK said otherwise.
    Input_Result.clear();
    if (hook_slot())
        QTimer::singleShot(0, &dlg, [&dlg] {
            if (hook_slot()) hook_slot()(dlg);
        });
    dlg.exec();
    Input_Dlg::Unload();
    return Input_Result;
}
