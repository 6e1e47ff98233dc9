#pragma once
// Every window has one instance, made on first access of any kind; its load
// steps run then. Unloading runs its closing steps once and hides it at once;
// the next access makes a new window. An unloaded window lives on until no
// handler runs (platform/handlers.h).
#include "platform/handlers.h"
#include <QPointer>
#include <QWidget>

template <class T> class Form : public Form_Base {
  public:
    static T& get() {
        if (!instance_) {
            T* made = new T();
            instance_ = made;
            made->Track(made);
            // The instance is reachable before its load runs: load steps may
            // touch windows that in turn touch this one.
            made->Form_Load();
        }
        return *instance_;
    }
    static bool loaded() { return !instance_.isNull(); }
    static T* peek() { return instance_.data(); }
    // Destroys the window at once without its closing steps.
    static void Destroy_Instance() {
        if (!instance_) return;
        QWidget* outer = outer_of(instance_.data());
        instance_ = nullptr;
        delete outer;
    }

  protected:
    // The one way a window is unloaded, from its own handlers or from outside.
    void Unload_Form(void (T::*closing)()) {
        if (unloading_) return;
        unloading_ = true;
        T* self = static_cast<T*>(this);
        if (closing) (self->*closing)();
        Mark_Unloaded();
        if (instance_ == self) instance_ = nullptr;
        QWidget* outer = outer_of(self);
        // Its frame is ours to destroy, not the close's.
        outer->setAttribute(Qt::WA_DeleteOnClose, false);
        outer->hide();
        Retire_Window(outer);
    }
    static void Unload_Instance(void (T::*closing)()) {
        if (instance_) instance_->Unload_Form(closing);
    }

    inline static QPointer<T> instance_;

  private:
    // A window inside the document area goes with its frame.
    static QWidget* outer_of(T* w) {
        if constexpr (requires { w->frame(); })
            return w->frame();
        else
            return w;
    }
};
