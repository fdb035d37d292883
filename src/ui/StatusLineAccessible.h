#pragma once

#include <QString>

class QWidget;

// The status line as screen readers expect it: a status bar whose text can be read by character,
// word and line (a plain label gives them only its name), without the zero-width breaks that
// let it wrap. Installed once, before the label named "statusLine" is first asked for.
namespace StatusLineAccessible {
void install();

// A hidden notification inside the status line, and what it says: a screen reader speaks each
// announcement without the keyboard moving (Qt before 6.8 has no announcement of its own).
QWidget *announcer(QWidget *statusLine);
void announce(QWidget *announcer, const QString &text);
}
