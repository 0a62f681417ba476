#pragma once

#include <QDialog>

class QComboBox;
class QPushButton;

namespace protmon {

// "L7-Decoder language": the display language of the parameter names. "OK" accepts with the
// language of the text field; "English only" (also Escape and the window's close button) rejects,
// and the description file's own names stay. Created once; it keeps the last choice.
class TFrmSellng : public QDialog {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 331;
    static constexpr int kClientHeight = 149;

    explicit TFrmSellng(QWidget* parent = nullptr);

    // The first character of the text field: the letter of the language file; '\0' when the field
    // is empty or starts with a character that cannot stand in a file name (blank, '/', non-ASCII).
    char LanguageLetter() const;

    QComboBox* ComboBox1;
    QPushButton* BitBtn2; // "OK"
    QPushButton* BitBtn1; // "English only"
};

} // namespace protmon
