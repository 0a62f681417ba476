#include "ui/l7_decoder.h"

#include "descriptions/sample_folder.h"
#include "session/session.h"
#include "ui/progress_window.h"

#include <QCoreApplication>
#include <QFile>
#include <QLocale>
#include <QSettings>

namespace protmon {

TL7Decoder::TL7Decoder(TMonitorSession& session)
    : session_(session), progress_(std::make_unique<TfrmProgress>()) {
    session_.SetDecoderPlaces(ReadBinPath().toStdString(), SampleFolder().toStdString(),
                              SystemDecimalSeparator());
    session_.SetDecoderProgress(progress_.get());
}

TL7Decoder::~TL7Decoder() {
    // The list refers to the progress window; drop the link before either goes.
    session_.SetDecoderProgress(nullptr);
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

} // namespace protmon
