#pragma once

#include "LoginOptions.h"
#include "OpenTarget.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class DetailsPane;
class HeaderPanel;
class NewConnectionPanel;
class OrgListModel;
class OrgStore;
class QLabel;
class QListView;
class QPushButton;
class OrgAction;
struct BrowserLocations;
struct Enablement;

// The window's one view: header, new-connection form, the org list beside the details pane.
// It owns the store and is the one place that wires the store to the panels: the panels speak in
// intents, the view turns them into the store's actions and feeds the store's state back.
class ListAndDetails;
class ContentView : public QWidget
{
    Q_OBJECT

public:
    // Shows `store` and takes it over; `browsers` says where the browsers and their profiles are.
    ContentView(OrgStore *store, std::shared_ptr<const BrowserLocations> browsers, QWidget *parent = nullptr);
    ~ContentView() override;

    const QList<OpenTarget> &openTargets() const { return m_openTargets; }
    const QString &selectedOpenTargetID() const { return m_selectedOpenTargetID; }
    // The chosen target, or the system browser when the choice is no longer offered.
    OpenTarget selectedOpenTarget() const;
    Enablement enablement() const;
    // The list's width beside the details as the user left it (0: its own), to come back as it was.
    int listWidth() const;
    void setListWidth(int width);

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void build();
    QWidget *buildListPanel(QWidget *parent);
    QWidget *buildCheckingIndicator(QWidget *parent);
    void connectPanels();
    void connectList();
    void tellCurrentRow();
    void reloadTargets();
    // The selected org's remembered choice in the pickers, when another org is selected
    // (`anotherOrg`) or what is remembered changes.
    void showRememberedOpen(bool anotherOrg);
    void runOrgAction(const OrgAction &action);
    void confirmCleanUp();
    void chooseImportFile(const QString &alias, bool setDefault);
    void connectStore();
    void syncList();
    void syncSelection();
    void syncDetails();
    void syncBusy();
    void syncEmptyNote();
    void applyEnablement();

    std::shared_ptr<const BrowserLocations> m_browsers;
    OrgStore *m_store;
    QWidget *m_checkingIndicator = nullptr;
    QLabel *m_checkingText = nullptr;
    QList<OpenTarget> m_openTargets;
    QString m_selectedOpenTargetID;
    ListAndDetails *m_split = nullptr;
    QString m_choiceShownFor; // the username of the org whose choice the pickers show
    bool m_syncingSelection = false;
    // Where the keyboard was when an action started, and where it went when its control was disabled.
    QPointer<QWidget> m_focusBeforeBusy;
    QPointer<QWidget> m_focusWhileBusy;

    HeaderPanel *m_header = nullptr;
    NewConnectionPanel *m_newConnection = nullptr;
    QListView *m_list = nullptr;
    QWidget *m_hiddenScratch = nullptr;
    QLabel *m_hiddenScratchNote = nullptr;
    QPushButton *m_cleanUpButton = nullptr;
    OrgListModel *m_model = nullptr;
    QLabel *m_emptyNote = nullptr; // over the list while it shows no row: why, and what to do
    DetailsPane *m_details = nullptr;
};
