#include "ui/drawn_buttons.h"

#include <QPainter>
#include <QStyleOptionToolButton>

namespace kelvora::ui
{

namespace
{

const QColor kFocusBlue(0x1f, 0x6f, 0xd1);
constexpr int kBorder = 2;
// Between the card's frame and its image.
constexpr int kCardPadding = 1;

// A pen of width `kBorder` drawn inside `r`: its outer edge on the widget's edge.
QRectF insideBorder(const QRect& r)
{
    return QRectF(r).adjusted(kBorder / 2.0, kBorder / 2.0, -kBorder / 2.0, -kBorder / 2.0);
}

} // namespace

void BarButton::paintEvent(QPaintEvent* event)
{
    if (!hasFocus()) {
        QToolButton::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(kFocusBlue, kBorder));
    painter.setBrush(QColor(0xe3, 0xed, 0xf9));
    painter.drawRoundedRect(insideBorder(rect()), 3, 3);
    QStyleOptionToolButton option;
    initStyleOption(&option);
    // The frame replaces the style's raised or sunken panel; only the icon and text are left.
    option.rect = rect().adjusted(kBorder, kBorder, -kBorder, -kBorder);
    option.state &= ~(QStyle::State_MouseOver | QStyle::State_Raised | QStyle::State_Sunken);
    style()->drawControl(QStyle::CE_ToolButtonLabel, &option, &painter, this);
}

CardButton::CardButton(QWidget* parent) : QToolButton(parent)
{
    setAutoRaise(true);
    setAttribute(Qt::WA_Hover);
}

QSize CardButton::sizeHint() const
{
    constexpr int edge = kBorder + kCardPadding;
    return iconSize() + QSize(2 * edge, 2 * edge);
}

void CardButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = insideBorder(rect());
    if (underMouse() && isEnabled()) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0xea, 0xf0, 0xf7));
        painter.drawRoundedRect(box, 8 - kBorder / 2.0, 8 - kBorder / 2.0);
    }
    if (hasFocus()) {
        painter.setPen(QPen(kFocusBlue, kBorder));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(box, 8 - kBorder / 2.0, 8 - kBorder / 2.0);
    }
    constexpr int edge = kBorder + kCardPadding;
    icon().paint(&painter, rect().adjusted(edge, edge, -edge, -edge), Qt::AlignCenter,
                 isEnabled() ? QIcon::Normal : QIcon::Disabled);
}

} // namespace kelvora::ui
