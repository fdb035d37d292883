#pragma once

#include "LoginOptions.h"
#include "Panel.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The form for new connections: the CLI's web login ("Create") or an auth file ("Import JSON").
// It keeps what the user entered after either action.
class NewConnectionPanel : public Panel
{
    Q_OBJECT

public:
    explicit NewConnectionPanel(QWidget *parent = nullptr);

    QString alias() const;
    LoginKind kind() const;
    void setKind(LoginKind kind);
    BrowserChoice browser() const;
    bool setDefault() const;

    QLabel *loginURL;
    QLineEdit *aliasField;
    QButtonGroup *kindGroup; // segment ids are LoginKind::allCases() positions
    QComboBox *browserPicker;
    QCheckBox *defaultBox;
    QPushButton *createButton;
    QPushButton *importButton;
    QLabel *note;

Q_SIGNALS:
    void kindChanged();
};
