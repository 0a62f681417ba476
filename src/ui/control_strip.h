#pragma once

#include <QLabel>
#include <QWidget>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QPushButton;
class QRadioButton;

namespace protmon {

// A label that takes whatever room is left and cuts its text in the middle when it lacks room, so
// a long path keeps its folder's start and its file name. The whole text belongs in its tooltip.
class TElidedLabel : public QLabel {
public:
    explicit TElidedLabel(QWidget* parent = nullptr) : QLabel(parent) {}
    QSize minimumSizeHint() const override;
    // The text as painted at the current width.
    QString ShownText() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

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
