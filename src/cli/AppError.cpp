#include "AppError.h"

using namespace Qt::Literals::StringLiterals;

DescribedError::DescribedError(QString description)
    : m_description(std::move(description))
    , m_utf8(m_description.toUtf8())
{
}

AppError::AppError(Kind kind, const QString &payload)
    : DescribedError(message(kind, payload))
    , m_kind(kind)
{
}

QString AppError::message(Kind kind, const QString &payload)
{
    switch (kind) {
    case Kind::commandFailed:
        return payload;
    case Kind::sfNotFound:
        return u"Salesforce CLI was not found. Install it or make sure /opt/homebrew/bin/sf exists."_s;
    case Kind::noTarget:
        return u"Select an org with an alias or username."_s;
    case Kind::noOpenURL:
        return u"Salesforce CLI did not return an open URL."_s;
    case Kind::chromeNotFound:
        return u"Google Chrome was not found."_s;
    case Kind::hiddenByAlias:
        return u"The Salesforce CLI cannot reach %1: another connection has %1 as its alias, and the CLI looks up "
               "aliases first. Rename or remove that alias (sf alias unset %1)."_s.arg(payload);
    }
    Q_UNREACHABLE();
    return {};
}

AppError AppError::commandFailed(const QString &message) { return {Kind::commandFailed, message}; }
AppError AppError::sfNotFound() { return {Kind::sfNotFound, {}}; }
AppError AppError::noTarget() { return {Kind::noTarget, {}}; }
AppError AppError::noOpenURL() { return {Kind::noOpenURL, {}}; }
AppError AppError::chromeNotFound() { return {Kind::chromeNotFound, {}}; }
AppError AppError::hiddenByAlias(const QString &username) { return {Kind::hiddenByAlias, username}; }
