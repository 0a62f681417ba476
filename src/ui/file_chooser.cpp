#include "ui/file_chooser.h"

#include "ui/language_dialog.h"

#include <QFileDialog>

namespace protmon {

namespace {

const QString kMonitorFilter = QStringLiteral("Monitor files (*.bu5)");
const QString kParameterFilter = QStringLiteral("Parameter files (Para*.bin)");

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

std::string Chosen(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first().toStdString();
}

} // namespace

TFileChooser::TFileChooser(QWidget* parent)
    : ExecLanguageDialog([](TFrmSellng& dialog) { return dialog.exec(); }), parent_(parent),
      language_(std::make_unique<TFrmSellng>(parent)) {}

TFileChooser::~TFileChooser() = default;

std::string TFileChooser::SaveFileName(const std::string& folder, const std::string& name) {
    QFileDialog dialog(parent_, QString(), Q(folder), kMonitorFilter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("bu5"));
    // The session asks "Confirm overwriting " itself, with the final name.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!name.empty())
        dialog.selectFile(Q(name));
    return Chosen(dialog);
}

std::string TFileChooser::OpenFileName(const std::string& folder) {
    QFileDialog dialog(parent_, QString(), Q(folder), kMonitorFilter + ";;" + kParameterFilter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QStringLiteral("bu5"));
    dialog.selectNameFilter(kMonitorFilter);
    return Chosen(dialog);
}

std::string TFileChooser::OpenParameterFileName(const std::string& folder) {
    QFileDialog dialog(parent_, QString(), Q(folder), kMonitorFilter + ";;" + kParameterFilter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.selectNameFilter(kParameterFilter);
    dialog.selectFile(QStringLiteral("*.bin"));
    return Chosen(dialog);
}

bool TFileChooser::ChooseLanguage(char& letter) {
    if (ExecLanguageDialog(*language_) != QDialog::Accepted)
        return false;
    letter = language_->LanguageLetter();
    return true;
}

} // namespace protmon
