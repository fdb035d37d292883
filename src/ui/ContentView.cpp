#include "ContentView.h"

#include "BrowserLocations.h"
#include "DetailsPane.h"
#include "Dialogs.h"
#include "DisplayText.h"
#include "Enablement.h"
#include "HeaderPanel.h"
#include "NewConnectionPanel.h"
#include "OrgActions.h"
#include "OrgListModel.h"
#include "OrgRowDelegate.h"
#include "OrgStore.h"
#include "Panel.h"
#include "Spinner.h"
#include "Theme.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QScrollBar>
#include <QMouseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

// The gap between the list and the details, which a drag moves.
class SplitHandle : public QWidget
{
public:
    explicit SplitHandle(QWidget *parent, std::function<void(int)> dragged)
        : QWidget(parent)
        , m_dragged(std::move(dragged))
    {
        setObjectName(u"splitHandle"_s);
        setCursor(Qt::SplitHCursor);
        setFixedWidth(16);
        setToolTip(QCoreApplication::translate("ContentView", "Drag to widen the list or the details"));
    }

protected:
    void mousePressEvent(QMouseEvent *event) override { m_from = event->globalPosition().x(); }
    void mouseMoveEvent(QMouseEvent *event) override
    {
        if (!(event->buttons() & Qt::LeftButton))
            return;
        const double at = event->globalPosition().x();
        m_dragged(int(at - m_from));
        m_from = at;
    }

private:
    std::function<void(int)> m_dragged;
    double m_from = 0;
};

} // namespace

// The list and the details side by side, with a handle between them that moves the split, or the
// details under the list where they would be too narrow beside it (a small or scaled screen), so
// that nothing needs scrolling sideways. A layout, not a splitter: the details' rows wrap, and
// their height follows their width.
class ListAndDetails : public QWidget
{
public:
    static constexpr int kDetailsBeside = 480; // the narrowest details pane beside the list

    explicit ListAndDetails(QWidget *parent)
        : QWidget(parent)
        , m_layout(new QBoxLayout(QBoxLayout::LeftToRight, this))
        , m_handle(new SplitHandle(this, [this](int by) { setListWidth(m_list->width() + by); }))
    {
        setObjectName(u"listAndDetails"_s);
        m_layout->setContentsMargins(0, 0, 0, 0);
        m_layout->setSpacing(0);
    }

    void setParts(QWidget *list, QWidget *details)
    {
        m_list = list;
        m_details = details;
        m_narrowestList = narrowest(list);
        m_layout->addWidget(list);
        m_layout->addWidget(m_handle);
        m_layout->addWidget(details, 1);
    }

    // The list's width beside the details as the user left it; 0 while it has its own.
    int listWidth() const { return m_listWidth; }
    void setListWidth(int width)
    {
        m_listWidth = std::max(0, width);
        placeSplit();
    }

    // As narrow as the two need one above the other.
    QSize minimumSizeHint() const override
    {
        QSize hint = QWidget::minimumSizeHint();
        hint.setWidth(std::max(m_narrowestList, narrowest(m_details)));
        return hint;
    }

protected:
    void resizeEvent(QResizeEvent *event) override
    {
        const bool beside = width() >= m_narrowestList + m_handle->width() + kDetailsBeside;
        const QBoxLayout::Direction direction = beside ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom;
        if (m_layout->direction() != direction) {
            m_layout->setDirection(direction);
            m_layout->setStretch(0, beside ? 0 : 1);
            m_layout->setStretch(2, beside ? 1 : 0);
            m_handle->setFixedSize(beside ? QSize(16, QWIDGETSIZE_MAX) : QSize(QWIDGETSIZE_MAX, 16));
            m_handle->setCursor(beside ? Qt::SplitHCursor : Qt::ArrowCursor);
            // Above the details the list keeps room for a few rows.
            m_list->setMinimumHeight(beside ? 0 : 320);
        }
        placeSplit();
        QWidget::resizeEvent(event);
    }

private:
    // The user's split, within what leaves the details their room; the list's own width when stacked.
    void placeSplit()
    {
        if (!m_list)
            return;
        if (m_listWidth <= 0 || m_layout->direction() != QBoxLayout::LeftToRight) {
            m_list->setMinimumWidth(m_narrowestList);
            m_list->setMaximumWidth(QWIDGETSIZE_MAX);
            return;
        }
        const int room = width() - m_handle->width() - kDetailsBeside;
        m_list->setFixedWidth(std::clamp(m_listWidth, m_narrowestList, std::max(m_narrowestList, room)));
    }

