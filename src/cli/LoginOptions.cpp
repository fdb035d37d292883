#include "LoginOptions.h"

using namespace Qt::Literals::StringLiterals;

namespace {

template<typename Choice>
std::optional<Choice> choiceFromRawValue(QStringView text)
{
    for (const Choice choice : Choice::allCases()) {
        if (choice.rawValue() == text)
            return choice;
    }
    return std::nullopt;
}

} // namespace

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

std::optional<LoginKind> LoginKind::fromRawValue(QStringView text)
{
    return choiceFromRawValue<LoginKind>(text);
}

size_t qHash(LoginKind kind, size_t seed) noexcept
{
    return qHash(static_cast<int>(kind.value()), seed);
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
    return choiceFromRawValue<BrowserChoice>(text);
}

size_t qHash(BrowserChoice choice, size_t seed) noexcept
{
    return qHash(static_cast<int>(choice.value()), seed);
}
