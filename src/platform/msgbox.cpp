#include "platform/msgbox.h"
#include <QApplication>
#include <QMessageBox>
#include <vector>

namespace {
MsgBoxHandler& handler_slot() {
    static MsgBoxHandler handler;
    return handler;
}

int show_box(const MsgBoxCall& call) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(call.title);
    box.setText(call.text);
    switch (call.style & 0x70) {
    case Mb::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case Mb::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case Mb::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case Mb::Information:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        break;
    }
    struct Btn {
        QMessageBox::StandardButton qt;
        int answer;
    };
    std::vector<Btn> buttons;
    switch (call.style & 0x0F) {
    case Mb::OkCancel:
        buttons = {{QMessageBox::Ok, Mb::Ok}, {QMessageBox::Cancel, Mb::Cancel}};
        break;
    case Mb::AbortRetryIgnore:
        buttons = {{QMessageBox::Abort, Mb::Abort},
                   {QMessageBox::Retry, Mb::Retry},
                   {QMessageBox::Ignore, Mb::Ignore}};
        break;
    case Mb::YesNoCancel:
        buttons = {{QMessageBox::Yes, Mb::Yes},
                   {QMessageBox::No, Mb::No},
                   {QMessageBox::Cancel, Mb::Cancel}};
        break;
    case Mb::YesNo:
        buttons = {{QMessageBox::Yes, Mb::Yes}, {QMessageBox::No, Mb::No}};
        break;
    case Mb::RetryCancel:
        buttons = {{QMessageBox::Retry, Mb::Retry}, {QMessageBox::Cancel, Mb::Cancel}};
        break;
    default:
        buttons = {{QMessageBox::Ok, Mb::Ok}};
        break;
    }
    QMessageBox::StandardButtons all;
    for (const Btn& b : buttons) all |= b.qt;
    box.setStandardButtons(all);
    box.setDefaultButton(buttons.begin()->qt);
    const auto pressed = static_cast<QMessageBox::StandardButton>(box.exec());
    for (const Btn& b : buttons)
        if (b.qt == pressed) return b.answer;
    // Closed with Escape or the close box: the box's cancelling answer.
    const int kind = call.style & 0x0F;
    if (kind == Mb::OkOnly) return Mb::Ok;
    if (kind == Mb::YesNo) return Mb::No;
    return Mb::Cancel;
}
} // namespace

int Msg_Box(const QString& text, int style, const QString& title) {
    const MsgBoxCall call{text, style, title};
    if (handler_slot()) return handler_slot()(call);
    return show_box(call);
}

void Set_MsgBox_Handler(MsgBoxHandler handler) {
    handler_slot() = std::move(handler);
}
