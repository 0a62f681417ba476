#include "ui/l7_decoder.h"

#include "decode/decode_row.h"
#include "descriptions/language_file_name.h"
#include "descriptions/sample_folder.h"
#include "ui/file_chooser.h"
#include "ui/language_dialog.h"
#include "ui/progress_window.h"

#include <QCoreApplication>
#include <QFile>
#include <QLocale>
#include <QSettings>

namespace protmon {

TL7Decoder::TL7Decoder(QWidget* window)
    : BinPath(ReadBinPath()), DefaultFolder(SampleFolder()),
      DecimalSeparator(SystemDecimalSeparator()),
      ExecLanguageDialog([](TFrmSellng& dialog) { return dialog.exec(); }), window_(window),
      progress_(std::make_unique<TfrmProgress>()), language_(new TFrmSellng(window)) {
    cfgList_.SetProgress(progress_.get());
}

TL7Decoder::~TL7Decoder() {
    // The list refers to the progress window; drop the link before either goes.
    cfgList_.SetProgress(nullptr);
}

QString TL7Decoder::ReadBinPath() {
    const QSettings settings(QStringLiteral("ZIZ"), QStringLiteral("Zentraxo5"));
    return settings.value(QStringLiteral("Appl/BinPath")).toString();
}

QString TL7Decoder::SampleFolder() {
    const QByteArray programDir = QFile::encodeName(QCoreApplication::applicationDirPath());
    return QFile::decodeName(FindSampleFolder(programDir.toStdString()).c_str());
}

char TL7Decoder::SystemDecimalSeparator() {
    const QString point = QLocale().decimalPoint();
    if (point.size() == 1 && point.front().unicode() >= 0x20 && point.front().unicode() < 0x7F)
        return static_cast<char>(point.front().unicode());
    return '.';
}

TCodePage TL7Decoder::DisplayCodePage() const {
    const TCfgRec* set = DecoderSet();
    return set != nullptr ? set->DisplayCodePage : TCodePage::Latin1;
}

void TL7Decoder::ApplyTo(TDecodeContext& ctx) const {
    ctx.DecoderSet = DecoderSet();
    ctx.DecimalSeparator = DecimalSeparator;
}

bool TL7Decoder::MenuL7decoderClick(TFileChooser& chooser, const QString& sharedFolder) {
    if (Loading())
        return false;
    if (checked_ && decoderSetIndex_ >= 0) {
        SwitchOff();
        return true;
    }
    QString folder = sharedFolder;
    if (!BinPath.isEmpty())
        folder = BinPath;
    else if (!DefaultFolder.isEmpty())
        folder = DefaultFolder;
    const QString chosen = chooser.OpenParameterFileName(window_, folder);
    if (chosen.isEmpty())
        return false;
    LoadChosenFile(chosen);
    return true;
}

void TL7Decoder::SwitchOff() {
    cfgList_.RemoveCfg(decoderSetIndex_);
    decoderSetIndex_ = -1;
    checked_ = false;
    descriptionPath_.clear();
}

void TL7Decoder::LoadChosenFile(const QString& path) {
    const std::string file = path.toStdString();
    decoderSetIndex_ = cfgList_.LoadDescriptionFile(file, true);
    if (ExecLanguageDialog(*language_) == QDialog::Accepted && decoderSetIndex_ >= 0) {
        const char letter = language_->LanguageLetter();
        if (letter != '\0')
            LoadLanguageFor(*cfgList_.GetCfg(decoderSetIndex_), file, letter);
    }
    checked_ = true;
    descriptionPath_ = path;
}

} // namespace protmon
