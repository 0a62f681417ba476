#include "ui/copy_dialog.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace protmon {

TFrmCopy::TFrmCopy(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromLatin1(kCopyDialogCaption.data(),
                                       static_cast<qsizetype>(kCopyDialogCaption.size())));
    GroupRange = new QGroupBox(this);
    RBRange = new QRadioButton(QStringLiteral("Range"), GroupRange);
    RBRange->setObjectName(QStringLiteral("RBRange"));
    RBRange->setAutoExclusive(false);
    EditFrom = new QLineEdit(GroupRange);
    EditFrom->setObjectName(QStringLiteral("EditFrom"));
    EditTo = new QLineEdit(GroupRange);
    EditTo->setObjectName(QStringLiteral("EditTo"));
    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("from"), EditFrom);
    fields->addRow(QStringLiteral("to"), EditTo);
    auto* rangeLayout = new QVBoxLayout(GroupRange);
    rangeLayout->addWidget(RBRange);
    rangeLayout->addLayout(fields);

    GroupFiltered = new QGroupBox(this);
    RBAllFiltered = new QRadioButton(QStringLiteral("All filtered telegrams"), GroupFiltered);
    RBAllFiltered->setObjectName(QStringLiteral("RBAllFiltered"));
    RBAllFiltered->setAutoExclusive(false);
    auto* filteredLayout = new QVBoxLayout(GroupFiltered);
    filteredLayout->addWidget(RBAllFiltered);

    BtnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    BtnCancel->setAutoDefault(false);
    BtnOk = new QPushButton(QStringLiteral("OK"), this);
    BtnOk->setObjectName(QStringLiteral("BtnOk"));
    BtnOk->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BtnCancel);
    buttons->addWidget(BtnOk);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GroupRange);
    layout->addWidget(GroupFiltered);
    layout->addLayout(buttons);

    connect(RBRange, &QRadioButton::clicked, this, &TFrmCopy::RangeClick);
    connect(RBAllFiltered, &QRadioButton::clicked, this, &TFrmCopy::AllFilteredClick);
    connect(BtnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    SetState(state_);
}

void TFrmCopy::SetState(const TCopyDialogState& state) {
    state_ = state;
    RBRange->setChecked(state_.RangeSelected);
    RBAllFiltered->setChecked(state_.AllFilteredSelected);
    RBAllFiltered->setEnabled(state_.AllFilteredEnabled);
    EditFrom->setText(QString::fromLatin1(state_.FromText));
    EditTo->setText(QString::fromLatin1(state_.ToText));
}

TCopyDialogState TFrmCopy::State() const {
    TCopyDialogState state = state_;
    state.FromText = EditFrom->text().toLatin1().toStdString();
    state.ToText = EditTo->text().toLatin1().toStdString();
    return state;
}

void TFrmCopy::RangeClick() {
    TCopyDialogState state = State();
    state.SelectRange();
    SetState(state);
}

void TFrmCopy::AllFilteredClick() {
    TCopyDialogState state = State();
    state.SelectAllFiltered();
    SetState(state);
}

} // namespace protmon
