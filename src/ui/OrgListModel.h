#pragma once

#include "CLIOrg.h"
#include "OrgStore.h"

#include <QAbstractListModel>
#include <QList>

// The org list as the view shows it: the store's filtered orgs, one row each, in that order.
class OrgListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Role {
        SubtitleRole = Qt::UserRole + 1,
        IsDefaultRole, // isDefaultUsername present and true
        IsUnreachableRole, // hidden from the CLI by another org's alias
        DotRole, // a Dot: the connection as the row shows it
        ExpiryMarkRole, // a scratch org's "expires in 2 days", when three days or fewer remain
    };
    enum Dot { connectedDot, disconnectedDot, checkingDot, unknownDot };

    using QAbstractListModel::QAbstractListModel;

    // `unreachable`: the usernames of the orgs that no name reaches; `connections`: whether the
    // orgs' statuses are the check's.
    void setOrgs(QList<CLIOrg> orgs, QSet<QString> unreachable = {},
                 OrgStore::Connections connections = OrgStore::Connections::checked);
    void setConnections(OrgStore::Connections connections);
    const QList<CLIOrg> &orgs() const { return m_orgs; }

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    Dot dot(const CLIOrg &org) const;
    QString statusText(const CLIOrg &org) const;
    QString marks(const CLIOrg &org) const;

    QList<CLIOrg> m_orgs;
    QSet<QString> m_unreachable;
    OrgStore::Connections m_connections = OrgStore::Connections::checked;
};
