#pragma once
// The program's style: the platform's own, except that the pictures of the
// document windows' title bars and system menus, and the menu bar's overflow
// button, are drawn by our code. The
// platform reads those from image files, which costs every start the loading
// of the image readers.
#include <QIcon>
#include <QProxyStyle>
#include <QRect>
#include <QString>
#include <array>
#include <vector>

class App_Style : public QProxyStyle {
    Q_OBJECT
  public:
    QIcon standardIcon(StandardPixmap sp, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
    // Combo box arrows, scroll bars, sliders and document windows' title bars
    // and frames keep their 96-ppi sizes on any screen: windows fixed in
    // pixels keep room for their controls and texts.
    QRect subControlRect(ComplexControl cc, const QStyleOptionComplex* option, SubControl sc,
                         const QWidget* widget = nullptr) const override;
    void drawComplexControl(ComplexControl cc, const QStyleOptionComplex* option, QPainter* p,
                            const QWidget* widget = nullptr) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;

  private:
    // Every document window asks for these when it is made: drawn once.
    mutable std::array<QIcon, 6> icons_;
};

// Makes App_Style the application's style, once.
void Install_App_Style();

// The font of size points as it is drawn at 96 ppi, in pixels: windows whose
// controls are placed in pixels keep the text the size their layout was made
// for on a screen of any density. Without points, the application's font.
QFont Pixel_Font(double points = 0);
// Gives the window, and the controls in it that set no font of their own,
// the application's font at its 96-ppi pixel size.
void Keep_Text_Pixels(QWidget* window);

// A text the program paints itself, as it lands on its paint device.
struct Painted_Caption {
    const QPaintDevice* device;
    QRect ink;   // where its glyphs fall, in the device's pixels
    QRect shown; // the part of them that the room does not clip
    QString text;
    QRect room; // the room it was given, in the device's pixels
};

// Paints text into room as QPainter::drawText does. Every caption the program
// paints goes through here, so that a check can list where each one falls.
void Draw_Caption(QPainter& p, const QRect& room, int flags, const QString& text);

// Lists the captions painted while it lives (one at a time).
class Caption_Log {
  public:
    Caption_Log();
    ~Caption_Log();
    Caption_Log(const Caption_Log&) = delete;
    Caption_Log& operator=(const Caption_Log&) = delete;
    std::vector<Painted_Caption> captions;
    // The caption of this place in the list is listed but not painted: the
    // pixels that differ from the picture with it are the ones it paints.
    int leave_out = -1;
};
