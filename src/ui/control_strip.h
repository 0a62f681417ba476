#pragma once

#include <QWidget>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace protmon {

// The strip above the list view: Start button, port and baud boxes, protocol and source groups,
// decoder label and receive-error label. It only holds the controls; the window wires them.
class TControlStrip : public QWidget {
    Q_OBJECT
public:
    explicit TControlStrip(QWidget* parent = nullptr);

    QPushButton* BtnStart;
    QComboBox* ComBox;
    QComboBox* BaudBox;
    QGroupBox* ProtocolGroup;
    QRadioButton* BtnTrx5;
    QRadioButton* BtnDin;
    QRadioButton* BtnRaw;
    QButtonGroup* ProtocolButtons;
    QGroupBox* SourceGroup;
    QCheckBox* CBComm;
    QCheckBox* CBPdOut;
    QCheckBox* CBPdIn;
    QCheckBox* CBMonitor;
    QLabel* Label1;      // description file of the L7 decoder
    QLabel* LabelErrors; // "RxErrors:" and the count
};

} // namespace protmon
