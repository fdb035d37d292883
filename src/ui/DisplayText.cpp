#include "DisplayText.h"

#include <QCoreApplication>
#include <QRegularExpression>

using namespace Qt::Literals::StringLiterals;

namespace {

bool isBidiControl(char16_t c)
{
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E)
        || (c >= 0x2066 && c <= 0x2069);
}

QString visible(const QString &text, bool keepLineBreaks)
{
    QString out;
    out.reserve(text.size());
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (keepLineBreaks && (c == u'\n' || c == u'\t'))
            out.append(ch);
        else if (c < 0x20)
            out.append(QChar(char16_t(0x2400 + c))); // the control picture: ␛ for ESC
        else if (c == 0x7F)
            out.append(QChar(char16_t(0x2421)));
        else if ((c >= 0x80 && c < 0xA0) || isBidiControl(c))
            out.append("<U+"_L1 + QString::number(c, 16).toUpper().rightJustified(4, u'0') + u'>');
        else
            out.append(ch);
    }
    return out;
}

} // namespace

QString DisplayText::line(const QString &text)
{
    static const QRegularExpression lineBreaks(u"[\\r\\n\\x{2028}\\x{2029}]"_s);
    const qsizetype lineBreak = text.indexOf(lineBreaks);
    if (lineBreak < 0)
        return visible(text, false);
    return visible(text.left(lineBreak), false) + u'\u2026';
}

QString DisplayText::lines(const QString &text) { return visible(text, true); }

QString DisplayText::excerpt(const QString &text, int maxLines, qsizetype maxChars, qsizetype wordLength)
{
    qsizetype end = std::min(text.size(), maxChars);
    int lineCount = 1;
    for (qsizetype i = 0; i < end; ++i) {
        if (text[i] == u'\n' && ++lineCount > maxLines) {
            end = i;
            break;
        }
    }
    QString out;
    out.reserve(end + end / wordLength + 64);
    qsizetype run = 0;
    for (qsizetype i = 0; i < end; ++i) {
        const QChar ch = text[i];
        run = ch.isSpace() ? 0 : run + 1;
        if (run > wordLength) {
            out.append(QChar(u'\u200B'));
            run = 1;
        }
        out.append(ch);
    }
    if (end < text.size())
        out.append(QCoreApplication::translate(
                       "DisplayText", "\n... (%1 more characters: right-click to copy the whole message)")
                       .arg(text.size() - end));
    return out;
}
