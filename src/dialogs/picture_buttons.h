#pragma once
// Push buttons, check boxes and option buttons drawn from the main window's
// picture stock, and the routines that press, release, check and select them.
#include <QPixmap>
#include <QString>
#include <QWidget>
#include <vector>

// A picture box: shows one picture at its top left corner.
class Picture_Box : public QWidget {
    Q_OBJECT
  public:
    explicit Picture_Box(QWidget* parent, const QString& name = {});
    void Set_Picture(const QPixmap& picture);
    const QPixmap& Picture() const { return picture_; }
    // Drawn only while the picture is empty, so the control stays readable.
    void Set_Fallback_Text(const QString& text);

  signals:
    void Mouse_Down();
    void Mouse_Up();
    void Click();
    void Dbl_Click();

  protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

  private:
    QPixmap picture_;
    QString fallback_;
    bool pressed_ = false;
};

// A 3-D button: the face with a caption picture on it, named after the button
// with "_Pic" appended. Clicks on the caption count as clicks on the face.
class Picture_Button : public Picture_Box {
    Q_OBJECT
  public:
    enum Kind { Button_3D, Dialog_OkCancel };
    Picture_Button(QWidget* parent, const QString& name, Kind kind, const QPixmap& caption = {});
    Picture_Box* Caption() const { return caption_; }
    Kind kind() const { return kind_; }
    // Drawn sunken while the face picture is empty.
    bool Shows_Pressed() const { return down_; }
    void Set_Face(const QPixmap& face, bool down);

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    Kind kind_;
    Picture_Box* caption_;
    bool down_ = false;
};

// A picture check box or one option of a group, 14 x 14 pixels. Its state is
// its tag (0 unchecked / not selected, 1 selected, 3 checked), which is also
// the element of the main window's LED array it shows while enabled.
class Picture_Check : public Picture_Box {
    Q_OBJECT
  public:
    enum Look { Off = 0, Selected = 1, Checked = 3, Disabled = 5 };
    Picture_Check(QWidget* parent, const QString& name, bool option = false);
    int State() const { return Tag.toInt(); }
    int Look_Index() const { return look_; }
    void Set_Look(int led_index);

    QString Tag = "0";

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    int look_ = 0;
    bool option_;
};

// A control array of options.
using Picture_Option_Group = std::vector<Picture_Check*>;

void Btn_Down(QWidget& button);
void Btn_Up(QWidget& button);
void Btn_OkCancel_Down(QWidget& button);
void Btn_OkCancel_Up(QWidget& button);

void CB_Toggle(Picture_Check& box);
void CB_Check(Picture_Check& box);
void CB_Uncheck(Picture_Check& box);
void CB_Disable(Picture_Check& box);
void CB_Enable(Picture_Check& box);
void OB_Select(Picture_Option_Group& group, int index);
void OB_Disable(Picture_Check& option);
void OB_Disable_All(Picture_Option_Group& group);
