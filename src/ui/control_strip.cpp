#include "ui/control_strip.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace protmon {

namespace {

const char* const kBaudItems[] = {"1200 Baud",  "2400 Baud",  "4800 Baud",  "9600 Baud",
                                  "19200 Baud", "38400 Baud", "57600 Baud", "115200 Baud"};
constexpr int kDefaultBaudIndex = 5;

QRadioButton* Radio(const char* caption, const char* hint, const char* name, QWidget* parent) {
    auto* b = new QRadioButton(QString::fromLatin1(caption), parent);
    b->setToolTip(QString::fromLatin1(hint));
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

QCheckBox* Check(const char* caption, const char* hint, const char* name, QWidget* parent) {
    auto* b = new QCheckBox(QString::fromLatin1(caption), parent);
    b->setToolTip(QString::fromLatin1(hint));
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

} // namespace

TControlStrip::TControlStrip(QWidget* parent) : QWidget(parent) {
    BtnStart = new QPushButton(QStringLiteral("Start"), this);
    BtnStart->setObjectName(QStringLiteral("BtnStart"));
    BtnStart->setCheckable(true);
    BtnStart->setMinimumHeight(40);
    BtnStart->setMinimumWidth(72);

    ComBox = new QComboBox(this);
    ComBox->setObjectName(QStringLiteral("ComBox"));
    ComBox->setEditable(true);
    ComBox->setMinimumContentsLength(14);
    ComBox->setInsertPolicy(QComboBox::NoInsert);
    ComBox->setEnabled(false);
    BaudBox = new QComboBox(this);
    BaudBox->setObjectName(QStringLiteral("BaudBox"));
    for (const char* item : kBaudItems)
        BaudBox->addItem(QString::fromLatin1(item));
    BaudBox->setCurrentIndex(kDefaultBaudIndex);
    BaudBox->setEnabled(false);
    auto* boxes = new QVBoxLayout;
    boxes->addWidget(ComBox);
    boxes->addWidget(BaudBox);

    ProtocolGroup = new QGroupBox(QStringLiteral("Protocol"), this);
    BtnTrx5 = Radio("TRX5", "Receive TRX5 Telegrams", "BtnTrx5", ProtocolGroup);
    BtnDin = Radio("DIN66019II", "Receive DIN66019II Telegrams", "BtnDin", ProtocolGroup);
    BtnRaw = Radio("RAW", "Receive raw serial data", "BtnRaw", ProtocolGroup);
    BtnTrx5->setChecked(true);
    ProtocolButtons = new QButtonGroup(this);
    ProtocolButtons->addButton(BtnTrx5, 0);
    ProtocolButtons->addButton(BtnDin, 1);
    ProtocolButtons->addButton(BtnRaw, 2);
    auto* protocol = new QHBoxLayout(ProtocolGroup);
    protocol->addWidget(BtnTrx5);
    protocol->addWidget(BtnDin);
    protocol->addWidget(BtnRaw);

    SourceGroup = new QGroupBox(QStringLiteral("Source"), this);
    CBComm = Check("Comm", "Fieldbus Operator:Communication", "CBComm", SourceGroup);
    CBPdOut = Check("PD Out", "Fieldbus Operator:Processdata Out", "CBPdOut", SourceGroup);
    CBPdIn = Check("PD In", "Fieldbus Operator:Processdata In", "CBPdIn", SourceGroup);
    CBMonitor = Check("Monitor", "Line Monitor", "CBMonitor", SourceGroup);
    auto* source = new QGridLayout(SourceGroup);
    source->addWidget(CBComm, 0, 0);
    source->addWidget(CBPdOut, 0, 1);
    source->addWidget(CBPdIn, 0, 2);
    source->addWidget(CBMonitor, 1, 0, 1, 3);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    LabelErrors = new QLabel(this);
    LabelErrors->setObjectName(QStringLiteral("cbRxErrors"));
    LabelErrors->setMinimumWidth(90);
    auto* labels = new QVBoxLayout;
    labels->addWidget(Label1);
    labels->addWidget(LabelErrors);

    auto* strip = new QHBoxLayout(this);
    strip->setContentsMargins(4, 2, 4, 2);
    strip->addWidget(BtnStart);
    strip->addLayout(boxes);
    strip->addWidget(ProtocolGroup);
    strip->addWidget(SourceGroup);
    strip->addLayout(labels, 1);
    // The window may be made narrower than the strip; the strip is then cut off at the right.
    strip->setSizeConstraint(QLayout::SetNoConstraint);
    setMinimumWidth(0);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

} // namespace protmon
