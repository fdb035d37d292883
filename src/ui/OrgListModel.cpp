#include "OrgListModel.h"

#include "DisplayText.h"

#include <QTextDocument>

void OrgListModel::setOrgs(QList<CLIOrg> orgs, QSet<QString> unreachable, OrgStore::Connections connections)
{
    beginResetModel();
    m_orgs = std::move(orgs);
    m_unreachable = std::move(unreachable);
    m_connections = connections;
    endResetModel();
}

void OrgListModel::setConnections(OrgStore::Connections connections)
{
    m_connections = connections;
    if (!m_orgs.isEmpty())
        Q_EMIT dataChanged(index(0), index(rowCount() - 1), {DotRole});
}

int OrgListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_orgs.size());
}

QVariant OrgListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const CLIOrg &org = m_orgs.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return DisplayText::line(org.displayName());
    case Qt::ToolTipRole:
        // A tooltip is drawn as rich text whenever it looks like markup; this one is data.
        return Qt::convertFromPlainText(DisplayText::line(org.subtitle()), Qt::WhiteSpaceNoWrap);
    case SubtitleRole:
        return DisplayText::line(org.subtitle());
    case IsDefaultRole:
        return org.isDefaultUsername.value_or(false);
    case IsUnreachableRole:
        return m_unreachable.contains(org.username);
    case DotRole:
        // While the check runs a status says nothing of the connection now; after it failed, a
        // status is the last successful check's, and an org it did not know has none.
        if (m_connections == OrgStore::Connections::checking)
            return checkingDot;
        if (m_connections == OrgStore::Connections::unchecked && !org.connectedStatus)
            return unknownDot;
        return org.isConnected() ? connectedDot : disconnectedDot;
    default:
        return {};
    }
}
