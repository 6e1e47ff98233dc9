// The printed face of the JX-8P tone editor: section titles, fader slots,
// lever marks and labels, drawn once behind the controls.
#include "editors/editor.h"
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace {

const QColor Panel(0x2E, 0x2F, 0x33);
const QColor Ink(0xE6, 0xE6, 0xE0);
const QColor Ink_Dim(0xA8, 0xAA, 0xA8);
const QColor Accent(0x5C, 0xA8, 0xE0);
const QColor Plate(0x1C, 0x1D, 0x20);

QFont panel_font(int px, bool bold) {
    QFont f("DejaVu Sans");
    f.setPixelSize(px);
    f.setBold(bold);
    f.setStretch(QFont::SemiCondensed);
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

struct Section {
    const char* title;
    int x0, x1, y0;
};

// Titles of the upper and lower rows of sections.
const Section sections[] = {
    {"DCO-1", 4, 100, 2},     {"DCO-2", 104, 240, 2},   {"MIXER", 244, 340, 2},
    {"VCF", 344, 470, 2},     {"VCA", 474, 524, 2},     {"LFO", 4, 118, 330},
    {"ENV-1", 122, 300, 330}, {"ENV-2", 304, 482, 330}, {"CHORUS", 486, 524, 330},
};

void title(QPainter& p, const Section& s) {
    const QRect bar(s.x0, s.y0, s.x1 - s.x0, 13);
    p.fillRect(bar, QColor(0x44, 0x46, 0x4C));
    p.fillRect(QRect(s.x0, s.y0 + 13, s.x1 - s.x0, 1), Accent);
    p.setPen(Ink);
    // Narrow sections get a smaller type rather than a clipped title.
    int px = 10;
    while (px > 7 &&
           QFontMetrics(panel_font(px, true)).horizontalAdvance(s.title) > bar.width() - 2)
        --px;
    p.setFont(panel_font(px, true));
    p.drawText(bar, Qt::AlignCenter, s.title);
}

void fader_slot(QPainter& p, int left, int a, int b) {
    const int cx = left + 8;
    // Scale ticks on the left, a long one every fifth.
    p.setPen(QPen(Ink_Dim, 1));
    for (int k = 0; k <= 10; ++k) {
        const int y = b + 8 - k * 8;
        const int len = (k % 5 == 0) ? 5 : 3;
        p.drawLine(left - len, y, left - 1, y);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x0A, 0x0A, 0x0C));
    p.drawRoundedRect(QRectF(cx - 2, a + 4, 4, b - a + 8), 2, 2);
}

void lever_slot(QPainter& p, const Tone_Control_Spec& s, int positions) {
    const int cx = s.left + 8;
    const int span = (positions - 1) * 10;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x0A, 0x0A, 0x0C));
    p.drawRoundedRect(QRectF(cx - 3, s.a + 3, 6, span + 10), 3, 3);
    p.setFont(panel_font(8, false));
    for (int i = 0; i < positions; ++i) {
        const int y = s.a + 8 + (positions - 1 - i) * 10;
        const bool right = s.mark_side >= 0;
        p.setPen(QPen(Ink_Dim, 1));
        // A short tick, then a gap, so a mark never reads as a minus sign.
        if (right)
            p.drawLine(s.left + 17, y, s.left + 18, y);
        else
            p.drawLine(s.left - 3, y, s.left - 2, y);
        if (const char* m = s.marks[i]) {
            p.setPen(Ink);
            const QRect r =
                right ? QRect(s.left + 20, y - 5, 26, 10) : QRect(s.left - 30, y - 5, 27, 10);
            p.drawText(r, (right ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter,
                       QString::fromUtf8(m));
        }
    }
}

void knob_scale(QPainter& p, const Tone_Control_Spec& s) {
    const QPointF c(s.left + 14, s.top + 12);
    const bool fine = s.kind == Ctl_Kind::Knob_Fine;
    const int steps = fine ? 10 : 12;
    const double per = fine ? 30.0 : 24.0; // degrees between ticks
    p.setRenderHint(QPainter::Antialiasing);
    for (int k = -steps / 2; k <= steps / 2; ++k) {
        const double deg = k * per;
        const double a = (deg - 90) * M_PI / 180.0;
        const bool major = k == 0 || std::abs(k) == steps / 2;
        const double r0 = 14.5, r1 = major ? 18.5 : 16.5;
        p.setPen(QPen(major ? Ink : Ink_Dim, major ? 1.4 : 1));
        p.drawLine(c + QPointF(r0 * std::cos(a), r0 * std::sin(a)),
                   c + QPointF(r1 * std::cos(a), r1 * std::sin(a)));
    }
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setFont(panel_font(7, false));
    p.setPen(Ink_Dim);
    const QString lo = fine ? "-50" : "-12", hi = fine ? "+50" : "+12";
    p.drawText(QRectF(c.x() - 30, c.y() + 10, 18, 9), Qt::AlignRight, lo);
    p.drawText(QRectF(c.x() + 12, c.y() + 10, 18, 9), Qt::AlignLeft, hi);
}

