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
    enum class Case : quint8 { production, sandbox };

    static const LoginKind production;
    static const LoginKind sandbox;

    constexpr explicit LoginKind(Case value)
        : m_case(value)
    {
    }

    constexpr Case value() const { return m_case; }
    QString rawValue() const;
    QString id() const { return rawValue(); }
    QString label() const;
    // Passed to the CLI after "--instance-url" unchanged, and shown as a caption.
    QString instanceUrl() const;

    static QList<LoginKind> allCases();

    friend constexpr bool operator==(LoginKind, LoginKind) = default;

private:
    Case m_case;
};

inline constexpr LoginKind LoginKind::production{LoginKind::Case::production};
inline constexpr LoginKind LoginKind::sandbox{LoginKind::Case::sandbox};

// Which browser the CLI's own web login opens. Independent of where an existing org is opened.
class BrowserChoice
{
public:
    enum class Case : quint8 { systemDefault, chrome, firefox, edge };

    static const BrowserChoice systemDefault;
    static const BrowserChoice chrome;
    static const BrowserChoice firefox;
    static const BrowserChoice edge;

    constexpr explicit BrowserChoice(Case value)
        : m_case(value)
    {
    }

    constexpr Case value() const { return m_case; }
    QString rawValue() const;
    QString id() const { return rawValue(); }
    QString label() const;
    // The word after "--browser"; absent when the CLI should pick the browser itself.
    std::optional<QString> cliValue() const;

    static QList<BrowserChoice> allCases();
    // Exactly one of the raw values, letter case included; anything else gives no value.
    static std::optional<BrowserChoice> fromRawValue(QStringView text);

    friend constexpr bool operator==(BrowserChoice, BrowserChoice) = default;

private:
    Case m_case;
};

inline constexpr BrowserChoice BrowserChoice::systemDefault{BrowserChoice::Case::systemDefault};
inline constexpr BrowserChoice BrowserChoice::chrome{BrowserChoice::Case::chrome};
inline constexpr BrowserChoice BrowserChoice::firefox{BrowserChoice::Case::firefox};
inline constexpr BrowserChoice BrowserChoice::edge{BrowserChoice::Case::edge};

Q_DECLARE_TYPEINFO(LoginKind, Q_PRIMITIVE_TYPE);
Q_DECLARE_TYPEINFO(BrowserChoice, Q_PRIMITIVE_TYPE);
