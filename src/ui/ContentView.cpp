#include "ContentView.h"

#include "DetailsPane.h"
#include "Dialogs.h"
#include "Enablement.h"
#include "HeaderPanel.h"
#include "NewConnectionPanel.h"
#include "OrgListModel.h"
#include "OrgRowDelegate.h"
#include "OrgStore.h"
#include "Panel.h"
#include "SFCLI.h"
#include "Spinner.h"
#include "TargetEnvironment.h"
#include "Theme.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

ContentView::ContentView(QWidget *parent)
    : ContentView(SFCLI::shared(), TargetEnvironment::system(), parent)
{
}

ContentView::ContentView(const SFCLI &cli, const TargetEnvironment &targets, QWidget *parent)
    : QWidget(parent)
    , m_targets(targets)
    , m_store(new OrgStore(cli, targets, this))
    , m_openTargets(OpenTarget::loadAvailable(targets))
    , m_selectedOpenTargetID(OpenTarget::systemDefault().id)
{
    build();
    connectStore();
    syncList();
    syncDetails();
    syncBusy();
    m_details->setStatus(m_store->status());
    m_details->setTargets(m_openTargets, m_selectedOpenTargetID);
}

ContentView::~ContentView() = default;

void ContentView::build()
{
    setMinimumSize(980, 720);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(18, 18, 18, 18);
    column->setSpacing(16);
    m_header = new HeaderPanel(this);
    column->addWidget(m_header);
    m_newConnection = new NewConnectionPanel(this);
    column->addWidget(m_newConnection);

    auto *lower = new QHBoxLayout;
    lower->setSpacing(16);
    auto *listPanel = new Panel(this);
    listPanel->setMinimumWidth(430);
    auto *listColumn = new QVBoxLayout(listPanel);
    listColumn->setContentsMargins(14, 14, 14, 14);
    listColumn->setSpacing(10);
    auto *listTitle = new QLabel(tr("CLI Connections"), listPanel);
    Theme::applyFont(listTitle, Theme::TextStyle::Title3, false, true);
    listColumn->addWidget(listTitle);
    m_model = new OrgListModel(this);
    m_list = new QListView(listPanel);
    m_list->setModel(m_model);
    m_list->setItemDelegate(new OrgRowDelegate(m_list));
    m_list->setUniformItemSizes(true); // smooth with a hundred thousand rows
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->viewport()->setAutoFillBackground(false);
    m_list->setAccessibleName(tr("CLI Connections"));
    listColumn->addWidget(m_list, 1);
    lower->addWidget(listPanel);
    m_details = new DetailsPane(this);
    lower->addWidget(m_details, 1);
    column->addLayout(lower, 1);

    // Header.
    connect(m_header->refreshButton, &QPushButton::clicked, m_store, &OrgStore::refresh);
    connect(m_header->filterField, &QLineEdit::textEdited, m_store, &OrgStore::setSearch);

    // The list's selection goes to the store only when the user picks a row.
    connect(m_list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (m_syncingSelection || !current.isValid())
                    return;
                m_store->setSelectedID(current.data(OrgListModel::IdRole).toString());
            });

    // Details.
    connect(m_details, &DetailsPane::targetChosen, this, [this](const QString &id) {
        m_selectedOpenTargetID = id;
    });
    connect(m_details->reloadTargetsButton, &QPushButton::clicked, this, &ContentView::reloadTargets);
    connect(m_details->openButton, &QPushButton::clicked, this,
            [this] { m_store->openSelected(selectedOpenTarget()); });
    connect(m_details->setDefaultButton, &QPushButton::clicked, m_store, &OrgStore::setSelectedAsDefault);
    connect(m_details->copyTargetButton, &QPushButton::clicked, m_store, &OrgStore::copyTarget);
    connect(m_details->deleteButton, &QPushButton::clicked, this, &ContentView::confirmDelete);
    connect(m_details->exportButton, &QPushButton::clicked, this, &ContentView::confirmExport);

    // New connection.
    connect(m_newConnection->createButton, &QPushButton::clicked, this, &ContentView::create);
    connect(m_newConnection->importButton, &QPushButton::clicked, this, &ContentView::chooseImportFile);
}

void ContentView::connectStore()
{
    connect(m_store, &OrgStore::orgsChanged, this, [this] {
        syncList();
        syncDetails();
    });
    connect(m_store, &OrgStore::searchChanged, this, [this] {
        if (m_header->filterField->text() != m_store->search())
            m_header->filterField->setText(m_store->search());
        syncList();
    });
    connect(m_store, &OrgStore::selectedIDChanged, this, [this] {
        syncSelection();
        syncDetails();
    });
    connect(m_store, &OrgStore::statusChanged, this, [this] { m_details->setStatus(m_store->status()); });
    connect(m_store, &OrgStore::isBusyChanged, this, &ContentView::syncBusy);
}

void ContentView::syncList()
{
    m_model->setOrgs(m_store->filteredOrgs());
    syncSelection();
}

