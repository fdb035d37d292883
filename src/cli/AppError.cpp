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
    }
    Q_UNREACHABLE();
    return {};
}

AppError AppError::commandFailed(const QString &message) { return {Kind::commandFailed, message}; }
AppError AppError::sfNotFound() { return {Kind::sfNotFound, {}}; }
AppError AppError::noTarget() { return {Kind::noTarget, {}}; }
AppError AppError::noOpenURL() { return {Kind::noOpenURL, {}}; }
AppError AppError::chromeNotFound() { return {Kind::chromeNotFound, {}}; }
