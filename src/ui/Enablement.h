#pragma once

// Which controls may start an action, decided in one place from the store's state: each control
// names its rule, and allows() is the one function that answers it.
struct Enablement
{
    enum class Rule {
        always,
        idle, // nothing runs in the background
        org, // an org is selected, whatever runs
        idleOrg,
        idleConnectedOrg, // the selected org's connection works
        loginWaiting, // a web login waits for the browser
    };

    bool busy = false;
    bool hasOrg = false;
    bool orgConnected = false;
    bool loginWaiting = false;

    // Every action that runs in the background waits while another runs; one that never does
    // (copying) only needs an org.
    constexpr bool allows(Rule rule) const
    {
        switch (rule) {
        case Rule::always: return true;
        case Rule::idle: return !busy;
        case Rule::org: return hasOrg;
        case Rule::idleOrg: return hasOrg && !busy;
        case Rule::idleConnectedOrg: return hasOrg && !busy && orgConnected;
        case Rule::loginWaiting: return loginWaiting;
        }
        return false;
    }
};
