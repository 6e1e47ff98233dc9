#include "app/mdi_form.h"
#include "app/app_style.h"
#include "app/quorlen.h"
#include <QMdiArea>

Mdi_Form::Mdi_Form(const QString& caption, bool fixedSize) {
    Qt::WindowFlags flags = Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint;
    if (!fixedSize) flags |= Qt::WindowMinMaxButtonsHint;
    frame_ = Quorlen::get().Mdi_Area()->addSubWindow(this, flags);
    frame_->setWindowTitle(caption);
    // Its outer size is fixed in pixels: a title bar grown with the text
    // would take the room of the controls.
    Keep_Text_Pixels(frame_);
    frame_->hide();
}

Mdi_Form::~Mdi_Form() = default;

void Mdi_Form::Form_Show() {
    // A frame made before its window had its size would open as a bare title bar.
    const QSize want = frame_->sizeHint();
    if (frame_->width() < want.width() || frame_->height() < want.height()) frame_->adjustSize();
    const bool opening = frame_->isHidden();
    frame_->show();
    if (opening) Keep_In_Sight();
    frame_->raise();
}

// The document area shows no scroll bars: a window placed beyond its edge,
// as the area places a new one below the others, could not be reached. It
// opens at the top left instead, as the windows with no stored place do.
void Mdi_Form::Keep_In_Sight() {
    const QWidget* area = frame_->parentWidget();
    if (area && area->isVisible() && !area->rect().contains(frame_->geometry())) frame_->move(0, 0);
}
void Mdi_Form::Form_Hide() {
    frame_->hide();
}

void Mdi_Form::Set_Outer_Size(int width, int height) {
    frame_->setFixedSize(width, height);
}
void Mdi_Form::Move_To(int left, int top) {
    frame_->move(left, top);
}
void Mdi_Form::Track_Activation() {
    connect(Quorlen::get().Mdi_Area(), &QMdiArea::subWindowActivated, this,
            [this](QMdiSubWindow* w) {
                if (w == frame_) {
                    if (!active_) Form_Activate();
                    active_ = true;
                } else if (active_) {
                    active_ = false;
                    Form_Deactivate();
                }
            });
}

void Mdi_Form::Set_Caption(const QString& caption) {
    frame_->setWindowTitle(caption);
}
