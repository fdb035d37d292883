#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

// Which login endpoint the CLI's web login starts from. A closed set; the raw value is the
// identity, the label what the window shows in the user's language.
class LoginKind
{
public:
    enum Case : quint8 { production, sandbox };

    constexpr LoginKind(Case value)
        : m_case(value)
    {
    }

    QString rawValue() const;
    QString label() const;
    // Passed to the CLI after "--instance-url" unchanged, and shown as a caption.
    QString instanceUrl() const;

    static QList<LoginKind> allCases() { return {production, sandbox}; }

    friend constexpr bool operator==(LoginKind, LoginKind) = default;

private:
    Case m_case;
};

// Which browser the CLI's own web login opens. Independent of where an existing org is opened.
class BrowserChoice
{
public:
    enum Case : quint8 { systemDefault, chrome, firefox, edge };

    constexpr BrowserChoice(Case value)
        : m_case(value)
    {
    }

    QString rawValue() const;
    QString label() const;
    // The word after "--browser"; absent when the CLI should pick the browser itself.
    std::optional<QString> cliValue() const;

    static QList<BrowserChoice> allCases() { return {systemDefault, chrome, firefox, edge}; }
    // Exactly one of the raw values, letter case included; anything else gives no value.
    static std::optional<BrowserChoice> fromRawValue(QStringView text);

    friend constexpr bool operator==(BrowserChoice, BrowserChoice) = default;

private:
    Case m_case;
};

Q_DECLARE_TYPEINFO(LoginKind, Q_PRIMITIVE_TYPE);
Q_DECLARE_TYPEINFO(BrowserChoice, Q_PRIMITIVE_TYPE);
