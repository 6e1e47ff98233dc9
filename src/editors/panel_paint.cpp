#include "editors/panel_paint.h"
#include "app/app_style.h"
#include <QPaintEvent>
#include <QPainter>
#include <QWidget>
#include <cmath>

namespace Panel_Paint {

QFont Font(int px, bool bold, bool full_hinting) {
    QFont f("DejaVu Sans");
    f.setPixelSize(px);
    f.setBold(bold);
    f.setStretch(QFont::SemiCondensed);
    if (full_hinting) f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

QPixmap Brushed(int width, int height) {
    QPixmap pm(width, height);
    pm.fill(Face);
    QPainter p(&pm);
    p.setPen(QColor(0x33, 0x34, 0x38));
    for (int y = 0; y < height; y += 3) p.drawLine(0, y, width - 1, y);
    return pm;
}

void Title(QPainter& p, const QRect& bar, const QString& text, const QColor& accent,
           const QFont& font) {
    p.fillRect(bar, QColor(0x44, 0x46, 0x4C));
    p.fillRect(QRect(bar.left(), bar.top() + bar.height(), bar.width(), 1), accent);
    p.setPen(Ink);
    p.setFont(font);
    Draw_Caption(p, bar, Qt::AlignCenter, text);
}

void Label(QPainter& p, int cx, int y, const char* text) {
    p.setPen(Ink);
    p.setFont(Font(9, true, true));
    p.drawText(QRect(cx - 24, y, 48, 11), Qt::AlignHCenter | Qt::AlignBottom, text);
}

void Fader_Slot(QPainter& p, int left, int a, int b) {
    const int cx = left + 8;
    // Scale ticks on the left, a long one every fifth.
    p.setPen(QPen(Ink_Dim, 1));
    for (int k = 0; k <= 10; ++k) {
        const int y = b + 8 - k * 8;
        p.drawLine(left - (k % 5 == 0 ? 5 : 3), y, left - 1, y);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(Slot);
    p.drawRoundedRect(QRectF(cx - 2, a + 4, 4, b - a + 8), 2, 2);
}

void Divider(QPainter& p, int x0, int y0, int x1, int y1) {
    p.setPen(QPen(QColor(0x14, 0x14, 0x16), 1));
    p.drawLine(x0, y0, x1, y1);
    p.setPen(QPen(QColor(0x4A, 0x4C, 0x52), 1));
    p.drawLine(x0 + (x0 == x1), y0 + (y0 == y1), x1 + (x0 == x1), y1 + (y0 == y1));
}

void Plate_Rect(QPainter& p, const QRect& r) {
    p.setPen(QPen(QColor(0x0C, 0x0C, 0x0E), 1));
    p.setBrush(Plate);
    p.drawRoundedRect(r, 4, 4);
}

void Screw(QPainter& p, int x, int y) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x10, 0x10, 0x10), 1));
    p.setBrush(QColor(0x80, 0x82, 0x86));
    p.drawEllipse(QPointF(x, y), 3, 3);
    p.drawLine(QPointF(x - 2, y - 2), QPointF(x + 2, y + 2));
    p.setRenderHint(QPainter::Antialiasing, false);
}

void Knob_Ticks(QPainter& p, QPointF c, int steps, double per) {
    p.setRenderHint(QPainter::Antialiasing);
    for (int k = -steps / 2; k <= steps / 2; ++k) {
        const double a = (k * per - 90) * M_PI / 180.0;
        const bool major = k == 0 || std::abs(k) == steps / 2;
        const double r0 = 14.5, r1 = major ? 18.5 : 16.5;
        p.setPen(QPen(major ? Ink : Ink_Dim, major ? 1.4 : 1));
        p.drawLine(c + QPointF(r0 * std::cos(a), r0 * std::sin(a)),
                   c + QPointF(r1 * std::cos(a), r1 * std::sin(a)));
    }
    p.setRenderHint(QPainter::Antialiasing, false);
}

QPixmap Plate_Caption(const QString& text) {
    QPixmap pm(79, 14);
    pm.fill(Plate);
    QPainter p(&pm);
    QFont f("DejaVu Sans");
    f.setPixelSize(9);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Ink_Dim);
    p.drawText(QRect(0, 0, 79, 14), Qt::AlignCenter, text);
    return pm;
}

void Paint_Window(QWidget* window, const QPaintEvent* e, QPixmap& panel, QPixmap (*draw)()) {
    if (panel.isNull()) panel = draw();
    QPainter p(window);
    for (const QRect& r : e->region()) p.drawPixmap(r, panel, r);
}

} // namespace Panel_Paint
