#include "ScratchExpiry.h"

#include <QCoreApplication>

using namespace Qt::Literals::StringLiterals;

namespace ScratchExpiry {

std::optional<QDate> date(const CLIOrg &org)
{
    if (!org.expirationDate)
        return std::nullopt;
    const QDate day = QDate::fromString(org.expirationDate->left(10), Qt::ISODate);
    return day.isValid() ? std::optional(day) : std::nullopt;
}

QString text(QDate expires, QDate today, const QLocale &locale)
{
    const qint64 days = today.daysTo(expires);
    QString format = locale.dateFormat(QLocale::ShortFormat);
    if (!format.contains("yyyy"_L1))
        format.replace("yy"_L1, "yyyy"_L1);
    const QString shown = locale.toString(expires, format);
    if (days == 0)
        return QCoreApplication::translate("ScratchExpiry", "Expires today");
    if (days == 1)
        return QCoreApplication::translate("ScratchExpiry", "Expires %1 (tomorrow)").arg(shown);
    if (days > 1)
        return QCoreApplication::translate("ScratchExpiry", "Expires %1 (in %n days)", nullptr, int(days)).arg(shown);
    if (days == -1)
        return QCoreApplication::translate("ScratchExpiry", "Expired %1 (yesterday)").arg(shown);
    return QCoreApplication::translate("ScratchExpiry", "Expired %1 (%n days ago)", nullptr, int(-days)).arg(shown);
}

QString mark(const CLIOrg &org, QDate today)
{
    const std::optional<QDate> expires = date(org);
    const qint64 days = expires ? today.daysTo(*expires) : -1;
    if (days < 0 || days > 3)
        return {};
    if (days <= 1)
        return days == 0 ? QCoreApplication::translate("ScratchExpiry", "expires today")
                         : QCoreApplication::translate("ScratchExpiry", "expires tomorrow");
    return QCoreApplication::translate("ScratchExpiry", "expires in %n days", nullptr, int(days));
}

} // namespace ScratchExpiry
