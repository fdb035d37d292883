#include "Dialogs.h"

#include "Theme.h"

#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace {
const Dialogs::Responder *responder = nullptr;
}

void Dialogs::setResponder(const Responder *r) { responder = r; }

std::unique_ptr<QMessageBox> Dialogs::confirmationBox(QWidget *parent, const Confirmation &request,
                                                      QAbstractButton **confirmButton)
{
    auto box = std::make_unique<QMessageBox>(parent);
    box->setIcon(request.destructive ? QMessageBox::Warning : QMessageBox::Question);
    box->setWindowTitle(request.title);
    box->setTextFormat(Qt::PlainText);
    box->setText(request.title);
    box->setInformativeText(request.message);
    // The message may hold an alias or a username, never to be read as markup; Qt 6.4 leaves
    // the informative label guessing the format.
    for (QLabel *label : box->findChildren<QLabel *>())
        label->setTextFormat(Qt::PlainText);
    QPushButton *confirming = box->addButton(
        request.confirmLabel, request.destructive ? QMessageBox::DestructiveRole : QMessageBox::AcceptRole);
    if (request.destructive)
        Theme::makeDestructive(confirming);
    QPushButton *cancel = request.cancelLabel.isEmpty()
        ? box->addButton(QMessageBox::Cancel)
        : box->addButton(request.cancelLabel, QMessageBox::RejectRole);
    // Enter and Escape never confirm by accident.
    box->setDefaultButton(cancel);
    box->setEscapeButton(cancel);
    if (confirmButton)
        *confirmButton = confirming;
    return box;
}

bool Dialogs::confirm(QWidget *parent, const Confirmation &request)
{
    if (responder && responder->confirm)
        return responder->confirm(request);
    QAbstractButton *confirming = nullptr;
    const std::unique_ptr<QMessageBox> box = confirmationBox(parent, request, &confirming);
    box->exec();
    return box->clickedButton() == confirming;
}

namespace {

std::optional<QString> runFileDialog(QWidget *parent, const Dialogs::FileChoice &request,
                                     QFileDialog::AcceptMode mode)
{
    const bool save = mode == QFileDialog::AcceptSave;
    QFileDialog dialog(parent, request.title);
    dialog.setNameFilters(request.nameFilters);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (save) {
        dialog.setDefaultSuffix(QStringLiteral("json"));
        dialog.selectFile(request.proposedName);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

} // namespace

std::optional<QString> Dialogs::chooseSaveFile(QWidget *parent, const FileChoice &request)
{
    if (responder && responder->saveFile)
        return responder->saveFile(request);
    return runFileDialog(parent, request, QFileDialog::AcceptSave);
}

std::optional<QString> Dialogs::chooseOpenFile(QWidget *parent, const FileChoice &request)
{
    if (responder && responder->openFile)
        return responder->openFile(request);
    return runFileDialog(parent, request, QFileDialog::AcceptOpen);
}
