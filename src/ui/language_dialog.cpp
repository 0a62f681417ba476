#include "ui/language_dialog.h"

#include <QComboBox>
#include <QPushButton>

namespace protmon {

namespace {

// Items of the language list; the first character of each is the language letter.
constexpr const char* kLanguages[] = {
    "a : American", "d : German", "f : French", "i : Italian", "r : Russian", "s : Spanish",
};

} // namespace

TFrmSellng::TFrmSellng(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FrmSellng"));
    setWindowTitle(QStringLiteral("L7-Decoder language"));
    setFixedSize(kClientWidth, kClientHeight);

    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setEditable(true);
    // What the user types selects a language; it never becomes an item of the list.
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    for (const char* item : kLanguages)
        ComboBox1->addItem(QString::fromLatin1(item));
    ComboBox1->setCurrentIndex(1);
    ComboBox1->setGeometry(16, 16, 180, 24);

    BitBtn2 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setGeometry(16, kClientHeight - 41, 100, 25);
    BitBtn2->setDefault(true);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::accept);

    BitBtn1 = new QPushButton(QStringLiteral("English only"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(kClientWidth - 116, kClientHeight - 41, 100, 25);
    BitBtn1->setAutoDefault(false);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::reject);
}

char TFrmSellng::LanguageLetter() const {
    const QString text = ComboBox1->currentText();
    if (text.isEmpty())
        return '\0';
    // A letter that cannot be part of a file name in the description's folder names no file.
    const char16_t c = text.front().unicode();
    if (c <= 0x20 || c >= 0x7F || c == '/')
        return '\0';
    return static_cast<char>(c);
}

} // namespace protmon
