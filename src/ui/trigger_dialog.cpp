#include "ui/trigger_dialog.h"

#include "filter/number_parse.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdint>
#include <limits>

namespace protmon {

TDelayEdit::TDelayEdit(QWidget* parent) : QAbstractSpinBox(parent) {
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
}

void TDelayEdit::stepBy(int steps) {
    // Steps stay between 0 and the largest delay; a typed text is taken as it is.
    const long long value =
        std::clamp<long long>(static_cast<long long>(ParseNumberText(text().toStdString())) + steps,
                              0, std::numeric_limits<std::int32_t>::max());
    SetText(QString::number(value));
}

QValidator::State TDelayEdit::validate(QString&, int&) const {
    return QValidator::Acceptable;
}

QAbstractSpinBox::StepEnabled TDelayEdit::stepEnabled() const {
    return isEnabled() ? (StepUpEnabled | StepDownEnabled) : StepNone;
}

TfrmTrigger::TfrmTrigger(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Trigger settings"));
    RBTriggerOff = new QRadioButton(QStringLiteral("Trigger OFF"), this);
    RBTriggerOff->setObjectName(QStringLiteral("RBTriggerOff"));
    RBTriggerOn = new QRadioButton(QStringLiteral("Trigger activated"), this);
    RBTriggerOn->setObjectName(QStringLiteral("RBTriggerOn"));
    GroupDelay = new QGroupBox(QStringLiteral("Telegrams to record after triggering:"), this);
    EditDelay = new TDelayEdit(GroupDelay);
    EditDelay->setObjectName(QStringLiteral("EditDelay"));
    auto* groupLayout = new QHBoxLayout(GroupDelay);
    groupLayout->addWidget(EditDelay);
    BtnOk = new QPushButton(QStringLiteral("OK"), this);
    BtnOk->setObjectName(QStringLiteral("BtnOk"));
    BtnOk->setDefault(true);
    BtnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    BtnCancel->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BtnOk);
    buttons->addWidget(BtnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(RBTriggerOff);
    layout->addWidget(RBTriggerOn);
    layout->addWidget(GroupDelay);
    layout->addLayout(buttons);

    const TTriggerDialogState initial;
    RBTriggerOff->setChecked(!initial.Activated);
    RBTriggerOn->setChecked(initial.Activated);
    EditDelay->SetText(QString::fromStdString(initial.DelayText));
    connect(RBTriggerOn, &QRadioButton::toggled, this, &TfrmTrigger::ShowEnabling);
    connect(BtnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    ShowEnabling();
}

void TfrmTrigger::SetDelayText(const std::string& text) {
    EditDelay->SetText(QString::fromLatin1(text));
}

TTriggerDialogState TfrmTrigger::State() const {
    TTriggerDialogState state;
    state.Activated = RBTriggerOn->isChecked();
    state.DelayText = EditDelay->text().toLatin1().toStdString();
    return state;
}

void TfrmTrigger::ShowEnabling() {
    EditDelay->setEnabled(State().DelayEnabled());
}

} // namespace protmon
