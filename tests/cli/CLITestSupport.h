#pragma once

// What the CLI adapter's tests share: the fake `sf`'s path and an SFCLI that notes what each command asked of the runner before running it.

#include "AppError.h"
#include "FakeScenario.h"
#include "SFCLI.h"

#include <utility>

inline const QString kFake = QStringLiteral(FAKE_SF_PATH);

class WatchedCLI : public SFCLI
{
public:
    using SFCLI::SFCLI;
    mutable QList<std::pair<QStringList, double>> runs;

protected:
    QByteArray runForOutput(const QStringList &arguments, double timeout) const override
    {
        runs.append({arguments, timeout});
        return SFCLI::runForOutput(arguments, timeout);
    }
};
