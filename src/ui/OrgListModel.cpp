#include "OrgListModel.h"

#include "DisplayText.h"
#include "ScratchExpiry.h"

#include <QTextDocument>

using namespace Qt::Literals::StringLiterals;

namespace {

QString joined(QStringList parts)
{
    parts.removeAll(QString());
    return parts.join(", "_L1);
}

} // namespace

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
        return DisplayText::line(org.displayName());
    case Qt::AccessibleTextRole: // what a screen reader says of the row: all it shows, in words
        return joined({DisplayText::line(org.displayName()), marks(org), statusText(org), DisplayText::line(org.subtitle())});
    case Qt::ToolTipRole:
        // A tooltip is drawn as rich text whenever it looks like markup; this one is data.
        return Qt::convertFromPlainText(DisplayText::line(org.subtitle()) + u'\n' + joined({statusText(org), marks(org)}),
                                        Qt::WhiteSpaceNoWrap);
    case SubtitleRole:
        return DisplayText::line(org.subtitle());
    case IsDefaultRole:
        return org.isDefaultUsername.value_or(false);
    case IsUnreachableRole:
        return m_unreachable.contains(org.username);
    case DotRole:
        return dot(org);
    case ExpiryMarkRole:
        return ScratchExpiry::mark(org, QDate::currentDate());
    default:
        return {};
    }
}

OrgListModel::Dot OrgListModel::dot(const CLIOrg &org) const
{
    // While the check runs a status says nothing of the connection now; after it failed, a
    // status is the last successful check's, and an org it did not know has none.
    if (m_connections == OrgStore::Connections::checking)
        return checkingDot;
    if (m_connections == OrgStore::Connections::unchecked && !org.connectedStatus)
        return unknownDot;
    return org.isConnected() ? connectedDot : disconnectedDot;
}

// The dot in words: never by colour alone.
QString OrgListModel::statusText(const CLIOrg &org) const
{
    switch (dot(org)) {
    case connectedDot:
        return tr("Connected");
    case checkingDot:
        return tr("Checking...");
    case unknownDot:
        return tr("Unknown");
    case disconnectedDot:
        break;
    }
    // The CLI's word for it is often a code ("ENOTFOUND"): said after ours.
    return org.connectedStatus && !org.connectedStatus->trimmed().isEmpty()
        ? tr("Not connected: %1").arg(DisplayText::line(*org.connectedStatus))
        : tr("Not connected");
}

// The row's badges in words.
QString OrgListModel::marks(const CLIOrg &org) const
{
    QStringList out;
    if (org.isDefaultUsername.value_or(false))
        out << tr("default");
    if (m_unreachable.contains(org.username))
        out << tr("unreachable");
    out << ScratchExpiry::mark(org, QDate::currentDate());
    return joined(out);
}
