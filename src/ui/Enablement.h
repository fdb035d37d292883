#pragma once

#include "CLIOrg.h"

#include <optional>

// Which controls may start an action, decided in one place from the store's state.
struct Enablement
{
    bool refresh = false;
    bool openConnection = false;
    bool setDefault = false;
    bool copyTarget = false;
    bool deleteConnection = false;
    bool exportJSON = false;
    bool create = false;
    bool importJSON = false;
    bool reloadTargets = true; // never disabled
    bool cancelLogin = false; // only while a web login waits for the browser

    // Every action that runs in the background waits while another runs. Copying the target
    // never runs in the background, so it only needs an org.
    static Enablement compute(bool busy, const std::optional<CLIOrg> &selected, bool loginWaiting = false)
    {
        Enablement e;
        e.cancelLogin = loginWaiting;
        e.refresh = e.create = e.importJSON = !busy;
        e.openConnection = e.setDefault = e.deleteConnection = selected && !busy;
        e.copyTarget = selected.has_value();
        e.exportJSON = selected && !busy && selected->isConnected();
        return e;
    }

    friend bool operator==(const Enablement &, const Enablement &) = default;
};
