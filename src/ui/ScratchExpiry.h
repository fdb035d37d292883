#pragma once

#include "CLIOrg.h"
#include "Translations.h"

#include <QDate>
#include <QLocale>
#include <QString>

#include <optional>

// When a scratch org expires, as the window says it.
namespace ScratchExpiry {

// The expiry date the CLI gives ("2026-12-20", or with a time after it); nothing when there is
// none or it is not a date.
std::optional<QDate> date(const CLIOrg &org);

// "Expires 20/12/2026 (in 14 days)", "Expires today", "Expires 07/12/2026 (tomorrow)",
// "Expired 05/12/2026 (yesterday)", "Expired 01/12/2026 (5 days ago)": the date in the locale's
// short format, with the year in full ("09.12.26" could be any of three dates).
QString text(QDate expires, QDate today, const QLocale &locale = Translations::locale());

// The row's mark when three days or fewer remain ("expires in 2 days", "expires tomorrow",
// "expires today"); empty
// otherwise, and for an org without an expiry date or one past it.
QString mark(const CLIOrg &org, QDate today);

} // namespace ScratchExpiry
