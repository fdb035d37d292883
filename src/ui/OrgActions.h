#pragma once

#include "Dialogs.h"
#include "Enablement.h"
#include "OpenTarget.h"

#include <QCoreApplication>
#include <QKeySequence>
#include <QList>
#include <QString>

#include <functional>

class OrgStore;
class QWidget;
struct CLIOrg;

// What an action on the selected org runs with.
struct OrgActionContext
{
    OrgStore &store;
    QWidget *window; // the parent of any dialog it shows
    const CLIOrg &org; // selected when the action was triggered; its question named this one
    OpenTarget target; // where an Open opens it
    bool privateWindow = false;
    QString page; // a page's id, a custom path as typed, or empty for the org's home page
};

// An action of the details pane on the selected org, declared once: what it shows, its keys, the
// rule that enables it, what it asks first and what it runs. all() is the whole table.
class OrgAction
{
    Q_DECLARE_TR_FUNCTIONS(OrgAction)

public:
    enum class Button { none, plain, prominent, destructive };

    const char *name; // the action's object name; its button's is this + "Button"
    QString label;
    QString toolTip = {}; // "%1" stands for the first key
    QList<QKeySequence> keys = {};
    Enablement::Rule enabledWhen = Enablement::Rule::idleOrg;
    Button button = Button::plain;
    std::function<Dialogs::Confirmation(const CLIOrg &)> question = {}; // none: runs at once
    std::function<void(const OrgActionContext &)> run = {};

    // In the order of their buttons.
    static QList<OrgAction> all();
};
