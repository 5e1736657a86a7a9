#include "gui/CQtFileChooser.h"

#include <QFileDialog>

namespace {

QString Run(QWidget* parent, const CFileChooser::Request& request, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(parent, request.caption, QString(), request.filter);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    if (!request.initialName.isEmpty())
        dialog.selectFile(request.initialName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

}  // namespace

QString CQtFileChooser::ChooseFileToOpen(QWidget* parent, const Request& request)
{
    return Run(parent, request, QFileDialog::AcceptOpen);
}

QString CQtFileChooser::ChooseFileToSave(QWidget* parent, const Request& request)
{
    return Run(parent, request, QFileDialog::AcceptSave);
}
