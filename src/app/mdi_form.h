#pragma once
// A window that lives inside the main window's document area.
#include <QMdiSubWindow>
#include <QWidget>

class Mdi_Form : public QWidget {
    Q_OBJECT
  public:
    explicit Mdi_Form(const QString& caption, bool fixedSize = true);
    ~Mdi_Form() override;

    QMdiSubWindow* frame() const { return frame_; }
    void Form_Show();
    void Form_Hide();
    // Outer size and position in pixels, frame included.
    void Set_Outer_Size(int width, int height);
    void Move_To(int left, int top);
    void Set_Caption(const QString& caption);

    // Run as the window becomes the document area's active one, and as another does.
    virtual void Form_Activate() {}
    virtual void Form_Deactivate() {}

  protected:
    // Calls Form_Activate and Form_Deactivate from now on, once each way.
    void Track_Activation();

  private:
    void Keep_In_Sight();

    QMdiSubWindow* frame_;
    bool active_ = false;
};
