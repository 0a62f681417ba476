#include "ui/file_chooser.h"

#include <QFileDialog>

namespace protmon {

namespace {

const QString kMonitorFilter = QStringLiteral("Monitor files (*.bu5)");
const QString kParameterFilter = QStringLiteral("Parameter files (Para*.bin)");

} // namespace

QString TFileChooser::SaveFileName(QWidget* parent, const QString& folder, const QString& name) {
    QFileDialog dialog(parent, QString(), folder, kMonitorFilter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("bu5"));
    // The window asks "Confirm overwriting " itself, with the final name.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!name.isEmpty())
        dialog.selectFile(name);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

QString TFileChooser::OpenFileName(QWidget* parent, const QString& folder) {
    QFileDialog dialog(parent, QString(), folder, kMonitorFilter + ";;" + kParameterFilter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QStringLiteral("bu5"));
    dialog.selectNameFilter(kMonitorFilter);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

QString TFileChooser::OpenParameterFileName(QWidget* parent, const QString& folder) {
    QFileDialog dialog(parent, QString(), folder, kMonitorFilter + ";;" + kParameterFilter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.selectNameFilter(kParameterFilter);
    dialog.selectFile(QStringLiteral("*.bin"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

} // namespace protmon
