#include "AppError.h"

#include <QCoreApplication>

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
        return QCoreApplication::translate("AppError", "Salesforce CLI was not found. Install it or make sure /opt/homebrew/bin/sf exists.");
    case Kind::noTarget:
        return QCoreApplication::translate("AppError", "Select an org with an alias or username.");
    case Kind::noOpenURL:
        return QCoreApplication::translate("AppError", "Salesforce CLI did not return an open URL.");
    case Kind::chromeNotFound:
        return QCoreApplication::translate("AppError", "Google Chrome was not found.");
    case Kind::browserNotFound:
        return QCoreApplication::translate("AppError", "%1 was not found.").arg(payload);
    case Kind::hiddenByAlias:
        return QCoreApplication::translate("AppError", "The Salesforce CLI cannot reach %1: another connection has %1 as its "
                                                       "alias, and the CLI looks up aliases first. Rename or remove that alias "
                                                       "(sf alias unset %1).")
            .arg(payload);
    }
    Q_UNREACHABLE();
    return {};
}

AppError AppError::commandFailed(const QString &message) { return {Kind::commandFailed, message}; }
AppError AppError::sfNotFound() { return {Kind::sfNotFound, {}}; }
AppError AppError::noTarget() { return {Kind::noTarget, {}}; }
AppError AppError::noOpenURL() { return {Kind::noOpenURL, {}}; }
AppError AppError::chromeNotFound() { return {Kind::chromeNotFound, {}}; }
AppError AppError::browserNotFound(const QString &name) { return {Kind::browserNotFound, name}; }
AppError AppError::hiddenByAlias(const QString &username) { return {Kind::hiddenByAlias, username}; }
