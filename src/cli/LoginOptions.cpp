#include "LoginOptions.h"

#include <QCoreApplication>

using namespace Qt::Literals::StringLiterals;

QString LoginKind::rawValue() const
{
    switch (m_case) {
    case Case::production:
        return u"Production"_s;
    case Case::sandbox:
        return u"Sandbox"_s;
    }
    Q_UNREACHABLE();
    return {};
}

QString LoginKind::label() const
{
    return m_case == Case::production ? QCoreApplication::translate("LoginKind", "Production")
                                      : QCoreApplication::translate("LoginKind", "Sandbox");
}

QString LoginKind::instanceUrl() const
{
    switch (m_case) {
    case Case::production:
        return u"https://login.salesforce.com/"_s;
    case Case::sandbox:
        return u"https://test.salesforce.com/"_s;
    }
    Q_UNREACHABLE();
    return {};
}

QList<LoginKind> LoginKind::allCases()
{
    return {production, sandbox};
}

QString BrowserChoice::rawValue() const
{
    switch (m_case) {
    case Case::systemDefault:
        return u"System default"_s;
    case Case::chrome:
        return u"Chrome"_s;
    case Case::firefox:
        return u"Firefox"_s;
    case Case::edge:
        return u"Edge"_s;
    }
    Q_UNREACHABLE();
    return {};
}

QString BrowserChoice::label() const
{
    // The browsers' names are their own in every language.
    return m_case == Case::systemDefault ? QCoreApplication::translate("BrowserChoice", "System default") : rawValue();
}

std::optional<QString> BrowserChoice::cliValue() const
{
    switch (m_case) {
    case Case::systemDefault:
        return std::nullopt;
    case Case::chrome:
        return u"chrome"_s;
    case Case::firefox:
        return u"firefox"_s;
    case Case::edge:
        return u"edge"_s;
    }
    Q_UNREACHABLE();
    return std::nullopt;
}

QList<BrowserChoice> BrowserChoice::allCases()
{
    return {systemDefault, chrome, firefox, edge};
}

std::optional<BrowserChoice> BrowserChoice::fromRawValue(QStringView text)
{
    for (const BrowserChoice choice : allCases()) {
        if (choice.rawValue() == text)
            return choice;
    }
    return std::nullopt;
}