    static int narrowest(const QWidget *part)
    {
        return part->minimumWidth() > 0 ? part->minimumWidth() : part->minimumSizeHint().width();
    }

    QBoxLayout *m_layout;
    SplitHandle *m_handle;
    QWidget *m_list = nullptr;
    QWidget *m_details = nullptr;
    int m_narrowestList = 0;
    int m_listWidth = 0;
};

ContentView::ContentView(OrgStore *store, std::shared_ptr<const BrowserLocations> browsers, QWidget *parent)
    : QWidget(parent)
    , m_browsers(std::move(browsers))
    , m_store(store)
    , m_openTargets(OpenTarget::loadAvailable(*m_browsers))
    , m_selectedOpenTargetID(OpenTarget::systemDefault().id)
{
    m_store->setParent(this);
    build();
    connectStore();
    syncList();
    syncDetails();
    syncBusy();
    m_details->setStatus(m_store->statusMessage());
    m_details->setTargets(m_openTargets, m_selectedOpenTargetID);
}

ContentView::~ContentView() = default;

int ContentView::listWidth() const { return m_split->listWidth(); }

void ContentView::setListWidth(int width) { m_split->setListWidth(width); }

void ContentView::build()
{
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(18, 18, 18, 18);
    column->setSpacing(16);
    m_header = new HeaderPanel(this);
    column->addWidget(m_header);

    auto *lower = new ListAndDetails(this);
    m_split = lower;
    QWidget *listPanel = buildListPanel(lower);
    m_details = new DetailsPane(lower);
    lower->setParts(listPanel, m_details);
    column->addWidget(lower, 1);
    // Made last, so that Tab goes from the filter to the list and the details before it, though
    // it stands above them.
    m_newConnection = new NewConnectionPanel(this);
    column->insertWidget(1, m_newConnection);

    connectPanels();
    connectList();
}

QWidget *ContentView::buildListPanel(QWidget *parent)
{
    auto *listPanel = new Panel(parent);
    listPanel->setMinimumWidth(430);
    auto *listColumn = new QVBoxLayout(listPanel);
    listColumn->setContentsMargins(14, 14, 14, 14);
    listColumn->setSpacing(10);
    auto *listHeader = new QHBoxLayout;
    auto *listTitle = new QLabel(tr("CLI Connections"), listPanel);
    Theme::applyFont(listTitle, Theme::TextStyle::Title3, Theme::Emphasis::Semibold);
    listHeader->addWidget(listTitle);
    listHeader->addStretch(1);
    listHeader->addWidget(buildCheckingIndicator(listPanel));
    listColumn->addLayout(listHeader);
    m_model = new OrgListModel(this);
    m_list = new QListView(listPanel);
    m_list->setObjectName(u"orgList"_s);
    m_list->setModel(m_model);
    m_list->setItemDelegate(new OrgRowDelegate(m_list));
    m_list->setUniformItemSizes(true); // smooth with a hundred thousand rows
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->viewport()->setAutoFillBackground(false);
    m_list->setAccessibleName(tr("CLI Connections"));
    Theme::makeReadableSelection(m_list);
    listColumn->addWidget(m_list, 1);
    m_emptyNote = new QLabel(m_list->viewport());
    m_emptyNote->setObjectName(u"emptyNote"_s);
    m_emptyNote->setTextFormat(Qt::PlainText);
    m_emptyNote->setWordWrap(true);
    m_emptyNote->setContentsMargins(10, 8, 10, 8); // where a row's text starts
    Theme::makeSecondary(m_emptyNote);
    auto *overList = new QVBoxLayout(m_list->viewport());
    overList->setContentsMargins(0, 0, 0, 0);
    overList->addWidget(m_emptyNote, 0, Qt::AlignTop);
    m_emptyNote->hide();
    // The scratch orgs the CLI hides because they expired or were deleted, and their clean-up.
    m_hiddenScratch = new QWidget(listPanel);
    auto *hiddenRow = new QHBoxLayout(m_hiddenScratch);
    hiddenRow->setContentsMargins(0, 0, 0, 0);
    m_hiddenScratchNote = new QLabel(m_hiddenScratch);
    m_hiddenScratchNote->setObjectName(u"hiddenScratchNote"_s);
    m_hiddenScratchNote->setWordWrap(true);
    Theme::applyFont(m_hiddenScratchNote, Theme::TextStyle::Caption);
    Theme::makeSecondary(m_hiddenScratchNote);
    hiddenRow->addWidget(m_hiddenScratchNote, 1);
    m_cleanUpButton = new QPushButton(tr("Clean Up..."), m_hiddenScratch);
    m_cleanUpButton->setObjectName(u"cleanUpButton"_s);
    connect(m_cleanUpButton, &QPushButton::clicked, this, &ContentView::confirmCleanUp);
    hiddenRow->addWidget(m_cleanUpButton, 0, Qt::AlignVCenter);
    m_hiddenScratch->hide();
    listColumn->addWidget(m_hiddenScratch);
    return listPanel;
}

