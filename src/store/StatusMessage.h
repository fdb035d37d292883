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
    // What the CLI printed, whole, when `text` is a reading of it: a copy of the message holds both.
    QString details = {};

    // A failure as the CLI, or a command, described it: the CLI's own message and a next step where
    // one is known, the document it came in kept as the details. The CLI's words for something
    // expired (a refresh token, a scratch org) ask the user to renew it: a warning, not a fault.
    static StatusMessage failure(const QString &description);

    // The text, and the details after a blank line.
    QString whole() const { return details.isEmpty() ? text : text + u"\n\n" + details; }

    friend bool operator==(const StatusMessage &, const StatusMessage &) = default;
};
