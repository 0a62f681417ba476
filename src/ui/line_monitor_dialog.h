#pragma once

#include "model/capture_settings.h"

#include <QDialog>

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace protmon {

// "Select settings for line monitor" (TSetFormat): edits the line monitor settings of the capture
// settings model directly, so what monitor files load is what it shows next time. A standard view
// (protocol, bus baud rate, time-stamp resolution) and an advanced view (bus baud rate,
// time-stamp resolution, data bits, parity, handshake, end-of-telegram time).
class TSetFormat : public QDialog {
    Q_OBJECT
public:
    explicit TSetFormat(TLineMonitorSettings& settings, QWidget* parent = nullptr);

    QComboBox* ProtocolBox = nullptr;
    QComboBox* BaudBox = nullptr;
    QComboBox* TimeStampBox = nullptr;
    QComboBox* DataBitsBox = nullptr;
    QComboBox* ParityBox = nullptr;
    QComboBox* HandshakeBox = nullptr;
    QLineEdit* EndOfTelegramEdit = nullptr;
    QPushButton* BtnView = nullptr;
    QPushButton* BtnOk = nullptr;

    // Shows the model's values in the controls (done each time the dialog is shown).
    void ShowSettings();

signals:
    // The model changed (a control, the view button, the defaults filled in when shown).
    void edited();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QComboBox* AddCombo(const char* caption, const char* name, const QStringList& items);
    void AddRow(QLabel* label, QWidget* field, QWidget* extra = nullptr);
    void ApplyView();
    void ProtocolChanged(int index);
    void BaudChanged(int index);
    void ViewClicked();

    TLineMonitorSettings& s_;
    QGridLayout* grid_ = nullptr;
    QLabel* captions_[7] = {};
    QLabel* usLabel_ = nullptr;
    int rows_ = 0;
    bool showing_ = false; // controls are being filled from the model
};

} // namespace protmon
