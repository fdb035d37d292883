#pragma once

#include <QString>

// Data shown as what it is. A text from the CLI or a file may carry bidirectional controls that
// make "gnp.xcod" read "docx.png", zero-width characters that make two names look alike, terminal
// escapes and other control characters that show as boxes or nothing, and line breaks where one
// line is expected: each is made visible instead.
namespace DisplayText {

// One line: control characters as visible marks (U+2400 and on), invisible format characters
// (bidirectional controls, zero-width spaces and joiners, soft hyphens...) as "<U+202E>", cut at
// the first line break with an ellipsis.
QString line(const QString &text);

// The same for a text of several lines (a CLI message): line breaks and tabs stay.
QString lines(const QString &text);

// Where a cut text can be had whole: the status line's context menu, or nowhere (a command line).
enum class WholeText { copyable, gone };

// At most `maxLines` lines and `maxChars` characters of `text`, with a marker line where it was
// cut, and a zero-width break in every run of `wordLength` characters without a space, so that a
// label can wrap it.
QString excerpt(const QString &text, int maxLines = 200, qsizetype maxChars = 16 * 1024,
                qsizetype wordLength = 80, WholeText whole = WholeText::copyable);
// An excerpt as it reads: without its wrapping points, so that what is copied or read out works
// where it is pasted.
QString withoutWrapPoints(QString excerpt);

} // namespace DisplayText
