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
    };

    using QAbstractListModel::QAbstractListModel;

    void setOrgs(QList<CLIOrg> orgs);
    const QList<CLIOrg> &orgs() const { return m_orgs; }
    // The first row whose org has this id, or -1.
    int firstRowOf(const QString &id) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    QList<CLIOrg> m_orgs;
};
