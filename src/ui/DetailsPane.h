#pragma once

#include "CLIOrg.h"
#include "OpenTarget.h"
#include "Panel.h"

#include <QList>

#include <optional>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QStackedWidget;
struct Enablement;

// The selected org: its details, where to open it, the actions on it, and the status line.
class DetailsPane : public Panel
{
    Q_OBJECT

public:
    explicit DetailsPane(QWidget *parent = nullptr);

    // `unreachable`: another org's alias hides this one from the CLI; the pane says so.
    // `checking`: its connection is being checked, whatever its status says.
    struct OrgState
    {
        bool unreachable = false; // no name reaches it
        bool checking = false; // its connection is being checked
    };
    void showOrg(const std::optional<CLIOrg> &org, OrgState state);
    void setTargets(const QList<OpenTarget> &targets, const QString &selectedID);
    void setStatus(const QString &status);
    void setEnablement(const Enablement &enablement);
    // Orange for a status that speaks of something expired, else the secondary colour.
    static bool isWarning(const QString &status);

Q_SIGNALS:
    void targetChosen(const QString &id);
    void reloadTargetsRequested();
    // `page`: a page's id, or the custom path as typed; empty for the org's home page.
    void openRequested(bool privateWindow, const QString &page);
    void setDefaultRequested();
    void copyTargetRequested();
    void deleteRequested();
    void exportRequested();

protected:
    void changeEvent(QEvent *event) override;

private:
    // An action on the org and the member of Enablement that enables it.
    struct OrgAction
    {
        QAction *action;
        bool Enablement::*enabledBy;
    };

    void requestOpen();
    void requestSetup();

    QStackedWidget *m_blocks; // page 0: no org, page 1: the org
    class TitleLabel *m_orgTitle;
    QLabel *m_unreachableNote;
    QList<QLabel *> m_rowValues; // status, username, instance URL, login URL, org id, client; a scratch org's Dev Hub, edition, expiry
    QList<QLabel *> m_scratchRows; // their labels and values, shown for a scratch org only
    QComboBox *m_targetPicker; // item data: the target's id
    QCheckBox *m_privateBox;
    QComboBox *m_pagePicker;
    QLineEdit *m_pathField;
    QList<OrgAction> m_actions;
    QLabel *m_statusLine = nullptr;
    QString m_status; // whole, as the store has it
};