// Highlights the selected org's row when it is listed, without writing the selection back:
// filtering never changes what is selected.
void ContentView::syncSelection()
{
    m_syncingSelection = true;
    QItemSelectionModel *selection = m_list->selectionModel();
    const std::optional<QString> &id = m_store->selectedID();
    const QModelIndex current = selection->currentIndex();
    const bool currentMatches = id && current.isValid() && current.data(OrgListModel::IdRole).toString() == *id;
    const int row = currentMatches ? current.row() : (id ? m_model->firstRowOf(*id) : -1);
    if (row >= 0) {
        const QModelIndex index = m_model->index(row);
        selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        m_list->scrollTo(index);
    } else {
        selection->clear();
    }
    m_syncingSelection = false;
}

void ContentView::syncDetails()
{
    m_details->showOrg(m_store->selectedOrg());
    applyEnablement();
}

void ContentView::syncBusy()
{
    m_header->spinner->setVisible(m_store->isBusy());
    applyEnablement();
}

Enablement ContentView::enablement() const
{
    return Enablement::compute(m_store->isBusy(), m_store->selectedOrg());
}

void ContentView::applyEnablement()
{
    const Enablement e = enablement();
    m_header->refreshButton->setEnabled(e.refresh);
    m_details->openButton->setEnabled(e.openConnection);
    m_details->setDefaultButton->setEnabled(e.setDefault);
    m_details->copyTargetButton->setEnabled(e.copyTarget);
    m_details->deleteButton->setEnabled(e.deleteConnection);
    m_details->exportButton->setEnabled(e.exportJSON);
    m_details->reloadTargetsButton->setEnabled(e.reloadTargets);
    m_newConnection->createButton->setEnabled(e.create);
    m_newConnection->importButton->setEnabled(e.importJSON);
}

OpenTarget ContentView::selectedOpenTarget() const
{
    for (const OpenTarget &target : m_openTargets) {
        if (target.id == m_selectedOpenTargetID)
            return target;
    }
    return OpenTarget::systemDefault();
}

void ContentView::reloadTargets()
{
    m_openTargets = OpenTarget::loadAvailable(m_targets);
    const bool offered = std::any_of(m_openTargets.cbegin(), m_openTargets.cend(),
                                     [this](const OpenTarget &t) { return t.id == m_selectedOpenTargetID; });
    if (!offered)
        m_selectedOpenTargetID = OpenTarget::systemDefault().id;
    m_details->setTargets(m_openTargets, m_selectedOpenTargetID);
}

void ContentView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous()) // the window coming back from the task bar is not a new start
        return;
    reloadTargets();
    m_store->refresh();
}

void ContentView::confirmDelete()
{
    m_showDeleteConfirm = true;
    Dialogs::Confirmation request;
    request.title = tr("Delete selected Salesforce CLI connection?");
    if (const std::optional<CLIOrg> org = m_store->selectedOrg())
        request.message = tr("This runs sf org logout for %1. You can re-create it later with New Connection.")
                              .arg(org->displayName());
    request.confirmLabel = tr("Delete Connection");
    request.destructive = true;
    const bool confirmed = Dialogs::confirm(this, request);
    m_showDeleteConfirm = false;
    if (confirmed)
        m_store->deleteSelected();
}

void ContentView::confirmExport()
{
    m_showExportConfirm = true;
    Dialogs::Confirmation request;
    request.title = tr("Export selected connection auth JSON?");
    request.message = tr("The exported JSON contains an OAuth refresh token. Anyone with this file can "
                         "authorize Salesforce CLI for this org until the token is revoked or expires.");
    request.confirmLabel = tr("Export Auth JSON");
    const bool confirmed = Dialogs::confirm(this, request);
    m_showExportConfirm = false;
    if (confirmed)
        chooseExportFile();
}

void ContentView::chooseExportFile()
{
    const std::optional<CLIOrg> org = m_store->selectedOrg();
    if (!org)
        return;
    Dialogs::FileChoice request;
    request.title = tr("Export Salesforce Auth JSON");
    request.nameFilters = {tr("JSON (*.json)")};
    request.proposedName = org->target() + "-sfdx-auth.json"_L1;
    if (const std::optional<QString> path = Dialogs::chooseSaveFile(this, request))
        m_store->exportSelected(*path);
}

void ContentView::chooseImportFile()
{
    Dialogs::FileChoice request;
    request.title = tr("Import Salesforce Auth JSON");
    request.nameFilters = {tr("JSON (*.json)"), tr("Plain text (*.txt)")};
    if (const std::optional<QString> path = Dialogs::chooseOpenFile(this, request))
        m_store->importConnection(*path, m_newConnection->alias(), m_newConnection->setDefault());
}

void ContentView::create()
{
    m_store->createConnection(m_newConnection->kind(), m_newConnection->alias(),
                              m_newConnection->browser(), m_newConnection->setDefault());
}
