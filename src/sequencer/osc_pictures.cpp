#include "sequencer/oscillator.h"
#include <QMouseEvent>
#include <QPainter>

namespace {
const QColor Step_Colour(0, 255, 255);
const QColor Marker_Colour(0, 255, 0);
const QColor Grid_Colour(128, 128, 128);
} // namespace

// ---------------------------------------------------------------------------

Osc_Picture::Osc_Picture(QWidget* parent) : QWidget(parent) {
    setObjectName("Picture1");
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void Osc_Picture::paintEvent(QPaintEvent*) {
    QPainter p(this);
    // A sunken one-pixel frame around the 128 x 128 pixels of the drawing.
    p.setPen(QColor(128, 128, 128));
    p.drawLine(0, 0, width() - 1, 0);
    p.drawLine(0, 0, 0, height() - 1);
    p.setPen(Qt::white);
    p.drawLine(width() - 1, 1, width() - 1, height() - 1);
    p.drawLine(1, height() - 1, width() - 1, height() - 1);
    p.fillRect(1, 1, width() - 2, height() - 2, Qt::black);
    p.setClipRect(1, 1, width() - 2, height() - 2);
    p.translate(1, 1);

    auto draw = [&p](const Osc_Line& l, const QColor& c) {
        if (!l.visible) return;
        p.setPen(c);
        p.drawLine(l.x1, l.y1, l.x2, l.y2);
    };
    for (const Osc_Line& l : VLine) draw(l, Grid_Colour);
    draw(HLine, Grid_Colour);
    draw(ZLine1, Grid_Colour);
    draw(ZLine2, Grid_Colour);
    draw(TimeLine, Marker_Colour);
    for (const Osc_Line& l : Line1) draw(l, Step_Colour);
}

void Osc_Picture::mousePressEvent(QMouseEvent* e) {
    // A click without moving sets the point under it too.
    const QPoint at = e->position().toPoint() - QPoint(1, 1);
    emit Mouse_Move(e->buttons(), at.x(), at.y());
}

void Osc_Picture::mouseMoveEvent(QMouseEvent* e) {
    const QPoint at = e->position().toPoint() - QPoint(1, 1);
    emit Mouse_Move(e->buttons(), at.x(), at.y());
}

void Osc_Picture::mouseReleaseEvent(QMouseEvent*) {
    emit Mouse_Up();
}

// ---------------------------------------------------------------------------

Osc_Bar::Osc_Bar(QWidget* parent, const QString& name, int top, int bottom, int page_step)
    : QScrollBar(Qt::Vertical, parent) {
    setObjectName(name);
    setRange(-top, -bottom);
    setSingleStep(1);
    setPageStep(page_step);
}

// ---------------------------------------------------------------------------

void Osc_Light::paintEvent(QPaintEvent* e) {
    if (!Picture().isNull()) {
        Picture_Check::paintEvent(e);
        return;
    }
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QColor lamp;
    switch (Look_Index()) {
    case 0:
        lamp = QColor(0x50, 0x10, 0x10);
        break;
    case 2:
        lamp = QColor(0xFF, 0xA0, 0x20);
        break; // a drawn shape
    case 5:
        lamp = QColor(0xA0, 0xA0, 0xA0);
        break;
    default:
        lamp = QColor(0xFF, 0x30, 0x30);
        break;
    }
    p.setPen(QPen(QColor(0x30, 0x30, 0x30), 1));
    p.setBrush(lamp);
    p.drawEllipse(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5));
}
