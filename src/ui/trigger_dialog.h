#pragma once

#include "filter/trigger.h"

#include <QAbstractSpinBox>
#include <QDialog>
#include <QLineEdit>

class QGroupBox;
class QPushButton;
class QRadioButton;

namespace protmon {

// The delay field: a text field whose spin control steps the number it holds by one. What is
// typed is not checked or limited, since the field is read like every number field of the
// filter ("10h" is 16).
class TDelayEdit : public QAbstractSpinBox {
    Q_OBJECT
public:
    explicit TDelayEdit(QWidget* parent = nullptr);
    void SetText(const QString& text) { lineEdit()->setText(text); }
    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;

protected:
    StepEnabled stepEnabled() const override;
};

// "Trigger settings": trigger off or on with the number of telegrams to record after the
// trigger telegram. Created once; it keeps its radio selection between uses, also after Cancel.
class TfrmTrigger : public QDialog {
    Q_OBJECT
public:
    explicit TfrmTrigger(QWidget* parent = nullptr);

    QRadioButton* RBTriggerOff;
    QRadioButton* RBTriggerOn;
    QGroupBox* GroupDelay;
    TDelayEdit* EditDelay;
    QPushButton* BtnOk;
    QPushButton* BtnCancel;

    // Puts the current delay into the field before the dialog opens.
    void SetDelayText(const std::string& text);
    // What the dialog holds now.
    TTriggerDialogState State() const;

private:
    void ShowEnabling();
};

} // namespace protmon
