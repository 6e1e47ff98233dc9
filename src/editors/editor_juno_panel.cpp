// The printed face of the Alpha Juno tone editor: section titles, fader
// slots, lever marks and labels, in the look of the JX-8P editor's panel.
#include "editors/editor_juno.h"
#include <QFont>
#include <QPainter>

namespace {

const QColor Panel(0x2E, 0x2F, 0x33);
const QColor Ink(0xE6, 0xE6, 0xE0);
const QColor Ink_Dim(0xA8, 0xAA, 0xA8);
const QColor Accent(0x5C, 0xA8, 0xE0);
const QColor Plate(0x1C, 0x1D, 0x20);
const QColor Slot(0x0A, 0x0A, 0x0C);

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

const Section sections[] = {
    {"DCO", 4, 524, 2},      {"VCF", 4, 270, 136}, {"VCA", 274, 410, 136},
    {"LFO", 414, 524, 136},  {"ENV", 4, 246, 270}, {"CHORUS", 250, 330, 270},
    {"BEND", 334, 376, 270},
};

void title(QPainter& p, const Section& s) {
    const QRect bar(s.x0, s.y0, s.x1 - s.x0, 13);
    p.fillRect(bar, QColor(0x44, 0x46, 0x4C));
    p.fillRect(QRect(s.x0, s.y0 + 13, s.x1 - s.x0, 1), Accent);
    p.setPen(Ink);
    p.setFont(panel_font(10, true));
    p.drawText(bar, Qt::AlignCenter, s.title);
}

void label(QPainter& p, int cx, int y, const char* text) {
    p.setPen(Ink);
    p.setFont(panel_font(9, true));
    p.drawText(QRect(cx - 24, y, 48, 11), Qt::AlignHCenter | Qt::AlignBottom, text);
}

void fader_slot(QPainter& p, const Juno_Control_Spec& s) {
    const int cx = s.left + 8;
    // A is passed to the handlers but not used; the travel is the 80 pixels above B.
    const int top = s.b - 80;
    p.setPen(QPen(Ink_Dim, 1));
    for (int k = 0; k <= 10; ++k) {
        const int y = s.b + 8 - k * 8;
        p.drawLine(s.left - (k % 5 == 0 ? 5 : 3), y, s.left - 1, y);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(Slot);
    p.drawRoundedRect(QRectF(cx - 2, top + 4, 4, 88), 2, 2);
    label(p, cx, top - 13, s.label);
}

// The cap's top for value v, as the window's own redraw places it.
int lever_top(const Juno_Control_Spec& s, int v) {
    if (s.param == 35) return s.b - 2 * v;
    return s.reversed ? s.a + 10 * v : s.b - 10 * v;
}

void lever_slot(QPainter& p, const Juno_Control_Spec& s) {
    const int highest = std::min(lever_top(s, 0), lever_top(s, s.max));
    const int lowest = std::max(lever_top(s, 0), lever_top(s, s.max));
    p.setPen(Qt::NoPen);
    p.setBrush(Slot);
    p.drawRoundedRect(QRectF(s.left + 5, highest + 3, 6, lowest - highest + 10), 3, 3);
    p.setFont(panel_font(8, false));
    for (int v = 0; v <= s.max; ++v) {
        const char* m = s.marks[v];
        if (!m) continue;
        const int y = lever_top(s, v) + 8;
        p.setPen(Ink);
        p.drawText(QRect(s.left + 18, y - 5, 28, 10), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromUtf8(m));
    }
    label(p, s.left + 8, highest - 13, s.label);
}

void screw(QPainter& p, int x, int y) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x10, 0x10, 0x10), 1));
    p.setBrush(QColor(0x80, 0x82, 0x86));
    p.drawEllipse(QPointF(x, y), 3, 3);
    p.drawLine(QPointF(x - 2, y - 2), QPointF(x + 2, y + 2));
    p.setRenderHint(QPainter::Antialiasing, false);
}

void plate(QPainter& p, const QRect& r) {
    p.setPen(QPen(QColor(0x0C, 0x0C, 0x0E), 1));
    p.setBrush(Plate);
    p.drawRoundedRect(r, 4, 4);
}

} // namespace

QPixmap Juno_Panel_Picture() {
    QPixmap pm(528, 412);
    pm.fill(Panel);
    QPainter p(&pm);
    p.setPen(QColor(0x33, 0x34, 0x38));
    for (int y = 0; y < pm.height(); y += 3) p.drawLine(0, y, 527, y);

    for (const Section& s : sections) title(p, s);
    // Dividers: the three rows, the groups of the DCO row and the sections below.
    const auto divider = [&p](int x0, int y0, int x1, int y1) {
        p.setPen(QPen(QColor(0x14, 0x14, 0x16), 1));
        p.drawLine(x0, y0, x1, y1);
        p.setPen(QPen(QColor(0x4A, 0x4C, 0x52), 1));
        p.drawLine(x0 + (x0 == x1), y0 + (y0 == y1), x1 + (x0 == x1), y1 + (y0 == y1));
    };
    divider(0, 133, 527, 133);
    divider(0, 267, 527, 267);
    for (int x : {223, 323}) divider(x, 17, x, 131);
    for (int x : {271, 411}) divider(x, 136, x, 265);
    for (int x : {247, 331, 377}) divider(x, 270, x, 411);

    for (const Juno_Control_Spec& s : Juno_Controls) {
        if (s.kind == Juno_Kind::Fader)
            fader_slot(p, s);
        else
            lever_slot(p, s);
    }

    // The plate of the audition key and the sequencer buttons.
    plate(p, QRect(224, 102, 99, 30));
    // The plate of the logo and the name box.
    plate(p, QRect(380, 271, 147, 138));
    p.setFont(panel_font(8, true));
    p.setPen(Ink_Dim);
    p.drawText(QRect(380, 365, 121, 11), Qt::AlignCenter, "TONE NAME");

    for (QPoint s : {QPoint(6, 405), QPoint(370, 405), QPoint(520, 128), QPoint(6, 128)})
        screw(p, s.x(), s.y());
    return pm;
}

QPixmap Juno_Orvel_Picture() {
    QPixmap pm(79, 14);
    pm.fill(Plate);
    QPainter p(&pm);
    QFont f("DejaVu Sans");
    f.setPixelSize(9);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Ink_Dim);
    p.drawText(QRect(0, 0, 79, 14), Qt::AlignCenter, "ALPHA JUNO");
    return pm;
}
