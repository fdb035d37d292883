#include "LoginOptions.h"

#include <QCoreApplication>

namespace {

// By case, in the order of the enumeration.
struct KindRow
{
    const char *rawValue; // also the label's source text
    const char *instanceUrl;
};
constexpr KindRow kKinds[] = {
    {QT_TRANSLATE_NOOP("LoginKind", "Production"), "https://login.salesforce.com/"},
    {QT_TRANSLATE_NOOP("LoginKind", "Sandbox"), "https://test.salesforce.com/"},
};

struct BrowserRow
{
    const char *rawValue;
    const char *cliValue; // none: the CLI picks the browser
};
constexpr BrowserRow kBrowsers[] = {
    {QT_TRANSLATE_NOOP("BrowserChoice", "System default"), nullptr},
    {"Chrome", "chrome"},
    {"Firefox", "firefox"},
    {"Edge", "edge"},
};

} // namespace

QString LoginKind::rawValue() const { return QString::fromLatin1(kKinds[m_case].rawValue); }

QString LoginKind::label() const { return QCoreApplication::translate("LoginKind", kKinds[m_case].rawValue); }

QString LoginKind::instanceUrl() const { return QString::fromLatin1(kKinds[m_case].instanceUrl); }

QString BrowserChoice::rawValue() const { return QString::fromLatin1(kBrowsers[m_case].rawValue); }

// The browsers' names are their own in every language.
QString BrowserChoice::label() const
{
    return m_case == systemDefault ? QCoreApplication::translate("BrowserChoice", kBrowsers[m_case].rawValue) : rawValue();
}

std::optional<QString> BrowserChoice::cliValue() const
{
    const char *value = kBrowsers[m_case].cliValue;
    return value ? std::optional(QString::fromLatin1(value)) : std::nullopt;
}

std::optional<BrowserChoice> BrowserChoice::fromRawValue(QStringView text)
{
    for (const BrowserChoice choice : allCases()) {
        if (choice.rawValue() == text)
            return choice;
    }
    return std::nullopt;
}
