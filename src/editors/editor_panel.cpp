// The printed face of the JX-8P tone editor: section titles, fader slots,
// lever marks and labels, drawn once behind the controls.
#include "editors/editor.h"
#include "editors/panel_paint.h"
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <iterator>

using namespace Panel_Paint;

namespace {

QFont panel_font(int px, bool bold) {
    return Font(px, bold, true);
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
    // Narrow sections get a smaller type rather than a clipped title.
    int px = 10;
    while (px > 7 &&
           QFontMetrics(panel_font(px, true)).horizontalAdvance(s.title) > bar.width() - 2)
        --px;
    Title(p, bar, s.title, Accent, panel_font(px, true));
}

// Where the marks of a lever may stand: between the section dividers of its
// row, or the panel's edges, with a pixel of air, and the lever's ticks; a
// lever without ticks lends its marks their room.
struct Mark_Room {
    int left, right; // inclusive
};
Mark_Room mark_room(const Tone_Control_Spec& s, bool ticks) {
    static const int upper[] = {0, 102, 242, 342, 472, 527};
    static const int lower[] = {0, 120, 302, 484, 527};
    const bool top_row = s.top < 327;
    const int* begin = top_row ? std::begin(upper) : std::begin(lower);
    const int* end = top_row ? std::end(upper) : std::end(lower);
    int lo = 0, hi = 527;
    for (const int* d = begin; d != end; ++d) {
        if (*d <= s.left) lo = *d;
        if (*d > s.left && hi == 527) hi = *d;
    }
    // A divider is two pixels wide; the panel's edge is one.
    const int first = lo == 0 ? 2 : lo + 3;
    const int last = hi == 527 ? 525 : hi - 2;
    if (s.mark_side >= 0) return {s.left + (ticks ? 20 : 15), last};
    return {first, s.left - (ticks ? 4 : 0)};
}

int ink_width(const QFontMetrics& m, const QString& text) {
    return std::max(m.horizontalAdvance(text), m.tightBoundingRect(text).right() + 1);
}

// A lever's marks share one type and one room: the panel's type beside ticks
// where the widest mark fits, else without ticks, else narrower, else smaller.
struct Mark_Look {
    QFont font;
    bool ticks;
    Mark_Room room;
};
Mark_Look mark_look(const Tone_Control_Spec& s, int positions) {
    struct Try {
        int px, stretch;
        bool ticks;
    };
    static constexpr Try tries[] = {
        {8, QFont::SemiCondensed, true}, {8, QFont::SemiCondensed, false},
        {8, QFont::Condensed, true},     {8, QFont::Condensed, false},
        {7, QFont::Condensed, false},
    };
    Mark_Look look;
    for (const Try& t : tries) {
        look = {panel_font(t.px, false), t.ticks, mark_room(s, t.ticks)};
        look.font.setStretch(t.stretch);
        const QFontMetrics m(look.font);
        bool fits = true;
        for (int i = 0; i < positions; ++i)
            if (const char* text = s.marks[i])
                fits = fits && ink_width(m, QString::fromUtf8(text)) <=
                                   look.room.right - look.room.left + 1;
        if (fits) break;
    }
    return look;
}

void lever_slot(QPainter& p, const Tone_Control_Spec& s, int positions) {
    const int cx = s.left + 8;
    const int span = (positions - 1) * 10;
    p.setPen(Qt::NoPen);
    p.setBrush(Slot);
    p.drawRoundedRect(QRectF(cx - 3, s.travel_top + 3, 6, span + 10), 3, 3);
    const Mark_Look look = mark_look(s, positions);
    p.setFont(look.font);
    const bool right = s.mark_side >= 0;
    for (int i = 0; i < positions; ++i) {
        const int y = s.travel_top + 8 + (positions - 1 - i) * 10;
        p.setPen(QPen(Ink_Dim, 1));
        // A short tick, then a gap, so a mark never reads as a minus sign.
        if (look.ticks) {
            if (right)
                p.drawLine(s.left + 17, y, s.left + 18, y);
            else
                p.drawLine(s.left - 3, y, s.left - 2, y);
        }
        if (const char* m = s.marks[i]) {
            p.setPen(Ink);
            const QRect r(look.room.left, y - 5, look.room.right - look.room.left + 1, 10);
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
    Knob_Ticks(p, c, steps, per);
    p.setFont(panel_font(7, false));
    p.setPen(Ink_Dim);
    const QString lo = fine ? "-50" : "-12", hi = fine ? "+50" : "+12";
    p.drawText(QRectF(c.x() - 30, c.y() + 10, 18, 9), Qt::AlignRight, lo);
    p.drawText(QRectF(c.x() + 12, c.y() + 10, 18, 9), Qt::AlignLeft, hi);
}

} // namespace

QPixmap Editor_Panel_Picture() {
    QPixmap pm = Brushed(528, 456);
    QPainter p(&pm);

    for (const Section& s : sections) title(p, s);
    // Dividers between the sections.
    for (int x : {102, 242, 342, 472}) Divider(p, x, 2, x, 326);
    Divider(p, 0, 327, 527, 327);
    for (int x : {120, 302, 484}) Divider(p, x, 330, x, 455);

    for (const Tone_Control_Spec& s : Tone_Controls) {
        switch (s.kind) {
        case Ctl_Kind::Fader:
            Fader_Slot(p, s.left, s.travel_top, s.travel_bottom);
            Label(p, s.left + 8, s.travel_top - 13, s.label);
            break;
        case Ctl_Kind::Lever4:
            lever_slot(p, s, 4);
            Label(p, s.left + 8, s.travel_top - 13, s.label);
            break;
        case Ctl_Kind::Lever3:
            lever_slot(p, s, 3);
            Label(p, s.left + 8, s.travel_top - 13, s.label);
            break;
        case Ctl_Kind::Toggle:
            lever_slot(p, s, 2);
            Label(p, s.left + 8, s.travel_top - 13, s.label);
            break;
        case Ctl_Kind::Knob_Tune:
        case Ctl_Kind::Knob_Fine:
            knob_scale(p, s);
            Label(p, s.layout_left + 14, s.top - 20, s.label);
            break;
        }
    }

    // The plate that carries the logo, the audition key and the sequencer buttons.
    Plate_Rect(p, QRect(177, 146, 118, 104));
    p.setPen(QPen(QColor(0x48, 0x4A, 0x50), 1));
    p.drawLine(180, 249, 292, 249);

    // The name display's caption.
    p.setFont(panel_font(8, true));
    p.setPen(Ink_Dim);
    p.drawText(QRect(100, 279, 121, 11), Qt::AlignCenter, "TONE NAME");

    for (QPoint s : {QPoint(6, 450), QPoint(521, 450), QPoint(112, 268), QPoint(232, 268)})
        Screw(p, s.x(), s.y());
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
    return Plate_Caption("JX-8P  MKS-70");
}
