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
    const bool enabled = option->state.testFlag(State_Enabled);
    const bool focused = option->state.testFlag(State_HasFocus);
    const QRectF edge = QRectF(option->rect).adjusted(0.5, 0.5, -0.5, -0.5);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setBrush(Qt::NoBrush);
    switch (element) {
    case PE_IndicatorCheckBox:
        if (enabled) {
            painter->setPen(QPen(Theme::boundary(option->palette), 1));
            painter->drawRect(edge);
        }
        break;
    case PE_FrameLineEdit:
        if (enabled && !focused) { // focused, Fusion draws it in the highlight colour
            painter->setPen(QPen(Theme::boundary(option->palette), 1));
            painter->drawRoundedRect(edge, 2, 2);
        }
        break;
    case PE_PanelButtonCommand:
        if (enabled && focused) {
            painter->setPen(QPen(option->palette.color(QPalette::ButtonText), 1));
            painter->drawRoundedRect(edge.adjusted(3, 3, -3, -3), 1.5, 1.5);
        }
        break;
    default:
        break;
    }
    painter->restore();
}
