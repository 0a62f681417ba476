#pragma once

#include "session/copy_text.h"

#include <QDialog>

class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace protmon {

// "Copy telegrams to clipboard": a range of list positions or every shown telegram of the
// filtered view. The two radio buttons sit in different groups, so each clears the other.
class TFrmCopy : public QDialog {
    Q_OBJECT
public:
    explicit TFrmCopy(QWidget* parent = nullptr);

    QGroupBox* GroupRange;
    QRadioButton* RBRange;
    QLineEdit* EditFrom;
    QLineEdit* EditTo;
    QGroupBox* GroupFiltered;
    QRadioButton* RBAllFiltered;
    QPushButton* BtnCancel;
    QPushButton* BtnOk;

    void SetState(const TCopyDialogState& state);
    TCopyDialogState State() const;

private:
    void RangeClick();
    void AllFilteredClick();

    TCopyDialogState state_;
};

} // namespace protmon
