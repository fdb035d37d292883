#pragma once

#include <QString>

// The application's display name, shown verbatim (never translated).
inline const QString appName = QStringLiteral("Tarnwick");
