#pragma once

#include "LoginOptions.h"
#include "OpenTarget.h"

#include <QWidget>

class DetailsPane;
class HeaderPanel;
class NewConnectionPanel;
class OrgListModel;
class OrgStore;
class QListView;
class SFCLI;
struct Enablement;
struct TargetEnvironment;

// The window's one view: header, new-connection form, the org list beside the details pane.
// It owns the store and starts its actions; it never runs the CLI itself.
class ContentView : public QWidget
{
    Q_OBJECT

public:
    explicit ContentView(QWidget *parent = nullptr);
    // `cli` and `targets` must outlive every action the view's store starts.
    ContentView(const SFCLI &cli, const TargetEnvironment &targets, QWidget *parent = nullptr);
    ~ContentView() override;

    OrgStore &store() const { return *m_store; }
    const QList<OpenTarget> &openTargets() const { return m_openTargets; }
    const QString &selectedOpenTargetID() const { return m_selectedOpenTargetID; }
    // The chosen target, or the system browser when the choice is no longer offered.
    OpenTarget selectedOpenTarget() const;
    bool showDeleteConfirm() const { return m_showDeleteConfirm; }
    bool showExportConfirm() const { return m_showExportConfirm; }
    Enablement enablement() const;

    HeaderPanel *header() const { return m_header; }
    NewConnectionPanel *newConnectionPanel() const { return m_newConnection; }
    QListView *orgList() const { return m_list; }
    DetailsPane *details() const { return m_details; }

    // The actions of the buttons, also for tests and shortcuts.
    void reloadTargets();
    void confirmDelete();
    void confirmExport();
    void chooseImportFile();
    void create();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void build();
    void connectStore();
    void syncList();
    void syncSelection();
    void syncDetails();
    void syncBusy();
    void applyEnablement();
    void chooseExportFile();

    const TargetEnvironment &m_targets;
    OrgStore *m_store;
    QList<OpenTarget> m_openTargets;
    QString m_selectedOpenTargetID;
    bool m_showDeleteConfirm = false;
    bool m_showExportConfirm = false;
    bool m_syncingSelection = false;

    HeaderPanel *m_header = nullptr;
    NewConnectionPanel *m_newConnection = nullptr;
    QListView *m_list = nullptr;
    OrgListModel *m_model = nullptr;
    DetailsPane *m_details = nullptr;
};
