#include "platform/msgbox.h"
#include "platform/handlers.h"
#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>
#include <QStyleOptionTitleBar>
#include <vector>

namespace {
MsgBoxHandler& handler_slot() {
    static MsgBoxHandler handler;
    return handler;
}

struct Btn {
    QMessageBox::StandardButton qt;
    int answer;
};

std::vector<Btn> buttons_of(int style) {
    switch (style & 0x0F) {
    case Mb::OkCancel:
        return {{QMessageBox::Ok, Mb::Ok}, {QMessageBox::Cancel, Mb::Cancel}};
    case Mb::AbortRetryIgnore:
        return {{QMessageBox::Abort, Mb::Abort},
                {QMessageBox::Retry, Mb::Retry},
                {QMessageBox::Ignore, Mb::Ignore}};
    case Mb::YesNoCancel:
        return {{QMessageBox::Yes, Mb::Yes},
                {QMessageBox::No, Mb::No},
                {QMessageBox::Cancel, Mb::Cancel}};
    case Mb::YesNo:
        return {{QMessageBox::Yes, Mb::Yes}, {QMessageBox::No, Mb::No}};
    case Mb::RetryCancel:
        return {{QMessageBox::Retry, Mb::Retry}, {QMessageBox::Cancel, Mb::Cancel}};
    default:
        return {{QMessageBox::Ok, Mb::Ok}};
    }
}

// The width a title bar needs to show the title whole: the window manager
// draws it, in its own type, beside an icon and three buttons with room
// around each; six title-bar heights leave room for those on common ones.
int title_width(const QWidget* box, const QString& title) {
    QStyleOptionTitleBar o;
    o.initFrom(box);
    const int bar = box->style()->pixelMetric(QStyle::PM_TitleBarHeight, &o, box);
    QFont bold = box->font();
    bold.setBold(true);
    return QFontMetrics(bold).horizontalAdvance(title) + 6 * bar;
}

// What a box closed with Escape or its close box answers.
int cancelling_answer(int style) {
    const int kind = style & 0x0F;
    if (kind == Mb::OkOnly) return Mb::Ok;
    if (kind == Mb::YesNo) return Mb::No;
    return Mb::Cancel;
}

int show_box(const MsgBoxCall& call) {
    const std::unique_ptr<QMessageBox> made = Msg_Box_Window(call);
    QMessageBox& box = *made;
    const std::vector<Btn> buttons = buttons_of(call.style);
    const auto pressed = static_cast<QMessageBox::StandardButton>(box.exec());
    for (const Btn& b : buttons)
        if (b.qt == pressed) return b.answer;
    return cancelling_answer(call.style);
}
} // namespace

std::unique_ptr<QMessageBox> Msg_Box_Window(const MsgBoxCall& call) {
    auto made = std::make_unique<QMessageBox>(QApplication::activeWindow());
    QMessageBox& box = *made;
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
    const std::vector<Btn> buttons = buttons_of(call.style);
    QMessageBox::StandardButtons all;
    for (const Btn& b : buttons) all |= b.qt;
    box.setStandardButtons(all);
    box.setDefaultButton(buttons.begin()->qt);
    // A box is at least as wide as its title: a short text would cut it.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(title_width(&box, call.title), 0, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    return made;
}

int Msg_Box(const QString& text, int style, const QString& title) {
    // A handler whose window has gone meanwhile asks nothing more.
    if (Handler_Stopped()) return cancelling_answer(style);
    const MsgBoxCall call{text, style, title};
    if (handler_slot()) return handler_slot()(call);
    return show_box(call);
}

void Set_MsgBox_Handler(MsgBoxHandler handler) {
    handler_slot() = std::move(handler);
}
