#include "ui/language_dialog.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

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

    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setEditable(true);
    // What the user types selects a language; it never becomes an item of the list.
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    for (const char* item : kLanguages)
        ComboBox1->addItem(QString::fromLatin1(item));
    ComboBox1->setCurrentIndex(1);
    ComboBox1->setMinimumWidth(180);

    BitBtn2 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setDefault(true);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::accept);

    BitBtn1 = new QPushButton(QStringLiteral("English only"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setAutoDefault(false);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::reject);

    // 100 pixel wide buttons and a 331 x 149 dialog at the usual font; a larger font grows them.
    for (QPushButton* b : {BitBtn2, BitBtn1})
        b->setMinimumWidth(std::max(100, b->sizeHint().width()));
    auto* top = new QHBoxLayout;
    top->addWidget(ComboBox1);
    top->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BitBtn2);
    buttons->addStretch(1);
    buttons->addWidget(BitBtn1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 15, 16);
    layout->addLayout(top);
    layout->addStretch(1);
    layout->addLayout(buttons);
    setFixedSize(minimumSizeHint().expandedTo(QSize(kClientWidth, kClientHeight)));
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