// Says that the list can be used while the CLI still checks the connections.
QWidget *ContentView::buildCheckingIndicator(QWidget *parent)
{
    m_checkingIndicator = new QWidget(parent);
    m_checkingIndicator->setObjectName(u"checkingIndicator"_s);
    auto *checking = new QHBoxLayout(m_checkingIndicator);
    checking->setContentsMargins(0, 0, 0, 0);
    checking->setSpacing(6);
    auto *checkingSpinner = new Spinner(m_checkingIndicator);
    checkingSpinner->setAccessibleName(tr("Checking connections"));
    checkingSpinner->setAccessibleDescription(tr("Waiting for the Salesforce CLI to reach each org; the list can be used meanwhile."));
    checking->addWidget(checkingSpinner);
    m_checkingText = new QLabel(tr("Checking connections..."), m_checkingIndicator);
    m_checkingText->setObjectName(u"checkingText"_s);
    Theme::applyFont(m_checkingText, Theme::TextStyle::Caption);
    Theme::makeSecondary(m_checkingText);
    checking->addWidget(m_checkingText);
    m_checkingIndicator->hide();
    return m_checkingIndicator;
}

void ContentView::connectPanels()
{
    connect(m_header, &HeaderPanel::refreshRequested, m_store, &OrgStore::refresh);
    connect(m_header, &HeaderPanel::searchEdited, m_store, &OrgStore::setSearch);
    connect(m_header, &HeaderPanel::downFromFilter, this, [this] {
        if (m_model->rowCount() == 0)
            return;
        m_list->setFocus(Qt::TabFocusReason);
        if (!m_list->currentIndex().isValid())
            m_list->setCurrentIndex(m_model->index(0));
    });
    connect(m_details, &DetailsPane::targetChosen, this, [this](const QString &id) {
        m_selectedOpenTargetID = id;
    });
    connect(m_details, &DetailsPane::reloadTargetsRequested, this, &ContentView::reloadTargets);
    connect(m_details, &DetailsPane::forgetRequested, m_store, &OrgStore::forgetOpen);
    connect(m_details, &DetailsPane::orgActionTriggered, this, &ContentView::runOrgAction);
    connect(m_newConnection, &NewConnectionPanel::createRequested, m_store, &OrgStore::createConnection);
    connect(m_newConnection, &NewConnectionPanel::importRequested, this, &ContentView::chooseImportFile);
    connect(m_newConnection, &NewConnectionPanel::cancelLoginRequested, m_store, &OrgStore::cancelLogin);
}

// The list's selection goes to the store only when the user picks a row: a click or the keys
// move the current row; a screen reader selects a row, or clears the selection, through the
// accessible selection, which leaves the current row where it was. Either way the org the
// actions act on is the one highlighted.
void ContentView::connectList()
{
    connect(m_list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (m_syncingSelection || !current.isValid())
                    return;
                m_store->selectOrg(m_model->orgs().at(current.row()));
            });
    // A click on the row already highlighted (the one a list selects before the user does) picks
    // it all the same: the check that follows no longer moves it.
    connect(m_list, &QAbstractItemView::clicked, this, [this](const QModelIndex &index) {
        if (!m_syncingSelection && index.isValid() && m_list->selectionModel()->isSelected(index))
            m_store->selectOrg(m_model->orgs().at(index.row()));
    });
    // Return or a double-click on a row opens its org, as Ctrl+Return does (not `activated`, which
    // some desktops send on a single click).
    connect(m_list, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &index) {
        if (index.isValid())
            m_details->triggerOrgAction("open");
    });
    m_list->installEventFilter(this);
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (m_syncingSelection)
            return;
        const QModelIndexList rows = m_list->selectionModel()->selectedRows();
        if (rows.isEmpty())
            m_store->setSelectedID(std::nullopt);
        else if (rows.first().row() != m_list->currentIndex().row())
            m_store->selectOrg(m_model->orgs().at(rows.first().row()));
    });
}

