#pragma once

#include <QString>

// A failure as the CLI printed it, read for what a person needs first. Every command runs with
// --json, so a failure is a JSON document with a stack trace in it; its name and message are what
// the CLI meant to say.
struct CLIFailure
{
    enum class Kind {
        other,
        loginExpired, // the org's refresh token expired or was revoked
        noSuchConnection, // the CLI holds no connection by that name
    };

    QString name; // the CLI's name for the error ("RefreshTokenAuthError"); empty when not JSON
    QString message; // its message; the text as printed when it is not one of the CLI's documents
    Kind kind = Kind::other;

    static CLIFailure read(const QString &printed);
    // The next step for a known kind, in the user's language; empty for any other.
    QString advice() const;
};
