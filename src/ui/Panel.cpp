#include "Panel.h"

#include "Theme.h"

#include <QPainter>
#include <QPainterPath>

Panel::Panel(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_StyledBackground, false);
}

void Panel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath path;
    path.addRoundedRect(area, kRadius, kRadius);
    painter.fillPath(path, Theme::panelFill(palette()));
    painter.setPen(QPen(Theme::panelBorder(palette()), 1));
    painter.drawPath(path);
}
