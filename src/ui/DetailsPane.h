#pragma once

#include "CLIOrg.h"
#include "OpenTarget.h"
#include "Panel.h"

#include <QList>

#include <optional>

class QComboBox;
class QLabel;
class QPushButton;
class QScrollArea;
class QStackedWidget;

// The selected org: its details, where to open it, the actions on it, and the status line.
class DetailsPane : public Panel
{
    Q_OBJECT

public:
    explicit DetailsPane(QWidget *parent = nullptr);

    void showOrg(const std::optional<CLIOrg> &org);
    void setTargets(const QList<OpenTarget> &targets, const QString &selectedID);
    void setStatus(const QString &status);
    // Orange for a status that speaks of something expired, else the secondary colour.
    static bool isWarning(const QString &status);

    static inline const QStringList kRowLabels{QStringLiteral("Status"), QStringLiteral("Username"),
                                               QStringLiteral("Instance URL"), QStringLiteral("Login URL"),
                                               QStringLiteral("Org ID"), QStringLiteral("Client")};

    QStackedWidget *blocks; // page 0: no org, page 1: the org
    QLabel *emptyTitle;
    QLabel *emptyHint;
    QLabel *orgTitle;
    QList<QLabel *> rowValues; // in the order of kRowLabels
    QComboBox *targetPicker; // item data: the target's id
    QPushButton *reloadTargetsButton;
    QPushButton *openButton;
    QPushButton *setDefaultButton;
    QPushButton *copyTargetButton;
    QPushButton *deleteButton;
    QPushButton *exportButton;
    QScrollArea *statusArea;
    QLabel *statusLine = nullptr;

Q_SIGNALS:
    void targetChosen(const QString &id);

protected:
    void changeEvent(QEvent *event) override;
};
