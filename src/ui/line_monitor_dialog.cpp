#include "ui/line_monitor_dialog.h"

#include "model/line_monitor_settings.h"

#include <QComboBox>
#include <QGridLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

namespace protmon {

namespace {

enum Row {
    kRowProtocol,
    kRowBaud,
    kRowTimeStamp,
    kRowDataBits,
    kRowParity,
    kRowHandshake,
    kRowGap
};

template <std::size_t N>
QStringList Items(const std::array<const char*, N>& texts) {
    QStringList list;
    for (const char* t : texts)
        list << QString::fromLatin1(t);
    return list;
}

} // namespace

TSetFormat::TSetFormat(TLineMonitorSettings& settings, QWidget* parent)
    : QDialog(parent), s_(settings) {
    setObjectName(QStringLiteral("FrmSellng"));
    setWindowTitle(QStringLiteral("Select settings for line monitor"));
    grid_ = new QGridLayout(this);
    ProtocolBox = AddCombo("Protocol", "ProtocolBox", Items(kLineMonitorProtocolTexts));
    BaudBox = AddCombo("Baudrate:", "BaudBox", Items(kLineMonitorBaudTexts));
    TimeStampBox = AddCombo("Timestamp resolution :", "TimeStampBox", Items(kTimeStampTexts));
    DataBitsBox = AddCombo("Data Bits", "DataBitsBox", {QStringLiteral("8"), QStringLiteral("7")});
    ParityBox = AddCombo("Parity", "ParityBox", Items(kParityTexts));
    HandshakeBox = AddCombo("Handshake", "HandshakeBox", Items(kHandshakeTexts));
    EndOfTelegramEdit = new QLineEdit(this);
    EndOfTelegramEdit->setObjectName(QStringLiteral("EndOfTelegramEdit"));
    // The box takes the gap in 100 us steps in one byte.
    EndOfTelegramEdit->setValidator(new QIntValidator(0, 25500, EndOfTelegramEdit));
    usLabel_ = new QLabel(QStringLiteral("us"), this);
    AddRow(new QLabel(QStringLiteral("End of Telegam:"), this), EndOfTelegramEdit, usLabel_);

    BtnView = new QPushButton(this);
    BtnView->setObjectName(QStringLiteral("BtnView"));
    BtnOk = new QPushButton(QStringLiteral("OK"), this);
    BtnOk->setObjectName(QStringLiteral("BtnOk"));
    BtnOk->setDefault(true);
    grid_->addWidget(BtnView, kRowGap + 1, 0);
    grid_->addWidget(BtnOk, kRowGap + 1, 1);

    connect(ProtocolBox, &QComboBox::currentIndexChanged, this, &TSetFormat::ProtocolChanged);
    connect(BaudBox, &QComboBox::currentIndexChanged, this, &TSetFormat::BaudChanged);
    connect(TimeStampBox, &QComboBox::currentIndexChanged, this,
            [this](int i) { s_.TimeStampIndex = i; });
    connect(DataBitsBox, &QComboBox::currentIndexChanged, this,
            [this](int i) { s_.DataBits = i == 1 ? 7 : 8; });
    connect(ParityBox, &QComboBox::currentIndexChanged, this,
            [this](int i) { s_.Parity = static_cast<ParityChoice>(i); });
    connect(HandshakeBox, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (!showing_)
            s_.HandshakeMode = static_cast<Handshake>(i + 1);
        ApplyView();
    });
    connect(EndOfTelegramEdit, &QLineEdit::textEdited, this,
            [this](const QString& text) { s_.EndOfTelegramText = text.toStdString(); });
    connect(BtnView, &QPushButton::clicked, this, &TSetFormat::ViewClicked);
    connect(BtnOk, &QPushButton::clicked, this, &QDialog::accept);
    // After the handlers above, so that the model is as they left it.
    for (QComboBox* box :
         {ProtocolBox, BaudBox, TimeStampBox, DataBitsBox, ParityBox, HandshakeBox})
        connect(box, &QComboBox::currentIndexChanged, this, &TSetFormat::edited);
    connect(EndOfTelegramEdit, &QLineEdit::textEdited, this, &TSetFormat::edited);
    connect(BtnView, &QPushButton::clicked, this, &TSetFormat::edited);
}

QComboBox* TSetFormat::AddCombo(const char* caption, const char* name, const QStringList& items) {
    auto* box = new QComboBox(this);
    box->setObjectName(QString::fromLatin1(name));
    box->addItems(items);
    AddRow(new QLabel(QString::fromLatin1(caption), this), box);
    return box;
}

void TSetFormat::AddRow(QLabel* label, QWidget* field, QWidget* extra) {
    const int row = rows_++;
    captions_[row] = label;
    grid_->addWidget(label, row, 0);
    grid_->addWidget(field, row, 1);
    if (extra != nullptr)
        grid_->addWidget(extra, row, 2);
}

void TSetFormat::ShowSettings() {
    showing_ = true;
    {
        const QSignalBlocker b1(ProtocolBox), b2(BaudBox), b3(TimeStampBox), b4(DataBitsBox),
            b5(ParityBox), b6(HandshakeBox);
        ProtocolBox->setCurrentIndex(s_.ProtocolIndex);
        BaudBox->setCurrentIndex(s_.BaudIndex);
        TimeStampBox->setCurrentIndex(s_.TimeStampIndex);
        DataBitsBox->setCurrentIndex(s_.DataBits == 7 ? 1 : 0);
        ParityBox->setCurrentIndex(static_cast<int>(s_.Parity));
        HandshakeBox->setCurrentIndex(static_cast<int>(s_.HandshakeMode) - 1);
    }
    EndOfTelegramEdit->setText(QString::fromStdString(s_.EndOfTelegramText));
    showing_ = false;
    ApplyView();
}

void TSetFormat::showEvent(QShowEvent* event) {
    FillEndOfTelegramDefault(s_);
    ShowSettings();
    emit edited();
    QDialog::showEvent(event);
}

void TSetFormat::ApplyView() {
    const bool advanced = s_.ViewFlag != 0;
    const bool gap = advanced && s_.HandshakeMode != Handshake::HardwareFullDuplex;
    const bool shown[7] = {!advanced, true, true, advanced, advanced, advanced, gap};
    QWidget* fields[7] = {ProtocolBox, BaudBox,      TimeStampBox,     DataBitsBox,
                          ParityBox,   HandshakeBox, EndOfTelegramEdit};
    for (int row = kRowProtocol; row <= kRowGap; ++row) {
        captions_[row]->setVisible(shown[row]);
        fields[row]->setVisible(shown[row]);
    }
    usLabel_->setVisible(gap);
    BtnView->setText(advanced ? QStringLiteral("<< Standard") : QStringLiteral("Advanced >>"));
    adjustSize();
}

void TSetFormat::ProtocolChanged(int index) {
    SelectLineMonitorProtocol(s_, index);
    ShowSettings();
}

void TSetFormat::BaudChanged(int index) {
    SelectLineMonitorBaud(s_, index);
    EndOfTelegramEdit->setText(QString::fromStdString(s_.EndOfTelegramText));
}

void TSetFormat::ViewClicked() {
    s_.ViewFlag = s_.ViewFlag != 0 ? 0 : 1;
    ApplyView();
}

} // namespace protmon
