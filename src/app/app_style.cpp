#include "app/app_style.h"
#include <QApplication>
#include <QPainter>

namespace {
const QColor Glyph(0x20, 0x20, 0x24);

QPixmap canvas() {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    return pm;
}

// The program's mark: a key of the panel between the logo's accent stripes.
QPixmap menu_mark() {
    QPixmap pm = canvas();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x0C, 0x0C, 0x0E), 1));
    p.setBrush(QColor(0x2E, 0x2F, 0x33));
    p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
    p.setPen(QPen(QColor(0x5C, 0xA8, 0xE0), 2));
    p.drawLine(QPointF(3, 4), QPointF(13, 4));
    p.drawLine(QPointF(3, 12), QPointF(13, 12));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xE6, 0xE6, 0xE0));
    p.drawRect(QRectF(5, 6.5, 6, 3));
    return pm;
}

QPixmap glyph(QStyle::StandardPixmap sp) {
    QPixmap pm = canvas();
    QPainter p(&pm);
    p.setPen(QPen(Glyph, 1.5));
    p.setBrush(Qt::NoBrush);
    switch (sp) {
    case QStyle::SP_TitleBarMinButton:
        p.drawLine(QPointF(4, 11.5), QPointF(12, 11.5));
        break;
    case QStyle::SP_TitleBarMaxButton:
        p.drawRect(QRectF(3.5, 3.5, 9, 9));
        break;
    case QStyle::SP_TitleBarNormalButton:
        p.drawRect(QRectF(3.5, 6.5, 6, 6));
        p.drawPolyline(QPolygonF({QPointF(6.5, 6.5), QPointF(6.5, 3.5), QPointF(12.5, 3.5),
                                  QPointF(12.5, 9.5), QPointF(9.5, 9.5)}));
        break;
    case QStyle::SP_TitleBarCloseButton:
        p.setRenderHint(QPainter::Antialiasing);
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        p.drawLine(QPointF(12, 4), QPointF(4, 12));
        break;
    case QStyle::SP_ToolBarHorizontalExtensionButton:
        // The menu bar's button for the items that no longer fit.
        p.setRenderHint(QPainter::Antialiasing);
        for (double x : {4.0, 8.5})
            p.drawPolyline(QPolygonF({QPointF(x, 4.5), QPointF(x + 3.5, 8), QPointF(x, 11.5)}));
        break;
    default:
        break;
    }
    return pm;
}

// The picture of sp at 16 x 16; null for the others.
QPixmap title_bar_picture(QStyle::StandardPixmap sp) {
    switch (sp) {
    case QStyle::SP_TitleBarMenuButton:
        return menu_mark();
    case QStyle::SP_TitleBarMinButton:
    case QStyle::SP_TitleBarMaxButton:
    case QStyle::SP_TitleBarNormalButton:
    case QStyle::SP_TitleBarCloseButton:
    case QStyle::SP_ToolBarHorizontalExtensionButton:
        return glyph(sp);
    default:
        return {};
    }
}
} // namespace

QIcon App_Style::standardIcon(StandardPixmap sp, const QStyleOption* option,
                              const QWidget* widget) const {
    static constexpr StandardPixmap kinds[] = {
        SP_TitleBarMenuButton,   SP_TitleBarMinButton,   SP_TitleBarMaxButton,
        SP_TitleBarNormalButton, SP_TitleBarCloseButton, SP_ToolBarHorizontalExtensionButton};
    static_assert(std::size(kinds) == std::tuple_size_v<decltype(icons_)>);
    for (std::size_t k = 0; k < std::size(kinds); ++k) {
        if (kinds[k] != sp) continue;
        if (icons_[k].isNull()) icons_[k] = QIcon(title_bar_picture(sp));
        return icons_[k];
    }
    return QProxyStyle::standardIcon(sp, option, widget);
}

void Install_App_Style() {
    if (!qobject_cast<App_Style*>(QApplication::style())) QApplication::setStyle(new App_Style);
}
