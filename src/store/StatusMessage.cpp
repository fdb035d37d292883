#include "StatusMessage.h"

#include "CLIFailure.h"

StatusMessage StatusMessage::failure(const QString &description)
{
    const CLIFailure read = CLIFailure::read(description);
    StatusMessage status{read.message, Severity::error};
    if (read.message != description)
        status.details = description;
    // The name adds to a message that does not already say it ("Error" says nothing).
    if (!read.name.isEmpty() && read.name != u"Error" && !read.message.contains(read.name))
        status.text += u" (" + read.name + u')';
    if (const QString advice = read.advice(); !advice.isEmpty())
        status.text += u'\n' + advice;
    if (description.contains(u"expired", Qt::CaseInsensitive) || read.kind == CLIFailure::Kind::loginExpired)
        status.severity = Severity::warning;
    return status;
}
