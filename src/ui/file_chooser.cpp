#include "ui/file_chooser.h"

#include "ui/language_dialog.h"

#include <QFileDialog>
#include <algorithm>

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

// "Name (*.ext)|*.ext|..." as the dialog's filter list: the names, which show their patterns.
QStringList DialogFilters(const char* filter) {
    const QStringList parts = QString::fromLatin1(filter).split(QLatin1Char('|'));
    QStringList names;
    for (qsizetype i = 0; i < parts.size(); i += 2)
        names.append(parts[i]);
    return names;
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

std::string TFileChooser::ExportFileName(const std::string& folder, const char* filter,
                                         int& filterIndex) {
    const QStringList filters = DialogFilters(filter);
    QFileDialog dialog(parent_, QStringLiteral("Export"), Q(folder));
    dialog.setNameFilters(filters);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // The session forces the format's extension and asks before overwriting.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    std::string chosen = Chosen(dialog);
    filterIndex =
        static_cast<int>(std::max<qsizetype>(0, filters.indexOf(dialog.selectedNameFilter())));
    return chosen;
}

std::string TFileChooser::ImportFileName(const std::string& folder, const char* filter) {
    QFileDialog dialog(parent_, QStringLiteral("Import"), Q(folder));
    dialog.setNameFilters(DialogFilters(filter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    return Chosen(dialog);
}

bool TFileChooser::ChooseLanguage(char& letter) {
    if (ExecLanguageDialog(*language_) != QDialog::Accepted)
        return false;
    letter = language_->LanguageLetter();
    return true;
}

} // namespace protmon
