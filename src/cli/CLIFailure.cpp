#include "CLIFailure.h"

#include "CLIJson.h"

#include <QCoreApplication>
#include <QJsonValue>

using namespace Qt::Literals::StringLiterals;

CLIFailure CLIFailure::read(const QString &printed)
{
    CLIFailure failure;
    failure.message = printed;
    const auto values = CLIJson::values(printed.toUtf8(), {"name"_L1, "message"_L1, "code"_L1});
    if (values && (*values)[1].isString() && !(*values)[1].toString().trimmed().isEmpty()) {
        failure.name = (*values)[0].toString((*values)[2].toString());
        failure.message = (*values)[1].toString().trimmed();
    }
    // By the names and words of the pinned CLI and of the token endpoint behind it.
    const auto named = [&](std::initializer_list<QLatin1StringView> names) {
        return std::any_of(names.begin(), names.end(), [&](QLatin1StringView n) { return failure.name == n; });
    };
    if (named({"RefreshTokenAuthError"_L1}) || failure.message.contains("expired or revoked"_L1, Qt::CaseInsensitive)
        || failure.message.contains("invalid_grant"_L1))
        failure.kind = Kind::loginExpired;
    else if (named({"NamedOrgNotFoundError"_L1, "NoAuthFoundForTargetOrgError"_L1, "NamedOrgNotFound"_L1}))
        failure.kind = Kind::noSuchConnection;
    return failure;
}

QString CLIFailure::advice() const
{
    switch (kind) {
    case Kind::loginExpired:
        return QCoreApplication::translate("CLIFailure", "Log in to the org again: New Connection, with the same alias.");
    case Kind::noSuchConnection:
        return QCoreApplication::translate("CLIFailure", "The CLI no longer holds this connection: Refresh to see the list as it is.");
    case Kind::other:
        break;
    }
    return {};
}
