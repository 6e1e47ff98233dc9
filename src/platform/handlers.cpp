#include "platform/handlers.h"
#include <QEvent>
#include <QWindow>
#include <algorithm>
#include <vector>

namespace {
struct Running {
    Form_Base* form; // nullptr: an event of no window of ours
    bool stopped;
};

// The handlers now running, the innermost last: each one that yields lies
// below the ones that run inside its yield.
std::vector<Running> g_running;
std::vector<Form_Base*> g_forms;
std::vector<QPointer<QWidget>> g_retired;
Form_Base* g_main = nullptr;

// Input and timer ticks: what would run a handler of the window.
bool handler_event(QEvent::Type t) {
    switch (t) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::Timer:
    case QEvent::MetaCall:
    case QEvent::Close:
        return true;
    default:
        return false;
    }
}
} // namespace

Form_Base::~Form_Base() {
    std::erase(g_forms, this);
    for (Running& r : g_running)
        if (r.form == this) r.form = nullptr;
    if (g_main == this) g_main = nullptr;
}

void Form_Base::Track(QWidget* window) {
    window_ = window;
    if (std::find(g_forms.begin(), g_forms.end(), this) == g_forms.end()) g_forms.push_back(this);
}

void Form_Base::Mark_Unloaded() {
    unloaded_ = true;
    for (Running& r : g_running)
        if (r.form == this) r.stopped = true;
}

bool Handler_Stopped() {
    if (g_main && g_main->Unloaded()) return true;
    return !g_running.empty() && g_running.back().stopped;
}

void Set_Main_Form(Form_Base* main) {
    g_main = main;
}

// The window an event belongs to: the nearest of ours up from its receiver,
// short of another top-level window (a message box, a menu). A platform
// window (a close from the window manager, input before it reaches a
// control) stands for its top-level widget.
Form_Base* Handler_Scope::Form_Of(QObject* receiver) {
    if (receiver->isWindowType()) {
        for (Form_Base* f : g_forms)
            if (f->window_ && f->window_->windowHandle() == receiver) return f;
        return nullptr;
    }
    for (QObject* o = receiver; o; o = o->parent()) {
        if (!o->isWidgetType()) continue;
        const auto own = std::find_if(g_forms.begin(), g_forms.end(),
                                      [o](const Form_Base* f) { return f->window_ == o; });
        if (own != g_forms.end()) return *own;
        if (static_cast<QWidget*>(o)->isWindow()) return nullptr;
    }
    return nullptr;
}

Handler_Scope::Handler_Scope(QObject* receiver, QEvent* event) {
    Form_Base* form = Form_Of(receiver);
    if (form) {
        const QEvent::Type t = event->type();
        refused_ =
            (form->unloaded_ && handler_event(t)) || (t == QEvent::Close && form->unloading_);
    }
    g_running.push_back({form, form && form->unloaded_});
}

Handler_Scope::~Handler_Scope() {
    g_running.pop_back();
    if (!g_running.empty() || g_retired.empty()) return;
    // Back where no handler runs: the event loop deletes them next.
    std::vector<QPointer<QWidget>> retired;
    retired.swap(g_retired);
    for (const QPointer<QWidget>& w : retired)
        if (w) w->deleteLater();
}

void Retire_Window(QWidget* window) {
    if (g_running.empty())
        delete window;
    else
        g_retired.emplace_back(window);
}
