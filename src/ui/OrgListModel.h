#pragma once

#include "CLIOrg.h"

#include <QAbstractListModel>
#include <QList>

// The org list as the view shows it: the store's filtered orgs, one row each, in that order.
class OrgListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Role {
        IdRole = Qt::UserRole + 1,
        SubtitleRole,
        IsDefaultRole, // isDefaultUsername present and true
        IsConnectedRole,
        IsUnreachableRole, // hidden from the CLI by another org's alias
    };

    using QAbstractListModel::QAbstractListModel;

    // `aliases`: those of the whole list, which tell the orgs that the CLI cannot reach.
    void setOrgs(QList<CLIOrg> orgs, QSet<QString> aliases = {});
    const QList<CLIOrg> &orgs() const { return m_orgs; }

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    QList<CLIOrg> m_orgs;
    QSet<QString> m_aliases;
};
