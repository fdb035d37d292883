#include "Spinner.h"

#include "Theme.h"

#include <QPainter>

Spinner::Spinner(QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(sizeHint());
    m_timer.setInterval(40);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_angle = (m_angle + 30) % 360;
        update();
    });
}

void Spinner::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(2, 2, -2, -2);
    QColor track = Theme::secondary(palette());
    track.setAlphaF(0.25);
    painter.setPen(QPen(track, 2));
    painter.drawEllipse(box);
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2, Qt::SolidLine, Qt::RoundCap));
    painter.drawArc(box, -m_angle * 16, 100 * 16);
}

void Spinner::showEvent(QShowEvent *) { m_timer.start(); }

void Spinner::hideEvent(QHideEvent *) { m_timer.stop(); }
