#pragma once

#include "model/capture_settings.h"

#include <QDialog>

class QRadioButton;

namespace protmon {

// "Select format for RAW data": parity and data bits for raw capture without the line monitor.
// Its buttons hold the choice for the life of the program; OK and Escape both close it.
class TSetRawFormat : public QDialog {
    Q_OBJECT
public:
    explicit TSetRawFormat(QWidget* parent = nullptr);

    void Show(const TRawFormatSettings& format);
    TRawFormatSettings Format() const;
    // Shows the dialog modally with `format` and writes the choice back into it.
    void Edit(TRawFormatSettings& format);

    QRadioButton* RBEven;
    QRadioButton* RBOdd;
    QRadioButton* RBNone;
    QRadioButton* RB8Bits;
    QRadioButton* RB7Bits;
};

} // namespace protmon