void ContentView::connectStore()
{
    // A list that another program's change brought leaves the view where the user had scrolled
    // it, also when the selection is set again on the new rows.
    const auto keepingPlace = [this](auto sync) {
        return [this, sync] {
            const int scrolled = m_list->verticalScrollBar()->value();
            sync();
            if (m_store->followsCLI())
                m_list->verticalScrollBar()->setValue(scrolled);
        };
    };
    connect(m_store, &OrgStore::orgsChanged, this, keepingPlace([this] {
        syncList();
        syncDetails();
    }));
    connect(m_store, &OrgStore::searchChanged, this, [this] {
        m_header->setSearch(m_store->search());
        syncList();
    });
    connect(m_store, &OrgStore::selectedIDChanged, this, [this] { showRememberedOpen(true); });
    connect(m_store, &OrgStore::rememberedOpenChanged, this, [this] { showRememberedOpen(false); });
    connect(m_store, &OrgStore::selectedIDChanged, this, keepingPlace([this] {
        syncSelection();
        syncDetails();
    }));
    connect(m_store, &OrgStore::statusChanged, this, [this] {
        m_details->setStatus(m_store->statusMessage());
        syncEmptyNote();
    });
    connect(m_store, &OrgStore::textToCopy, this, [this](const QString &text) {
        QClipboard *clipboard = QGuiApplication::clipboard();
        if (clipboard)
            clipboard->setText(text);
        // A Wayland compositor without a seat, for one, takes nothing: never say it was copied.
        if (!clipboard || clipboard->text() != text)
            m_store->copyFailed(text);
    });
    connect(m_store, &OrgStore::isBusyChanged, this, &ContentView::syncBusy);
    connect(m_store, &OrgStore::hiddenScratchOrgsChanged, this, [this] {
        const int hidden = m_store->hiddenScratchOrgs();
        m_hiddenScratchNote->setText(tr("%n expired or deleted scratch orgs are hidden", nullptr, hidden));
        m_cleanUpButton->setAccessibleDescription(m_hiddenScratchNote->text()); // said with the button
        m_hiddenScratch->setVisible(hidden > 0);
    });
    connect(m_store, &OrgStore::connectionsChanged, this, [this] {
        m_checkingIndicator->setVisible(m_store->connections() == OrgStore::Connections::checking);
        // The orgs the CLI's files list, while the CLI is asked for its own list.
        const bool asking = m_store->listsCLIFiles();
        m_checkingText->setText(asking ? tr("Asking the CLI for its list...") : tr("Checking connections..."));
        m_checkingIndicator->findChild<Spinner *>()->setAccessibleName(asking ? tr("Asking the CLI for its list") : tr("Checking connections"));
        m_model->setConnections(m_store->connections());
        syncDetails();
    });
}

void ContentView::syncList()
{
    m_model->setOrgs(m_store->filteredOrgs(), m_store->unreachable(), m_store->connections());
    syncSelection();
    syncEmptyNote();
}

// A list without rows says why: a filter that matches nothing, a CLI without connections, or the
// failure that left it unlisted (the CLI not installed, for one). The list's description says the
// same to a screen reader.
void ContentView::syncEmptyNote()
{
    QString note;
    if (m_model->rowCount() > 0) {
    } else if (!m_store->orgs().isEmpty()) {
        note = tr("No connections match \u201c%1\u201d.").arg(DisplayText::line(m_store->search().trimmed()));
    } else if (m_store->hasListed()) {
        note = tr("No CLI connections yet.") + u'\n'
            + tr("Create one with New Connection above, or bring one in with Import JSON.");
    } else if (!m_store->isBusy() && m_store->statusMessage().severity != StatusMessage::Severity::progress) {
        note = DisplayText::excerpt(DisplayText::lines(m_store->status().section(u"\n\n"_s, 0, 0)));
    }
    m_emptyNote->setText(note);
    m_emptyNote->setVisible(!note.isEmpty());
    m_list->setAccessibleDescription(note);
}

