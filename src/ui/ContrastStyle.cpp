#include "ContrastStyle.h"

#include "Theme.h"

#include <QApplication>
#include <QPainter>
#include <QStyleOption>

using namespace Qt::Literals::StringLiterals;

ContrastStyle::ContrastStyle(const QString &baseStyle)
    : QProxyStyle(baseStyle)
{
}

void ContrastStyle::install()
{
    const QString name = QApplication::style()->name();
    if (!qobject_cast<ContrastStyle *>(QApplication::style())
        && (name.compare("fusion"_L1, Qt::CaseInsensitive) == 0 || name == "qt6ct-style"_L1))
        QApplication::setStyle(new ContrastStyle(name));
}

void ContrastStyle::polish(QPalette &palette)
{
    QProxyStyle::polish(palette);
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        QColor placeholder = palette.color(group, QPalette::Text);
        placeholder.setAlphaF(0.62);
        palette.setColor(group, QPalette::PlaceholderText, placeholder);
    }
}

void ContrastStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                                  const QWidget *widget) const
{
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    if (!option->state.testFlag(State_Enabled))
        return;
    const bool focused = option->state.testFlag(State_HasFocus);
    QRectF edge = QRectF(option->rect).adjusted(0.5, 0.5, -0.5, -0.5);
    QColor colour;
    qreal radius = 2;
    if (element == PE_IndicatorCheckBox) {
        colour = Theme::boundary(option->palette);
        radius = 0;
    } else if (element == PE_FrameLineEdit && !focused) { // focused, Fusion draws it in the highlight colour
        colour = Theme::boundary(option->palette);
    } else if (element == PE_PanelButtonCommand && focused) {
        colour = option->palette.color(QPalette::ButtonText);
        edge.adjust(3, 3, -3, -3);
        radius = 1.5;
    } else {
        return; // every other primitive as Fusion draws it
    }
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setBrush(Qt::NoBrush);
    painter->setPen(QPen(colour, 1));
    painter->drawRoundedRect(edge, radius, radius);
    painter->restore();
}
