#pragma once

#include <QLabel>
#include <QWidget>
#include <string>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QPushButton;
class QRadioButton;

namespace protmon {

struct TCaptureSettings;

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

    // Idle: the groups enabled, and the port and baud boxes unless they show a UDP remote.
    void SetIdle(bool idle, bool udp);
    // Protocol button, check boxes and (unless in UDP mode) the baud box from the settings.
    void ShowSettings(const TCaptureSettings& settings, bool udp);
    void SetStartDown(bool down);
    // The remote of the UDP source in the port and baud boxes.
    void ShowRemote(const QString& host, int port);
    // New items of the port box; a path the user typed stays.
    void ShowPorts(const std::vector<std::string>& ports);
    // The decoder's description file, elided, and all of it as the tooltip.
    void ShowDescriptionPath(const QString& path);

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