// Highlights the selected org's row when it is listed, without writing the selection back:
// filtering never changes what is selected.
void ContentView::syncSelection()
{
    m_syncingSelection = true;
    QItemSelectionModel *selection = m_list->selectionModel();
    const std::optional<OrgRef> &ref = m_store->selection();
    const QModelIndex current = selection->currentIndex().isValid() ? selection->currentIndex() : selection->selectedRows().value(0);
    const auto matches = [&](int row) { return ref->names(m_model->orgs().at(row)); };
    // The row the user clicked stays highlighted when the same org is listed twice.
    const bool currentMatches = ref && current.isValid() && matches(current.row());
    int row = currentMatches ? current.row() : -1;
    for (int i = 0; ref && row < 0 && i < m_model->rowCount(); ++i) {
        if (matches(i))
            row = i;
    }
    if (row >= 0) {
        // Only a list that has the keyboard has a current row: a screen reader takes the current
        // row for the focus.
        const QModelIndex index = m_model->index(row);
        if (m_list->hasFocus())
            selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        else
            selection->select(index, QItemSelectionModel::ClearAndSelect);
        m_list->scrollTo(index);
    } else {
        selection->clear();
    }
    m_syncingSelection = false;
}

void ContentView::syncDetails()
{
    const std::optional<CLIOrg> org = m_store->selectedOrg();
    m_details->showOrg(org, {.unreachable = org && m_store->isUnreachable(*org),
                             .checking = m_store->connections() == OrgStore::Connections::checking});
    applyEnablement();
}

// A control that starts an action is disabled while it runs, and Qt hands the keyboard on to the
// next one, which may be the status text: it goes to the list instead, and comes back when the
// action ends, unless the user has moved it meanwhile.
void ContentView::syncBusy()
{
    const bool busy = m_store->isBusy();
    if (busy && !m_focusBeforeBusy)
        m_focusBeforeBusy = QApplication::focusWidget();
    m_header->setBusy(busy, m_store->status()); // the action's start message
    m_cleanUpButton->setEnabled(!busy);
    applyEnablement();
    syncEmptyNote();
    if (busy) {
        QWidget *now = QApplication::focusWidget();
        if (now != m_focusBeforeBusy && now && now->objectName() == "statusLine"_L1)
            m_list->setFocus(Qt::OtherFocusReason);
        m_focusWhileBusy = QApplication::focusWidget();
        return;
    }
    QWidget *was = std::exchange(m_focusBeforeBusy, nullptr);
    if (was && was->isEnabled() && was->isVisible() && QApplication::focusWidget() == m_focusWhileBusy)
        was->setFocus(Qt::OtherFocusReason);
    m_focusWhileBusy = nullptr;
}

Enablement ContentView::enablement() const
{
    const std::optional<CLIOrg> org = m_store->selectedOrg();
    return {.busy = m_store->isBusy(),
            .hasOrg = org.has_value(),
            .orgConnected = org && org->isConnected(),
            .loginWaiting = m_store->isLoginWaiting()};
}

void ContentView::applyEnablement()
{
    const Enablement e = enablement();
    m_header->setEnablement(e);
    m_details->setEnablement(e);
    m_newConnection->setEnablement(e);
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
    m_openTargets = OpenTarget::loadAvailable(*m_browsers);
    const bool offered = std::any_of(m_openTargets.cbegin(), m_openTargets.cend(),
                                     [this](const OpenTarget &t) { return t.id == m_selectedOpenTargetID; });
    if (!offered)
        m_selectedOpenTargetID = OpenTarget::systemDefault().id;
    m_details->setTargets(m_openTargets, m_selectedOpenTargetID);
}

