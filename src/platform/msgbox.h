#pragma once
// The one way the program shows a message box. Styles and answers keep the
// numbers of the classic box: buttons + icon in one value, the answer a code.
#include <QString>
#include <functional>
#include <memory>

class QMessageBox;

namespace Mb {
enum Style : int {
    OkOnly = 0,
    OkCancel = 1,
    AbortRetryIgnore = 2,
    YesNoCancel = 3,
    YesNo = 4,
    RetryCancel = 5,
    Critical = 16,
    Question = 32,
    Exclamation = 48,
    Information = 64,
};
enum Answer : int { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };
} // namespace Mb

inline const QString Program_Title = QStringLiteral("Quorlen");

struct MsgBoxCall {
    QString text;
    int style;
    QString title;
};

// Shows the box and returns the answer (an Mb::Answer).
int Msg_Box(const QString& text, int style = Mb::OkOnly, const QString& title = Program_Title);

// The box Msg_Box shows for the call, made and not yet shown.
std::unique_ptr<QMessageBox> Msg_Box_Window(const MsgBoxCall& call);

// Tests put a handler in place of the real box; an empty handler restores it.
using MsgBoxHandler = std::function<int(const MsgBoxCall&)>;
void Set_MsgBox_Handler(MsgBoxHandler handler);
