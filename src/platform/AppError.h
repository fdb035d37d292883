#pragma once

#include <QString>

#include <exception>

// Base of every failure that reaches the user: the catch sites (the store's actions and the
// self-test) show description() as it stands.
class DescribedError : public std::exception
{
public:
    explicit DescribedError(QString description);

    const QString &description() const noexcept { return m_description; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_description;
    QByteArray m_utf8;
};

// The application's own error kinds, each with one user-facing message.
class AppError : public DescribedError
{
public:
    enum class Kind { commandFailed, sfNotFound, noTarget, noOpenURL, chromeNotFound, browserNotFound, hiddenByAlias };

    static AppError commandFailed(const QString &message);
    static AppError sfNotFound();
    static AppError noTarget();
    static AppError noOpenURL();
    static AppError chromeNotFound();
    // Any other browser of the profiles offered; the payload is its name.
    static AppError browserNotFound(const QString &name);
    // The CLI looks a name up as an alias first: an org whose username is another org's alias
    // cannot be named. The payload is that username.
    static AppError hiddenByAlias(const QString &username);

    Kind kind() const noexcept { return m_kind; }

    // The message alone, for a refusal that is no failure of a command.
    static QString message(Kind kind, const QString &payload = {});

private:
    AppError(Kind kind, const QString &payload);

    Kind m_kind;
};
