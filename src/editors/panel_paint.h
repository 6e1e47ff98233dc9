#pragma once
// The printed look every panel shares: palette, lettering, section titles,
// fader slots, plates and screws.
#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QPointF>
#include <QRect>

class QPaintEvent;
class QWidget;

class QPainter;
class QString;

namespace Panel_Paint {
inline const QColor Face(0x2E, 0x2F, 0x33);
inline const QColor Ink(0xE6, 0xE6, 0xE0);
inline const QColor Ink_Dim(0xA8, 0xAA, 0xA8);
inline const QColor Accent(0x5C, 0xA8, 0xE0);
inline const QColor Plate(0x1C, 0x1D, 0x20);
inline const QColor Slot(0x0A, 0x0A, 0x0C);

// The panels' typeface; the tone editors ask for full hinting, the patch
// windows draw with the system's choice.
QFont Font(int px, bool bold, bool full_hinting = false);
// The face of a panel: its colour with a faint brushed look of fine lines.
QPixmap Brushed(int width, int height);
// A section's title bar, underlined in the accent colour, the title centred.
void Title(QPainter& p, const QRect& bar, const QString& text, const QColor& accent,
           const QFont& font);
// A control's caption, centred on cx and standing on y + 11.
void Label(QPainter& p, int cx, int y, const char* text);
// A fader's slot and scale: cap tops from a to b, the cap 16 pixels wide at left.
void Fader_Slot(QPainter& p, int left, int a, int b);
// A sunken line between sections, from (x0, y0) to (x1, y1).
void Divider(QPainter& p, int x0, int y0, int x1, int y1);
// A plate that carries controls.
void Plate_Rect(QPainter& p, const QRect& r);
void Screw(QPainter& p, int x, int y);
// The ticks round a knob at c: steps + 1 of them, per degrees apart, the
// centre and both ends longer.
void Knob_Ticks(QPainter& p, QPointF c, int steps, double per);
// A small plate with a bold caption, as under the logo.
QPixmap Plate_Caption(const QString& text);

// Paints a window's panel under its controls. The panel is drawn when first
// seen (the editor of the other synthesizer may never be), then copied rect by
// rect: the bounding rect of a whole-tone redraw is the whole panel, which the
// painter would blend under a clip of many pieces.
void Paint_Window(QWidget* window, const QPaintEvent* e, QPixmap& panel, QPixmap (*draw)());
} // namespace Panel_Paint
