#include "DisplayText.h"

#include <QCoreApplication>
#include <QRegularExpression>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr QChar kWrapPoint(u'\u200B'); // a zero-width space

QString visible(const QString &text, bool keepLineBreaks)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype start = i;
        const char16_t c = text[i].unicode();
        char32_t point = c;
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            point = QChar::surrogateToUcs4(c, text[++i].unicode());
        const QChar::Category category = QChar::category(point);
        if (keepLineBreaks && (c == u'\n' || c == u'\t'))
            out.append(QChar(c));
        else if (c < 0x20)
            out.append(QChar(char16_t(0x2400 + c))); // the control picture: ␛ for ESC
        else if (c == 0x7F)
            out.append(QChar(char16_t(0x2421)));
        // C1 controls, characters that show nothing or reorder the text (bidirectional controls,
        // zero-width spaces and joiners, soft hyphens, tags) and halves of a broken pair.
        else if (category == QChar::Other_Control || category == QChar::Other_Format || category == QChar::Other_Surrogate)
            out.append("<U+"_L1 + QString::number(point, 16).toUpper().rightJustified(4, u'0') + u'>');
        else
            out.append(QStringView(text).sliced(start, i + 1 - start));
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

QString DisplayText::withoutWrapPoints(QString excerpt) { return excerpt.remove(kWrapPoint); }

QString DisplayText::excerpt(const QString &text, int maxLines, qsizetype maxChars, qsizetype wordLength, WholeText whole)
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
            out.append(kWrapPoint);
            run = 1;
        }
        out.append(ch);
    }
    if (end < text.size())
        out.append(whole == WholeText::copyable
                       ? QCoreApplication::translate("DisplayText", "\n... (%n more characters: right-click to copy the whole message)",
                                                     nullptr, int(text.size() - end))
                       : QCoreApplication::translate("DisplayText", "\n... (%n more characters left out)", nullptr,
                                                     int(text.size() - end)));
    return out;
}
