#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class QAbstractButton;
class QMessageBox;
class QWidget;

// Every confirmation and file dialog of the window goes through here, so that tests can answer
// them instead of a person (they never block on a real modal dialog).
namespace Dialogs {

struct Confirmation
{
    QString title;
    QString message = {}; // empty: no message
    QString confirmLabel = {};
    QString cancelLabel = {}; // empty: the platform's Cancel
    bool destructive = false;
};

struct FileChoice
{
    QString title;
    QStringList nameFilters;
    QString proposedName; // save dialogs only: a name, or a path in the folder to start in
};

// True when the user chose the confirming button.
bool confirm(QWidget *parent, const Confirmation &request);
// The dialog that confirm() runs, also for showing it without running it.
std::unique_ptr<QMessageBox> confirmationBox(QWidget *parent, const Confirmation &request,
                                             QAbstractButton **confirmButton = nullptr);
std::optional<QString> chooseSaveFile(QWidget *parent, const FileChoice &request);
std::optional<QString> chooseOpenFile(QWidget *parent, const FileChoice &request);

// The test seam: while set, these answer instead of a dialog.
struct Responder
{
    std::function<bool(const Confirmation &)> confirm;
    std::function<std::optional<QString>(const FileChoice &)> saveFile;
    std::function<std::optional<QString>(const FileChoice &)> openFile;
};
void setResponder(const Responder *responder);

} // namespace Dialogs
