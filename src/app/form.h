#pragma once
// Every window has one instance, made on first access of any kind; its load
// steps run then. Unloading destroys it; the next access makes it afresh.
#include <QPointer>

template <class T> class Form {
  public:
    static T& get() {
        if (!instance_) {
            T* made = new T();
            instance_ = made;
            // The instance is reachable before its load runs: load steps may
            // touch windows that in turn touch this one.
            made->Form_Load();
        }
        return *instance_;
    }
    static bool loaded() { return !instance_.isNull(); }
    static T* peek() { return instance_.data(); }
    // Destroys the window (and with it the instance) without its closing steps.
    static void Destroy_Instance() {
        if (!instance_) return;
        // A window inside the document area goes with its frame.
        if constexpr (requires(T * t) { t->frame(); })
            delete instance_->frame();
        else
            delete instance_.data();
        instance_ = nullptr;
    }

  protected:
    // Unloading that may start inside one of the window's own handlers: the
    // closing steps run once, the window hides at once and is deleted when the
    // event loop turns again, and the next access makes it afresh.
    void Unload_Later(void (T::*closing)()) {
        if (unloading_) return;
        unloading_ = true;
        T* self = static_cast<T*>(this);
        (self->*closing)();
        self->hide();
        instance_ = nullptr;
        self->deleteLater();
    }

    // Unloading from outside the window: the closing steps, then it goes at once.
    static void Unload_Now(void (T::*closing)()) {
        if (!instance_) return;
        T& w = *instance_;
        w.unloading_ = true;
        (w.*closing)();
        Destroy_Instance();
    }

    // A document window's close event: the closing steps once; the frame
    // deletes itself, and the next access makes a new window.
    void Close_Steps_Once(void (T::*closing)()) {
        if (unloading_) return;
        unloading_ = true;
        (static_cast<T*>(this)->*closing)();
        instance_ = nullptr;
    }

    inline static QPointer<T> instance_;
    bool unloading_ = false; // set once the closing steps have begun
};
