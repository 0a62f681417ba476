#include "ui/control_strip.h"

#include "model/capture_settings.h"
#include "ui/flow_layout.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace protmon {

namespace {

const char* const kBaudItems[] = {"1200 Baud",  "2400 Baud",  "4800 Baud",  "9600 Baud",
                                  "19200 Baud", "38400 Baud", "57600 Baud", "115200 Baud"};
constexpr int kDefaultBaudIndex = 5;

// The port and baud boxes change by the wheel only while they have the focus; otherwise the wheel
// passes on to the window, which scrolls the list.
class TFocusWheelComboBox : public QComboBox {
public:
    explicit TFocusWheelComboBox(QWidget* parent) : QComboBox(parent) {
        setFocusPolicy(Qt::StrongFocus);
    }

protected:
    void wheelEvent(QWheelEvent* event) override {
        if (hasFocus())
            QComboBox::wheelEvent(event);
        else
            event->ignore();
    }
};

// The receive-error label keeps room for a few digits, and grows with its text and its font.
class TCountLabel : public QLabel {
public:
    explicit TCountLabel(QWidget* parent) : QLabel(parent) {}
    QSize minimumSizeHint() const override { return QLabel::minimumSizeHint().expandedTo({90, 0}); }
    QSize sizeHint() const override { return QLabel::sizeHint().expandedTo({90, 0}); }
};

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

QSize TElidedLabel::minimumSizeHint() const {
    return {fontMetrics().horizontalAdvance(QChar(0x2026)), QLabel::minimumSizeHint().height()};
}

QString TElidedLabel::ShownText() const {
    return fontMetrics().elidedText(text(), Qt::ElideMiddle, contentsRect().width());
}

void TElidedLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawText(contentsRect(), static_cast<int>(alignment()) | Qt::TextSingleLine,
                     ShownText());
}

TControlStrip::TControlStrip(QWidget* parent) : QWidget(parent) {
    BtnStart = new QPushButton(QStringLiteral("Start"), this);
    BtnStart->setObjectName(QStringLiteral("BtnStart"));
    BtnStart->setCheckable(true);
    BtnStart->setMinimumHeight(40);
    BtnStart->setMinimumWidth(72);

    ComBox = new TFocusWheelComboBox(this);
    ComBox->setObjectName(QStringLiteral("ComBox"));
    ComBox->setEditable(true);
    ComBox->setMinimumContentsLength(14);
    ComBox->setInsertPolicy(QComboBox::NoInsert);
    ComBox->setEnabled(false);
    BaudBox = new TFocusWheelComboBox(this);
    BaudBox->setObjectName(QStringLiteral("BaudBox"));
    for (const char* item : kBaudItems)
        BaudBox->addItem(QString::fromLatin1(item));
    BaudBox->setCurrentIndex(kDefaultBaudIndex);
    BaudBox->setEnabled(false);
    auto* boxPanel = new QWidget(this);
    auto* boxes = new QVBoxLayout(boxPanel);
    boxes->setContentsMargins(0, 0, 0, 0);
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

    Label1 = new TElidedLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    LabelErrors = new TCountLabel(this);
    LabelErrors->setObjectName(QStringLiteral("cbRxErrors"));
    auto* labelPanel = new QWidget(this);
    auto* labels = new QVBoxLayout(labelPanel);
    labels->setContentsMargins(0, 0, 0, 0);
    labels->addWidget(Label1);
    labels->addWidget(LabelErrors);

    // A window narrower than the strip puts the groups on further rows: no caption is cut off.
    auto* strip = new TFlowLayout(this);
    strip->setContentsMargins(4, 2, 4, 2);
    strip->addWidget(BtnStart);
    strip->addWidget(boxPanel);
    strip->addWidget(ProtocolGroup);
    strip->addWidget(SourceGroup);
    strip->addWidget(labelPanel);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void TControlStrip::SetIdle(bool idle, bool udp) {
    SourceGroup->setEnabled(idle);
    ProtocolGroup->setEnabled(idle);
    ComBox->setEnabled(idle && !udp);
    BaudBox->setEnabled(idle && !udp);
    BtnStart->setEnabled(true);
}

void TControlStrip::ShowSettings(const TCaptureSettings& s, bool udp) {
    {
        const QSignalBlocker b(ProtocolButtons);
        ProtocolButtons->button(static_cast<int>(s.Selection))->setChecked(true);
    }
    CBComm->setChecked(s.Comm);
    CBPdOut->setChecked(s.PdOut);
    CBPdIn->setChecked(s.PdIn);
    CBMonitor->setChecked(s.Monitor);
    if (!udp && s.BaudIndex >= 0 && s.BaudIndex < BaudBox->count())
        BaudBox->setCurrentIndex(s.BaudIndex);
}

void TControlStrip::SetStartDown(bool down) {
    BtnStart->setChecked(down);
    BtnStart->setText(down ? QStringLiteral("Stop") : QStringLiteral("Start"));
}

void TControlStrip::ShowRemote(const QString& host, int port) {
    ComBox->clear();
    ComBox->addItem(host);
    BaudBox->clear();
    BaudBox->addItem(QString::number(port));
}

void TControlStrip::ShowPorts(const std::vector<std::string>& ports) {
    const QString typed = ComBox->currentText();
    ComBox->clear();
    for (const std::string& p : ports)
        ComBox->addItem(QString::fromStdString(p));
    if (!typed.isEmpty())
        ComBox->setEditText(typed);
}

void TControlStrip::ShowDescriptionPath(const QString& path) {
    Label1->setText(path);
    Label1->setToolTip(path);
}

} // namespace protmon
