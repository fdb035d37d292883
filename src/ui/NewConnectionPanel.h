#pragma once

#include "LoginOptions.h"
#include "Panel.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class FlowLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;
struct Enablement;

// The form for new connections: the CLI's web login ("Create") or an auth file ("Import JSON").
// It keeps what the user entered after either action.
class NewConnectionPanel : public Panel
{
    Q_OBJECT

public:
    explicit NewConnectionPanel(QWidget *parent = nullptr);

    void setEnablement(const Enablement &enablement);

Q_SIGNALS:
    void createRequested(LoginKind kind, const QString &alias, BrowserChoice browser, bool setDefault);
    // The file is chosen next; the alias and the flag are the form's at the moment of the click.
    void importRequested(const QString &alias, bool setDefault);
    void cancelLoginRequested();

private:
    QHBoxLayout *buildTitleRow();
    FlowLayout *buildForm();
    QLineEdit *buildAliasField();
    QWidget *buildKindSegments();
    QComboBox *buildBrowserPicker();
    QVBoxLayout *buildDefaultColumn();
    void buildButtons(FlowLayout *form);
    QLabel *buildNote();
    void connectControls();

    LoginKind kind() const;
    void setKind(LoginKind kind);
    BrowserChoice browser() const;

    QLabel *m_loginURL;
    QLineEdit *m_aliasField;
    QButtonGroup *m_kindGroup; // segment ids are LoginKind::allCases() positions
    QComboBox *m_browserPicker;
    QCheckBox *m_defaultBox;
    QPushButton *m_createButton;
    QPushButton *m_cancelLoginButton; // shown only while a web login waits
    QPushButton *m_importButton;
};
