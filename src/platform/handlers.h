#pragma once
// The event loop's handlers and the windows they belong to.
//
// Handlers yield to the event loop (a send, a box, a wait) and other handlers
// run meanwhile, one of which may unload the window of the paused one. So an
// unloaded window is destroyed only once no handler runs any more, and the
// paused handler, when it resumes, sees Handler_Stopped() and ends there.
#include <QPointer>
#include <QWidget>

class QEvent;

class Form_Base {
  public:
    Form_Base(const Form_Base&) = delete;
    Form_Base& operator=(const Form_Base&) = delete;

    // The closing steps have run: its handlers stop and no input reaches it.
    bool Unloaded() const { return unloaded_; }

  protected:
    Form_Base() = default;
    virtual ~Form_Base();
    // Events to the window and to its controls are its handlers from now on.
    void Track(QWidget* window);
    // Stops the handlers of the window that are paused in a yield.
    void Mark_Unloaded();

    bool unloading_ = false; // the closing steps have begun

  private:
    friend class Handler_Scope;
    bool unloaded_ = false;
    QWidget* window_ = nullptr;
};

// Whether the handler now running must end at once: its window was unloaded
// while it waited in a yield, or the program has ended.
bool Handler_Stopped();
// The main window: once it is unloaded every handler stops.
void Set_Main_Form(Form_Base* main);

// One event's handler, run in the scope of the window it belongs to. The
// application's event delivery makes one for every event.
class Handler_Scope {
  public:
    Handler_Scope(QObject* receiver, QEvent* event);
    ~Handler_Scope();
    Handler_Scope(const Handler_Scope&) = delete;
    Handler_Scope& operator=(const Handler_Scope&) = delete;
    // The event is not to be delivered: input for an unloaded window, or a
    // close of a window whose closing is under way.
    bool Refused() const { return refused_; }

  private:
    static Form_Base* Form_Of(QObject* receiver);
    bool refused_ = false;
};

// Destroys a window now when no handler runs, else once the last one returned.
void Retire_Window(QWidget* window);
