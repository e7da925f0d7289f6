#include "ui/accessible_roles.h"

#include <QAccessibleWidget>
#include <QPainter>

namespace kelvora::ui
{

namespace
{

QAccessibleInterface* roleFactory(const QString& className, QObject* object)
{
    if (object == nullptr || !object->isWidgetType())
        return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    if (className == QLatin1String(SpokenStatus::staticMetaObject.className()))
        return new QAccessibleWidget(widget, QAccessible::AlertMessage);
    if (className == QLatin1String(ToolBarFrame::staticMetaObject.className()))
        return new QAccessibleWidget(widget, QAccessible::ToolBar);
    return nullptr;
}

} // namespace

SpokenStatus::SpokenStatus(QWidget* parent) : QFrame(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    // The frame takes the room of its drawn focus border, so the text does not move.
    setContentsMargins(2, 2, 2, 2);
}

void SpokenStatus::setMessage(const QString& message)
{
    setAccessibleName(message.simplified());
}

void SpokenStatus::announce()
{
    // Only a change of focus is read: a status that already had it gives it up first.
    if (hasFocus())
        clearFocus();
    setFocus(Qt::OtherFocusReason);
}

void SpokenStatus::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    if (!hasFocus())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x1f, 0x6f, 0xd1), 1.5));
    painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 4, 4);
}

void ToolBarFrame::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0xf4, 0xf6, 0xf9));
    painter.fillRect(QRect(0, height() - 1, width(), 1), QColor(0xd5, 0xdb, 0xe3));
}

void installAccessibleRoles()
{
    // Qt keeps each factory once, however often this runs.
    QAccessible::installFactory(roleFactory);
}

} // namespace kelvora::ui
