#pragma once

// The status line as screen readers expect it: a status bar whose text can be read by character,
// word and line (a plain label gives them only its name), without the zero-width breaks that
// let it wrap. Installed once, before the label named "statusLine" is first asked for.
namespace StatusLineAccessible {
void install();
}
