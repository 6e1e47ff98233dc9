#include "app/app_style.h"
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QStyleOptionComboBox>
#include <QStyleOptionSlider>
#include <QStyleOptionTitleBar>
#include <cmath>

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

namespace {
// The base style scales these by the density of the option's font.
bool kept_at_96(QStyle::ComplexControl cc) {
    return cc == QStyle::CC_ComboBox || cc == QStyle::CC_TitleBar || cc == QStyle::CC_ScrollBar ||
           cc == QStyle::CC_Slider;
}

QFontMetrics metrics_at_96(const QWidget* widget) {
    static const QImage probe = [] {
        QImage im(1, 1, QImage::Format_ARGB32);
        im.setDotsPerMeterX(3780); // 96 per inch
        im.setDotsPerMeterY(3780);
        return im;
    }();
    return QFontMetrics(widget ? widget->font() : QApplication::font(), &probe);
}

// The option as the base style would get it on a 96-ppi screen.
template <class T> T at_96(const T& option, const QWidget* widget) {
    T copy(option);
    copy.fontMetrics = metrics_at_96(widget);
    return copy;
}

template <class F> auto with_96(const QStyleOptionComplex* option, const QWidget* widget, F call) {
    if (const auto* o = qstyleoption_cast<const QStyleOptionComboBox*>(option)) {
        const QStyleOptionComboBox copy = at_96(*o, widget);
        return call(&copy);
    }
    if (const auto* o = qstyleoption_cast<const QStyleOptionTitleBar*>(option)) {
        const QStyleOptionTitleBar copy = at_96(*o, widget);
        return call(&copy);
    }
    if (const auto* o = qstyleoption_cast<const QStyleOptionSlider*>(option)) {
        const QStyleOptionSlider copy = at_96(*o, widget);
        return call(&copy);
    }
    return call(option);
}
} // namespace

QRect App_Style::subControlRect(ComplexControl cc, const QStyleOptionComplex* option, SubControl sc,
                                const QWidget* widget) const {
    if (!kept_at_96(cc)) return QProxyStyle::subControlRect(cc, option, sc, widget);
    QRect r = with_96(option, widget, [&](const QStyleOptionComplex* o) {
        return QProxyStyle::subControlRect(cc, o, sc, widget);
    });
    // A combo box's arrow needs less room than the base style gives it: lists
    // of fixed width keep the rest for their longest entries.
    constexpr int trim = 6;
    const bool rtl = option && option->direction == Qt::RightToLeft;
    if (cc == CC_ComboBox && sc == SC_ComboBoxArrow)
        r.adjust(rtl ? 0 : trim, 0, rtl ? -trim : 0, 0);
    if (cc == CC_ComboBox && sc == SC_ComboBoxEditField)
        r.adjust(rtl ? -trim : 0, 0, rtl ? 0 : trim, 0);
    return r;
}

void App_Style::drawComplexControl(ComplexControl cc, const QStyleOptionComplex* option,
                                   QPainter* p, const QWidget* widget) const {
    if (!kept_at_96(cc)) return QProxyStyle::drawComplexControl(cc, option, p, widget);
    with_96(option, widget, [&](const QStyleOptionComplex* o) {
        QProxyStyle::drawComplexControl(cc, o, p, widget);
    });
}

int App_Style::pixelMetric(PixelMetric metric, const QStyleOption* option,
                           const QWidget* widget) const {
    switch (metric) {
    case PM_TitleBarHeight:
    case PM_TitleBarButtonSize:
    case PM_TitleBarButtonIconSize:
    case PM_MdiSubWindowFrameWidth:
    case PM_ScrollBarExtent:
    case PM_ScrollBarSliderMin:
    case PM_SliderThickness:
    case PM_SliderLength:
    case PM_SliderControlThickness:
        break;
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
    if (const auto* o = qstyleoption_cast<const QStyleOptionTitleBar*>(option)) {
        const QStyleOptionTitleBar copy = at_96(*o, widget);
        return QProxyStyle::pixelMetric(metric, &copy, widget);
    }
    if (const auto* o = qstyleoption_cast<const QStyleOptionSlider*>(option)) {
        const QStyleOptionSlider copy = at_96(*o, widget);
        return QProxyStyle::pixelMetric(metric, &copy, widget);
    }
    QStyleOption copy = option ? *option : QStyleOption();
    copy.fontMetrics = metrics_at_96(widget);
    return QProxyStyle::pixelMetric(metric, &copy, widget);
}

QFont Pixel_Font(double points) {
    QFont f = QApplication::font();
    if (points <= 0) points = f.pointSizeF();
    if (points > 0) f.setPixelSize(static_cast<int>(std::lround(points * 96.0 / 72.0)));
    return f;
}

void Keep_Text_Pixels(QWidget* window) {
    window->setFont(Pixel_Font());
}

void Install_App_Style() {
    if (!qobject_cast<App_Style*>(QApplication::style())) QApplication::setStyle(new App_Style);
}

namespace {
Caption_Log* g_captionLog = nullptr;
}

Caption_Log::Caption_Log() {
    g_captionLog = this;
}
Caption_Log::~Caption_Log() {
    g_captionLog = nullptr;
}

namespace {
// Where the glyphs of text fall when nothing clips them: painted apart, on a
// canvas of the device's density.
QRect ink_of(const QPainter& p, const QRect& room, int flags, const QString& text) {
    const QFontMetrics m = p.fontMetrics();
    const int pad = 2 * m.height() + m.horizontalAdvance(text);
    const QRect canvas = room.adjusted(-pad, -pad, pad, pad);
    QImage im(canvas.size(), QImage::Format_ARGB32_Premultiplied);
    const int dpm_x = qRound(p.device()->logicalDpiX() / 0.0254);
    const int dpm_y = qRound(p.device()->logicalDpiY() / 0.0254);
    im.setDotsPerMeterX(dpm_x);
    im.setDotsPerMeterY(dpm_y);
    im.fill(Qt::transparent);
    QPainter q(&im);
    q.setRenderHints(p.renderHints());
    q.setFont(p.font());
    q.setPen(Qt::black);
    q.translate(-canvas.topLeft());
    q.drawText(room, flags | Qt::TextDontClip, text);
    q.end();
    QRect ink;
    for (int y = 0; y < im.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(im.constScanLine(y));
        for (int x = 0; x < im.width(); ++x)
            if (qAlpha(line[x])) ink |= QRect(x, y, 1, 1);
    }
    return ink.translated(canvas.topLeft());
}
} // namespace

void Draw_Caption(QPainter& p, const QRect& room, int flags, const QString& text) {
    if (!g_captionLog || g_captionLog->leave_out != static_cast<int>(g_captionLog->captions.size()))
        p.drawText(room, flags, text);
    if (!g_captionLog) return;
    // drawText clips to the room only text whose lines overflow it.
    const QRect ink = ink_of(p, room, flags, text);
    const bool clips = !(flags & Qt::TextDontClip) &&
                       !room.contains(p.fontMetrics().boundingRect(room, flags, text));
    const QTransform& t = p.transform();
    g_captionLog->captions.push_back(
        {p.device(), t.mapRect(ink), t.mapRect(clips ? ink & room : ink), text, t.mapRect(room)});
}
