#include "ui/detect_line_dialog.h"

#include "detect/detect_text.h"
#include "session/session.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace protmon {

namespace {

constexpr int kProgressSteps = 1000;

QString SettingText(const TLineSetting& s) {
    return QString::fromStdString("Listening at " + std::to_string(s.Baud) + " Baud, " +
                                  FramingText(s));
}

} // namespace

TDetectLineDialog::TDetectLineDialog(TMonitorSession& session, QWidget* parent)
    : QDialog(parent), session_(session) {
    setWindowTitle(QStringLiteral("Detect line"));
    Progress = new QProgressBar(this);
    Progress->setRange(0, kProgressSteps);
    LabelSetting = new QLabel(this);
    Table = new QTableWidget(0, static_cast<int>(kDetectColumns.size()), this);
    QStringList headers;
    for (const char* caption : kDetectColumns)
        headers << QString::fromLatin1(caption);
    Table->setHorizontalHeaderLabels(headers);
    Table->verticalHeader()->hide();
    Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Table->setSelectionMode(QAbstractItemView::NoSelection);
    LabelVerdict = new QLabel(this);
    BtnOk = new QPushButton(QStringLiteral("OK"), this);
    BtnOk->setEnabled(false);
    BtnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtnOk);
    buttons->addWidget(BtnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Progress);
    layout->addWidget(LabelSetting);
    layout->addWidget(Table);
    layout->addWidget(LabelVerdict);
    layout->addLayout(buttons);
    resize(560, 420);
    connect(BtnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(BtnCancel, &QPushButton::clicked, this, &TDetectLineDialog::CancelClick);
}

void TDetectLineDialog::CancelClick() {
    cancelled_ = running_;
    reject();
}

bool TDetectLineDialog::Detect(double seconds) {
    running_ = true;
    cancelled_ = false;
    BtnOk->setEnabled(false);
    outcome_ = session_.DetectLine(seconds, [this](const TDetectProgress& p) {
        Progress->setValue(static_cast<int>(p.Fraction * kProgressSteps));
        LabelSetting->setText(SettingText(p.Setting));
        // The Cancel button is seen here; the window's host may be a test's that lets nothing
        // through.
        QCoreApplication::processEvents();
        return !cancelled_;
    });
    running_ = false;
    if (cancelled_ || outcome_.Cancelled)
        return false;
    ShowOutcome();
    return true;
}

void TDetectLineDialog::ShowOutcome() {
    Progress->setValue(kProgressSteps);
    LabelSetting->clear();
    Table->setRowCount(static_cast<int>(outcome_.Ranked.size()));
    for (int r = 0; r < Table->rowCount(); ++r) {
        const auto cells = DetectRowTexts(outcome_.Ranked[static_cast<std::size_t>(r)]);
        for (int c = 0; c < Table->columnCount(); ++c) {
            auto* item =
                new QTableWidgetItem(QString::fromStdString(cells[static_cast<std::size_t>(c)]));
            item->setTextAlignment(c < 2 ? Qt::AlignLeft | Qt::AlignVCenter
                                         : Qt::AlignRight | Qt::AlignVCenter);
            Table->setItem(r, c, item);
        }
    }
    Table->resizeColumnsToContents();
    const TCaptureSettings& s = session_.Settings();
    const bool udp = session_.UdpArgument() != nullptr;
    const std::string failure = DetectFailureText(outcome_, s.PortText, udp);
    LabelVerdict->setText(
        QString::fromStdString(failure.empty() ? VerdictText(outcome_.Verdict) : failure));
    BtnOk->setEnabled(failure.empty() && outcome_.Verdict.Kind == VerdictKind::Found);
}

bool TDetectLineDialog::Apply() {
    return session_.ApplyDetection(outcome_);
}

bool TDetectLineDialog::Run() {
    show();
    if (!Detect())
        return false;
    return exec() == QDialog::Accepted && Apply();
}

} // namespace protmon
