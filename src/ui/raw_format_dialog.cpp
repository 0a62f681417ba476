#include "ui/raw_format_dialog.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace protmon {

namespace {

QRadioButton* AddRadio(QGroupBox* group, QVBoxLayout* layout, const char* caption,
                       const char* name) {
    auto* rb = new QRadioButton(QString::fromLatin1(caption), group);
    rb->setObjectName(QString::fromLatin1(name));
    layout->addWidget(rb);
    return rb;
}

} // namespace

TSetRawFormat::TSetRawFormat(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("SetRawFormat"));
    setWindowTitle(QStringLiteral("Select format for RAW data"));
    setModal(true);

    auto* parity = new QGroupBox(QStringLiteral("Parity"), this);
    auto* parityLayout = new QVBoxLayout(parity);
    RBEven = AddRadio(parity, parityLayout, "Even", "RBEven");
    RBOdd = AddRadio(parity, parityLayout, "Odd", "RBOdd");
    RBNone = AddRadio(parity, parityLayout, "None", "RBNone");

    auto* bits = new QGroupBox(QStringLiteral("Data Bits"), this);
    auto* bitsLayout = new QVBoxLayout(bits);
    RB8Bits = AddRadio(bits, bitsLayout, "8", "RB8Bits");
    RB7Bits = AddRadio(bits, bitsLayout, "7", "RB7Bits");

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("BtnOk"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* groups = new QHBoxLayout;
    groups->addWidget(parity);
    groups->addWidget(bits);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    layout->addWidget(ok, 0, Qt::AlignHCenter);

    Show(TRawFormatSettings{});
}

void TSetRawFormat::Show(const TRawFormatSettings& format) {
    RBEven->setChecked(format.Parity == ParityChoice::Even);
    RBOdd->setChecked(format.Parity == ParityChoice::Odd);
    RBNone->setChecked(format.Parity == ParityChoice::None);
    RB8Bits->setChecked(format.DataBits != 7);
    RB7Bits->setChecked(format.DataBits == 7);
}

TRawFormatSettings TSetRawFormat::Format() const {
    TRawFormatSettings f;
    f.Parity = RBOdd->isChecked()    ? ParityChoice::Odd
               : RBNone->isChecked() ? ParityChoice::None
                                     : ParityChoice::Even;
    f.DataBits = RB7Bits->isChecked() ? 7 : 8;
    return f;
}

void TSetRawFormat::Edit(TRawFormatSettings& format) {
    Show(format);
    exec();
    format = Format();
}

} // namespace protmon