void label(QPainter& p, int cx, int y, const char* text) {
    p.setPen(Ink);
    p.setFont(panel_font(9, true));
    p.drawText(QRect(cx - 24, y, 48, 11), Qt::AlignHCenter | Qt::AlignBottom, text);
}

void screw(QPainter& p, int x, int y) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x10, 0x10, 0x10), 1));
    p.setBrush(QColor(0x80, 0x82, 0x86));
    p.drawEllipse(QPointF(x, y), 3, 3);
    p.drawLine(QPointF(x - 2, y - 2), QPointF(x + 2, y + 2));
    p.setRenderHint(QPainter::Antialiasing, false);
}

} // namespace

QPixmap Editor_Panel_Picture() {
    QPixmap pm(528, 456);
    pm.fill(Panel);
    QPainter p(&pm);
    // A faint brushed look: fine horizontal lines.
    p.setPen(QColor(0x33, 0x34, 0x38));
    for (int y = 0; y < 456; y += 3) p.drawLine(0, y, 527, y);

    for (const Section& s : sections) title(p, s);
    // Dividers between the sections.
    p.setPen(QPen(QColor(0x14, 0x14, 0x16), 1));
    for (int x : {102, 242, 342, 472}) p.drawLine(x, 2, x, 326);
    p.drawLine(0, 327, 527, 327);
    for (int x : {120, 302, 484}) p.drawLine(x, 330, x, 455);
    p.setPen(QPen(QColor(0x4A, 0x4C, 0x52), 1));
    for (int x : {103, 243, 343, 473}) p.drawLine(x, 2, x, 326);
    p.drawLine(0, 328, 527, 328);
    for (int x : {121, 303, 485}) p.drawLine(x, 330, x, 455);

    for (const Tone_Control_Spec& s : Tone_Controls) {
        switch (s.kind) {
        case Ctl_Kind::Fader:
            fader_slot(p, s.left, s.a, s.b);
            label(p, s.left + 8, s.a - 13, s.label);
            break;
        case Ctl_Kind::Lever4:
            lever_slot(p, s, 4);
            label(p, s.left + 8, s.a - 13, s.label);
            break;
        case Ctl_Kind::Lever3:
            lever_slot(p, s, 3);
            label(p, s.left + 8, s.a - 13, s.label);
            break;
        case Ctl_Kind::Toggle:
            lever_slot(p, s, 2);
            label(p, s.left + 8, s.a - 13, s.label);
            break;
        case Ctl_Kind::Knob_Tune:
        case Ctl_Kind::Knob_Fine:
            knob_scale(p, s);
            label(p, s.layout_left + 14, s.top - 20, s.label);
            break;
        }
    }

    // The plate that carries the logo, the audition key and the sequencer buttons.
    p.setPen(QPen(QColor(0x0C, 0x0C, 0x0E), 1));
    p.setBrush(Plate);
    p.drawRoundedRect(QRect(177, 146, 118, 104), 4, 4);
    p.setPen(QPen(QColor(0x48, 0x4A, 0x50), 1));
    p.drawLine(180, 249, 292, 249);

    // The name display's caption.
    p.setFont(panel_font(8, true));
    p.setPen(Ink_Dim);
    p.drawText(QRect(100, 279, 121, 11), Qt::AlignCenter, "TONE NAME");

    for (QPoint s : {QPoint(6, 450), QPoint(521, 450), QPoint(112, 268), QPoint(232, 268)})
        screw(p, s.x(), s.y());
    return pm;
}

QPixmap Quorlen_Logo_Picture() {
    QPixmap pm(110, 50);
    pm.fill(Plate);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QFont f("DejaVu Sans");
    f.setPixelSize(22);
    f.setBold(true);
    f.setItalic(true);
    f.setLetterSpacing(QFont::AbsoluteSpacing, 1);
    p.setFont(f);
    p.setPen(Ink);
    p.drawText(QRect(0, 2, 110, 30), Qt::AlignCenter, "Quorlen");
    // Three stripes under the name, in the accent colour.
    for (int i = 0; i < 3; ++i) {
        p.setPen(QPen(i == 1 ? Accent : Accent.darker(150), 2));
        p.drawLine(QPointF(14 + i * 4, 36 + i * 4), QPointF(96 - i * 4, 36 + i * 4));
    }
    return pm;
}

QPixmap Orvel_Logo_Picture() {
    QPixmap pm(79, 14);
    pm.fill(Plate);
    QPainter p(&pm);
    QFont f("DejaVu Sans");
    f.setPixelSize(9);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Ink_Dim);
    p.drawText(QRect(0, 0, 79, 14), Qt::AlignCenter, "JX-8P  MKS-70");
    return pm;
}
