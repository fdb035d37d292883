#pragma once

#include <QColor>
#include <QFont>

class QAbstractButton;
class QPalette;
class QWidget;

// The window's text styles and colours, all derived from the application's font and palette so
// that light and dark appearances both work.
namespace Theme {

enum class TextStyle { LargeTitle, Title3, Headline, Body, Callout, Caption };
// A heavier weight than the style's own; None keeps the style's.
enum class Emphasis { None, Semibold, Bold };

QFont font(TextStyle style, const QFont &base, Emphasis emphasis = Emphasis::None);
void applyFont(QWidget *widget, TextStyle style, Emphasis emphasis = Emphasis::None);

bool isDark(const QPalette &palette);
// Supporting text: the palette's text colour, dimmed.
QColor secondary(const QPalette &palette);
QColor connectedGreen(const QPalette &palette);
QColor warningOrange(const QPalette &palette);
QColor destructiveRed(const QPalette &palette);
// A panel's fill: the base colour, translucent over the window background.
QColor panelFill(const QPalette &palette);
// The fill of a prominent or chosen button: the highlight, darkened until its text reads at 4.5:1
// even where the style lightens the fill for its gradient.
QColor prominentFill(const QPalette &palette);
QColor panelBorder(const QPalette &palette);
// The edge of a control that must be told apart from the panel: 3:1 against it, light or dark.
QColor boundary(const QPalette &palette);

// Draws `widget`'s text in the secondary colour (also after a palette change).
void makeSecondary(QWidget *widget);
// A filled, accent-coloured button (the default action of its area).
void makeProminent(QWidget *button);
void makeDestructive(QWidget *button);
// A view whose selected rows' text reads at 4.5:1 on their highlight.
void makeReadableSelection(QWidget *view);
// One segment of a segmented control: the chosen one is filled with the accent colour.
void makeSegment(QAbstractButton *button);

} // namespace Theme