void ContentView::showRememberedOpen(bool anotherOrg)
{
    const std::optional<CLIOrg> org = m_store->selectedOrg();
    if (!org || (anotherOrg && org->username == m_choiceShownFor))
        return;
    const std::optional<TargetMemory::Choice> choice = m_store->rememberedOpen(*org);
    if (!anotherOrg && choice) { // just opened: the pickers show what was remembered
        m_details->setOpenChoice(m_details->openChoice(), true);
        return;
    }
    m_choiceShownFor = org->username;
    QString targetID = OpenTarget::systemDefault().id;
    if (choice) {
        if (std::any_of(m_openTargets.cbegin(), m_openTargets.cend(), [&](const OpenTarget &t) { return t.id == choice->targetID; }))
            targetID = choice->targetID;
        else
            m_store->rememberedTargetGone(*org, choice->targetID);
    }
    m_selectedOpenTargetID = targetID;
    m_details->setTargets(m_openTargets, targetID);
    m_details->setOpenChoice(choice ? DetailsPane::OpenChoice{choice->privateWindow, choice->page} : DetailsPane::OpenChoice{},
                             choice.has_value());
}

void ContentView::tellCurrentRow()
{
    const QModelIndex current = m_list->currentIndex();
    if (!QAccessible::isActive() || !m_list->hasFocus() || !current.isValid())
        return;
    QAccessibleEvent focus(m_list, QAccessible::Focus);
    focus.setChild(current.row());
    QAccessible::updateAccessibility(&focus);
}

bool ContentView::eventFilter(QObject *watched, QEvent *event)
{
    // The current row comes with the keyboard, on the selected row, and goes with it.
    if (watched == m_list && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
        QItemSelectionModel *selection = m_list->selectionModel();
        const QModelIndex selected = selection->selectedRows().value(0);
        m_syncingSelection = true;
        if (event->type() == QEvent::FocusOut)
            selection->setCurrentIndex({}, QItemSelectionModel::NoUpdate);
        else if (!selection->currentIndex().isValid() && selected.isValid())
            selection->setCurrentIndex(selected, QItemSelectionModel::NoUpdate);
        m_syncingSelection = false;
        // The row's focus is told again once the list's own has been: a screen reader told of the
        // row first and the list after says only "list with 3 items", never which org is on.
        if (event->type() == QEvent::FocusIn)
            QMetaObject::invokeMethod(this, &ContentView::tellCurrentRow, Qt::QueuedConnection);
    }
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && m_list->selectionModel()->hasSelection()) {
            m_details->triggerOrgAction("open");
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ContentView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous()) // the window coming back from the task bar is not a new start
        return;
    m_header->focusFilter(); // the window opens where one starts: finding an org
    reloadTargets();
    m_store->refresh();
}

// Every action on the org runs from here, bound to the org selected when it was triggered: the
// list may change while its question is open, and the question names that org.
void ContentView::runOrgAction(const OrgAction &action)
{
    const std::optional<CLIOrg> org = m_store->selectedOrg();
    if (!org)
        return;
    if (action.question && !Dialogs::confirm(this, action.question(*org)))
        return;
    const DetailsPane::OpenChoice open = m_details->openChoice();
    action.run({.store = *m_store,
                .window = this,
                .org = *org,
                .target = selectedOpenTarget(),
                .privateWindow = open.privateWindow,
                .page = open.page});
}

// Nothing is removed without this confirmation; the safe answer is the default.
void ContentView::confirmCleanUp()
{
    const int hidden = m_store->hiddenScratchOrgs();
    if (hidden <= 0)
        return;
    Dialogs::Confirmation request;
    request.title = tr("Remove the connections of expired scratch orgs?");
    request.message = tr("This removes the local connections of the %n expired or deleted scratch orgs the CLI hides: "
                         "it runs sf org list --clean, then sf org logout for any that remain. The orgs themselves "
                         "are not contacted.", nullptr, hidden);
    request.confirmLabel = tr("Remove Connections");
    request.destructive = true;
    if (Dialogs::confirm(this, request))
        m_store->cleanUpScratchOrgs(hidden);
}

void ContentView::chooseImportFile(const QString &alias, bool setDefault)
{
    Dialogs::FileChoice request;
    request.title = tr("Import Salesforce Auth JSON");
    request.nameFilters = {tr("JSON (*.json)"), tr("Plain text (*.txt)")};
    if (const std::optional<QString> path = Dialogs::chooseOpenFile(this, request))
        m_store->importConnection(*path, alias, setDefault);
}
