#include "ui/qt_host.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>

namespace protmon {

namespace {

const QString kTitle = QStringLiteral("Protocol Monitor");

QString Text(const std::string& s) {
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

void TQtHost::ShowInfo(const std::string& text) {
    QMessageBox::information(parent_, kTitle, Text(text), QMessageBox::Ok);
}

void TQtHost::ShowError(const std::string& text) {
    QMessageBox::critical(parent_, kTitle, Text(text), QMessageBox::Ok);
}

std::unique_ptr<QMessageBox> MakeConfirmBox(QWidget* parent, const std::string& text) {
    auto box = std::make_unique<QMessageBox>(QMessageBox::Question, kTitle, Text(text),
                                             QMessageBox::Ok | QMessageBox::Cancel, parent);
    box->setDefaultButton(QMessageBox::Ok);
    box->setEscapeButton(QMessageBox::Cancel);
    return box;
}

bool TQtHost::Confirm(const std::string& text) {
    return MakeConfirmBox(parent_, text)->exec() == QMessageBox::Ok;
}

std::unique_ptr<QMessageBox> MakeYesNoCancelBox(QWidget* parent, const std::string& text) {
    auto box = std::make_unique<QMessageBox>(
        QMessageBox::Question, kTitle, Text(text),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
    box->setDefaultButton(QMessageBox::Yes);
    box->setEscapeButton(QMessageBox::Cancel);
    return box;
}

std::unique_ptr<QMessageBox> MakeErrorBox(QWidget* parent, const std::string& text,
                                          const std::string& detail) {
    auto box = std::make_unique<QMessageBox>(QMessageBox::Critical, kTitle, Text(text),
                                             QMessageBox::Ok, parent);
    box->setDetailedText(Text(detail));
    return box;
}

void TQtHost::ShowErrorDetail(const std::string& text, const std::string& detail) {
    MakeErrorBox(parent_, text, detail)->exec();
}

Answer TQtHost::AskYesNoCancel(const std::string& text) {
    switch (MakeYesNoCancelBox(parent_, text)->exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

void TQtHost::SetBusy(bool busy) {
    // Nested busy sections keep one override cursor.
    if (busy) {
        if (busyDepth_++ == 0)
            QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (busyDepth_ > 0 && --busyDepth_ == 0) {
        QApplication::restoreOverrideCursor();
    }
}

void TQtHost::ProcessPendingEvents() {
    QCoreApplication::processEvents();
}

} // namespace protmon
