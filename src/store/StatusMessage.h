#pragma once

#include <QString>

// The status line's text and how it is meant; the window draws each severity its own way.
struct StatusMessage
{
    enum class Severity {
        progress, // an action has started
        success, // it did what was asked
        warning, // it did, or nothing could, but something needs the user's eye
        error, // it failed, or was refused, and nothing ran
    };

    QString text;
    Severity severity = Severity::success;

    // A failure as the CLI, or a command, described it. The CLI's words for something expired (a
    // refresh token, a scratch org) ask the user to renew it: a warning rather than a fault.
    static StatusMessage failure(const QString &description)
    {
        return {description, description.contains(u"expired", Qt::CaseInsensitive) ? Severity::warning : Severity::error};
    }

    friend bool operator==(const StatusMessage &, const StatusMessage &) = default;
};
