#pragma once

#include "CLIOrg.h"
#include "OpenTarget.h"
#include "OrgActions.h"
#include "Panel.h"
#include "StatusMessage.h"

#include <QList>

#include <optional>

class QAction;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QStackedWidget;
class QVBoxLayout;

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
    void setStatus(const StatusMessage &status);
    void setEnablement(const Enablement &enablement);

    // Where an Open opens the org: in a private window or not, and on which page (a page's id, or
    // the custom path as typed; empty for the org's home page).
    struct OpenChoice
    {
        bool privateWindow = false;
        QString page;
    };
    OpenChoice openChoice() const;
    // The org's remembered choice shown; `forgettable` when there is one to forget.
    void setOpenChoice(const OpenChoice &choice, bool forgettable);
    // As its button or keys would: nothing while its rule disables it.
    void triggerOrgAction(const char *name);

Q_SIGNALS:
    void targetChosen(const QString &id);
    void reloadTargetsRequested();
    void forgetRequested();
    // One of OrgAction::all(), by its button or its keys.
    void orgActionTriggered(const OrgAction &action);

protected:
    void changeEvent(QEvent *event) override;

private:
    // A control and the rule that enables it.
    struct Enabled
    {
        QAction *action;
        Enablement::Rule rule;
    };

    void buildEmptyBlock();
    QWidget *buildOrgBlock();
    void buildDetailRows(QWidget *block, QVBoxLayout *column);
    void buildOpenRows(QWidget *block, QVBoxLayout *column);
    void buildActionRow(QWidget *block, QVBoxLayout *column);
    QHBoxLayout *pickerRow(QWidget *block, QVBoxLayout *column, const QString &label, const char *name,
                           QComboBox *&picker);
    void buildStatusLine(QVBoxLayout *column);

    QStackedWidget *m_blocks; // page 0: no org, page 1: the org
    class TitleLabel *m_orgTitle;
    QLabel *m_unreachableNote;
    QList<QLabel *> m_rowValues; // status, username, instance URL, login URL, org id, client; a scratch org's Dev Hub, edition, expiry
    QList<QLabel *> m_scratchRows; // their labels and values, shown for a scratch org only
    QComboBox *m_targetPicker; // item data: the target's id
    QCheckBox *m_privateBox;
    QAction *m_forget = nullptr;
    QWidget *m_forgetButton = nullptr;
    QComboBox *m_pagePicker;
    QLineEdit *m_pathField;
    int m_labelWidth = 0; // of every row's label
    QList<OrgAction> m_orgActions;
    QList<Enabled> m_enabled;
    QLabel *m_statusMark = nullptr; // the severity's icon, beside the text
    QLabel *m_statusLine = nullptr;
    QWidget *m_announcer = nullptr; // speaks the status wherever the keyboard is
    StatusMessage m_status; // whole, as the store has it
};
