// The printed face of the Alpha Juno tone editor: section titles, fader
// slots, lever marks and labels, in the look of the JX-8P editor's panel.
#include "editors/editor_juno.h"
#include "editors/panel_paint.h"
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <span>

using namespace Panel_Paint;

namespace {

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
    Title(p, QRect(s.x0, s.y0, s.x1 - s.x0, 13), s.title, Accent, Font(10, true, true));
}

// A control's caption, centred on it unless that would touch a divider of
// its row or the panel's edge: then moved just clear of it.
void caption(QPainter& p, int cx, int y, const char* text) {
    static const int top_row[] = {223, 323}, middle_row[] = {271, 411},
                     bottom_row[] = {247, 331, 377};
    const auto& dividers = y < 133   ? std::span<const int>(top_row)
                           : y < 267 ? std::span<const int>(middle_row)
                                     : std::span<const int>(bottom_row);
    int lo = 2, hi = 525;
    for (int d : dividers) {
        if (d < cx)
            lo = std::max(lo, d + 4);
        else
            hi = std::min(hi, d - 3);
    }
    const int w = QFontMetrics(Font(9, true, true)).horizontalAdvance(QString::fromUtf8(text));
    if (w <= hi - lo) cx = std::clamp(cx, lo + w / 2, hi - (w - w / 2));
    Label(p, cx, y, text);
}

void fader_slot(QPainter& p, const Juno_Control_Spec& s) {
    Fader_Slot(p, s.left, s.travel_top, s.travel_bottom);
    caption(p, s.left + 8, s.travel_top - 13, s.label);
}

void lever_slot(QPainter& p, const Juno_Control_Spec& s) {
    const int highest = s.travel_top, lowest = s.travel_bottom;
    p.setPen(Qt::NoPen);
    p.setBrush(Slot);
    p.drawRoundedRect(QRectF(s.left + 5, highest + 3, 6, lowest - highest + 10), 3, 3);
    p.setFont(Font(8, false, true));
    for (int v = 0; v <= s.max; ++v) {
        const char* m = s.marks[v];
        if (!m) continue;
        const int y = Juno_Cap_Top(s, v) + 8;
        p.setPen(Ink);
        p.drawText(QRect(s.left + 18, y - 5, 28, 10), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromUtf8(m));
    }
    caption(p, s.left + 8, highest - 13, s.label);
}

} // namespace

QPixmap Juno_Panel_Picture() {
    QPixmap pm = Brushed(528, 412);
    QPainter p(&pm);

    for (const Section& s : sections) title(p, s);
    // Dividers: the three rows, the groups of the DCO row and the sections below.
    Divider(p, 0, 133, 527, 133);
    Divider(p, 0, 267, 527, 267);
    for (int x : {223, 323}) Divider(p, x, 17, x, 131);
    for (int x : {271, 411}) Divider(p, x, 136, x, 265);
    for (int x : {247, 331, 377}) Divider(p, x, 270, x, 411);

    for (const Juno_Control_Spec& s : Juno_Controls) {
        if (s.kind == Juno_Kind::Fader)
            fader_slot(p, s);
        else
            lever_slot(p, s);
    }

    // The plate of the audition key and the sequencer buttons.
    Plate_Rect(p, QRect(224, 102, 99, 30));
    // The plate of the logo and the name box.
    Plate_Rect(p, QRect(380, 271, 147, 138));
    p.setFont(Font(8, true, true));
    p.setPen(Ink_Dim);
    p.drawText(QRect(380, 365, 121, 11), Qt::AlignCenter, "TONE NAME");

    for (QPoint s : {QPoint(6, 405), QPoint(370, 405), QPoint(520, 128), QPoint(6, 128)})
        Screw(p, s.x(), s.y());
    return pm;
}

QPixmap Juno_Orvel_Picture() {
    return Plate_Caption("ALPHA JUNO");
}
