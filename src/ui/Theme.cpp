#include "Theme.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QPalette>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace Theme {

QFont font(TextStyle style, const QFont &base, Emphasis emphasis)
{
    // Sizes relative to body text, as the platform styles are to their 13-point body.
    qreal factor = 1.0;
    switch (style) {
    case TextStyle::LargeTitle:
        factor = 26.0 / 13.0;
        break;
    case TextStyle::Title3:
        factor = 20.0 / 13.0;
        break;
    case TextStyle::Headline:
    case TextStyle::Body:
        factor = 1.0;
        break;
    case TextStyle::Callout:
        factor = 12.0 / 13.0;
        break;
    case TextStyle::Caption:
        factor = 10.5 / 13.0;
        break;
    }
    QFont f = base;
    if (base.pointSizeF() > 0)
        f.setPointSizeF(base.pointSizeF() * factor);
    else
        f.setPixelSize(qRound(base.pixelSize() * factor));
    if (emphasis == Emphasis::Bold)
        f.setWeight(QFont::Bold);
    else if (emphasis == Emphasis::Semibold || style == TextStyle::Headline)
        f.setWeight(QFont::DemiBold);
    return f;
}

void applyFont(QWidget *widget, TextStyle style, Emphasis emphasis)
{
    widget->setFont(font(style, widget->font(), emphasis));
}

bool isDark(const QPalette &palette) { return palette.color(QPalette::Window).lightnessF() < 0.5; }

QColor secondary(const QPalette &palette)
{
    QColor c = palette.color(QPalette::WindowText);
    c.setAlphaF(0.62);
    return c;
}

QColor connectedGreen(const QPalette &palette)
{
    return isDark(palette) ? QColor(48, 209, 88) : QColor(40, 167, 69);
}

QColor warningOrange(const QPalette &palette)
{
    return isDark(palette) ? QColor(255, 159, 10) : QColor(178, 84, 0); // 4.5:1 as text, on the panel
}

QColor destructiveRed(const QPalette &palette)
{
    return isDark(palette) ? QColor(255, 105, 97) : QColor(200, 35, 35);
}

namespace {

// WCAG's relative luminance and contrast ratio.
double luminance(const QColor &c)
{
    const auto linear = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}

double contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace

QColor prominentFill(const QPalette &palette)
{
    const QColor text = palette.color(QPalette::HighlightedText);
    // Fusion lightens and pales a dark fill, then starts its gradient a quarter lighter still.
    const auto lightest = [](QColor c) {
        c = c.lighter(100 + std::max(1, (180 - qGray(c.rgb())) / 6));
        c.setHsv(c.hue(), c.saturation() * 3 / 4, c.value());
        return c.lighter(124);
    };
    QColor fill = palette.color(QPalette::Highlight);
    for (int step = 0; step < 30 && contrast(text, lightest(fill)) < 4.5; ++step)
        fill = luminance(text) > 0.5 ? fill.darker(108) : fill.lighter(108);
    return fill;
}

QColor panelFill(const QPalette &palette)
{
    QColor c = palette.color(QPalette::Base);
    c.setAlphaF(isDark(palette) ? 0.45 : 0.72);
    return c;
}

QColor panelBorder(const QPalette &palette)
{
    QColor c = palette.color(QPalette::WindowText);
    c.setAlphaF(isDark(palette) ? 0.16 : 0.11);
    return c;
}

QColor boundary(const QPalette &palette)
{
    const QColor text = palette.color(QPalette::WindowText), window = palette.color(QPalette::Window);
    const double mix = 0.55;
    return QColor::fromRgbF(float(text.redF() * mix + window.redF() * (1 - mix)), float(text.greenF() * mix + window.greenF() * (1 - mix)),
                            float(text.blueF() * mix + window.blueF() * (1 - mix)));
}

namespace {

enum class Role { Secondary, Prominent, Destructive, Segment, Selection };

// Colours taken from the palette once would stay those of the old appearance when the system
// switches between light and dark; this re-applies them whenever the application palette changes.
class RoleKeeper : public QObject
{
public:
    static RoleKeeper &instance()
    {
        static RoleKeeper keeper;
        return keeper;
    }

    void adopt(QWidget *widget, Role role)
    {
        widget->setProperty(kProperty, static_cast<int>(role));
        widget->installEventFilter(this);
        apply(widget);
    }

    void reapply(QWidget *widget)
    {
        m_applying = true;
        apply(widget);
        m_applying = false;
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // Qt passes a new application palette down as a palette change of each widget.
        if (!m_applying && (event->type() == QEvent::PaletteChange
                            || event->type() == QEvent::ApplicationPaletteChange)) {
            m_applying = true; // our own setPalette() announces a change too
            apply(static_cast<QWidget *>(watched));
            m_applying = false;
        }
        return false;
    }

private:
    static constexpr char kProperty[] = "tarnwickColourRole";
    bool m_applying = false;

    static void apply(QWidget *widget)
    {
        // Start from the application's palette: by the time the change is announced it is the new
        // one, while the parents may not have caught up yet.
        const QPalette base = QApplication::palette(widget);
        QPalette p = widget->palette();
        // Enabled states only: a disabled control keeps the style's disabled look.
        auto set = [&p](QPalette::ColorRole role, const QColor &colour) {
            p.setColor(QPalette::Active, role, colour);
            p.setColor(QPalette::Inactive, role, colour);
        };
        switch (static_cast<Role>(widget->property(kProperty).toInt())) {
        case Role::Secondary:
            set(QPalette::WindowText, secondary(base));
            set(QPalette::Text, secondary(base));
            break;
        case Role::Prominent:
            set(QPalette::Button, prominentFill(base));
            set(QPalette::ButtonText, base.color(QPalette::HighlightedText));
            break;
        case Role::Destructive:
            set(QPalette::ButtonText, destructiveRed(base));
            break;
        case Role::Selection: // the selected row's text on its highlight
            set(QPalette::Highlight, prominentFill(base));
            break;
        case Role::Segment: { // the style's own pressed look is hard to tell apart, in dark more so
            const bool chosen = static_cast<QAbstractButton *>(widget)->isChecked();
            set(QPalette::Button, chosen ? prominentFill(base) : base.color(QPalette::Button));
            set(QPalette::ButtonText, base.color(chosen ? QPalette::HighlightedText : QPalette::ButtonText));
            break;
        }
        }
        widget->setPalette(p);
    }
};

} // namespace

void makeSecondary(QWidget *widget) { RoleKeeper::instance().adopt(widget, Role::Secondary); }

void makeProminent(QWidget *button)
{
    RoleKeeper::instance().adopt(button, Role::Prominent);
    QFont f = button->font();
    f.setWeight(QFont::DemiBold);
    button->setFont(f);
}

void makeDestructive(QWidget *button) { RoleKeeper::instance().adopt(button, Role::Destructive); }

void makeReadableSelection(QWidget *view) { RoleKeeper::instance().adopt(view, Role::Selection); }

void makeSegment(QAbstractButton *button)
{
    RoleKeeper::instance().adopt(button, Role::Segment);
    QObject::connect(button, &QAbstractButton::toggled, button, [button] { RoleKeeper::instance().reapply(button); });
}

} // namespace Theme
