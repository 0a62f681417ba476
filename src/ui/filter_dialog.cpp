#include "ui/filter_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QVBoxLayout>

namespace protmon {

namespace {

QString Latin1(std::string_view s) {
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

QComboBox* ListBox(std::span<const std::string_view> items, const char* name, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    for (std::string_view item : items)
        box->addItem(Latin1(item));
    box->setMaxVisibleItems(static_cast<int>(items.size()));
    return box;
}

QGroupBox* Group(const char* caption, QWidget* parent) {
    return new QGroupBox(QString::fromLatin1(caption), parent);
}

struct TFieldNames {
    const char* Edit;
    const char* All;
};
// Control names per ValueField: ParameterData, Address, PD1 .. PD4.
constexpr TFieldNames kFieldNames[kValueFieldCount] = {
    {"ParaData", "DataAll"}, {"Address", "AdrAll"}, {"PData1", "PD1all"},
    {"PData2", "PD2all"},    {"PData3", "PD3all"},  {"PData4", "PD4all"},
};

} // namespace

Tfilter::Tfilter(TFilterCriteria& criteria, const QString& caption, QWidget* parent)
    : QDialog(parent, Qt::Tool), criteria_(criteria) {
    setWindowTitle(caption);
    setSizeGripEnabled(true);
    for (int f = 0; f < kValueFieldCount; ++f) {
        fields_[f] = new QLineEdit(this);
        fields_[f]->setObjectName(QString::fromLatin1(kFieldNames[f].Edit));
        allBoxes_[f] = new QCheckBox(QStringLiteral("All"), this);
        allBoxes_[f]->setObjectName(QString::fromLatin1(kFieldNames[f].All));
    }
    ParaData = fields_[kFieldData];
    DataAll = allBoxes_[kFieldData];
    Address = fields_[kFieldAddress];
    AdrAll = allBoxes_[kFieldAddress];
    PData1 = fields_[kFieldPD1];
    PD1all = allBoxes_[kFieldPD1];
    PData2 = fields_[kFieldPD2];
    PD2all = allBoxes_[kFieldPD2];
    PData3 = fields_[kFieldPD3];
    PD3all = allBoxes_[kFieldPD3];
    PData4 = fields_[kFieldPD4];
    PD4all = allBoxes_[kFieldPD4];

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(BuildLists());
    layout->addWidget(BuildValueFields());
    BuildFooter(layout);

    connect(ResetFilter, &QPushButton::clicked, this, &Tfilter::ResetFilterClick);
    connect(BtnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(cbRxErrors, &QCheckBox::clicked, this, &Tfilter::cbRxErrorsClick);
    connect(cbSlaveSelect, &QCheckBox::toggled, this, [this](bool on) {
        if (!showing_)
            criteria_.SlaveSelect = on;
    });
    ShowCriteria();
}

void Tfilter::BuildFooter(QVBoxLayout* layout) {
    cbRxErrors = new QCheckBox(QStringLiteral("Receive Errors"), this);
    cbRxErrors->setObjectName(QStringLiteral("cbRxErrors"));
    cbSlaveSelect = new QCheckBox(QStringLiteral("SlaveSelection"), this);
    cbSlaveSelect->setObjectName(QStringLiteral("cbSlaveSelect"));
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setFocusPolicy(Qt::NoFocus);
    Memo1->setPlainText(Latin1(kFilterNote[0]) + '\n' + Latin1(kFilterNote[1]) + '\n' +
                        Latin1(kFilterNote[2]));
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setFixedHeight(Memo1->fontMetrics().lineSpacing() * 3 +
                          2 * static_cast<int>(Memo1->document()->documentMargin()) +
                          2 * Memo1->frameWidth() + 2);
    ResetFilter = new QPushButton(QStringLiteral("Reset Filter"), this);
    ResetFilter->setObjectName(QStringLiteral("ResetFilter"));
    ResetFilter->setAutoDefault(false);
    BtnOk = new QPushButton(QStringLiteral("OK"), this);
    BtnOk->setObjectName(QStringLiteral("BtnOk"));
    BtnOk->setDefault(true);

    auto* boxes = new QHBoxLayout;
    boxes->addWidget(cbRxErrors);
    boxes->addWidget(cbSlaveSelect);
    boxes->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ResetFilter);
    buttons->addStretch(1);
    buttons->addWidget(BtnOk);
    layout->addLayout(boxes);
    layout->addWidget(Memo1);
    layout->addStretch(1);
    layout->addLayout(buttons);
}

QWidget* Tfilter::BuildLists() {
    auto* panel = new QWidget(this);
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(0, 0, 0, 0);
    IDHigh = ListBox(IdItems(), "IDHigh", this);
    IDLow = ListBox(IdItems(), "IDLow", this);
    ReqRsp = ListBox(ReqRspItems(), "ReqRsp", this);
    ReadWrite = ListBox(ReadWriteItems(), "ReadWrite", this);
    Service = ListBox(ServiceItems(), "Service", this);
    Acknowledge = ListBox(AcknowledgeItems(), "Acknowledge", this);

    const struct {
        const char* Caption;
        QComboBox* First;
        QComboBox* Second;
    } groups[] = {{"ID High/Low", IDHigh, IDLow},
                  {"Function", ReqRsp, ReadWrite},
                  {"Service", Service, nullptr},
                  {"Acknowledge", Acknowledge, nullptr}};
    for (const auto& g : groups) {
        QGroupBox* box = Group(g.Caption, panel);
        auto* inner = new QHBoxLayout(box);
        inner->addWidget(g.First);
        if (g.Second != nullptr)
            inner->addWidget(g.Second);
        row->addWidget(box);
    }
    const struct {
        QComboBox* Box;
        int TFilterCriteria::*Field;
    } lists[] = {
        {IDHigh, &TFilterCriteria::IDHigh},   {IDLow, &TFilterCriteria::IDLow},
        {ReqRsp, &TFilterCriteria::ReqRsp},   {ReadWrite, &TFilterCriteria::ReadWrite},
        {Service, &TFilterCriteria::Service}, {Acknowledge, &TFilterCriteria::Acknowledge}};
    for (const auto& l : lists) {
        connect(l.Box, &QComboBox::currentIndexChanged, this, [this, field = l.Field](int index) {
            if (!showing_ && index >= 0)
                criteria_.*field = index;
        });
    }
    return panel;
}

QWidget* Tfilter::BuildValueFields() {
    auto* panel = new QWidget(this);
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);
    const struct {
        const char* Caption;
        ValueField Field;
    } single[] = {{"Address", kFieldAddress}, {"ParameterData", kFieldData}};
    for (int i = 0; i < 2; ++i) {
        QGroupBox* box = Group(single[i].Caption, panel);
        auto* inner = new QHBoxLayout(box);
        inner->addWidget(allBoxes_[single[i].Field]);
        inner->addWidget(fields_[single[i].Field], 1);
        grid->addWidget(box, 0, i);
    }
    QGroupBox* pd = Group("ProcessData 1-4   or   Scope CH A-D", panel);
    auto* pdGrid = new QGridLayout(pd);
    const ValueField pds[] = {kFieldPD1, kFieldPD2, kFieldPD3, kFieldPD4};
    for (int i = 0; i < 4; ++i) {
        pdGrid->addWidget(new QLabel(QString::number(i + 1), pd), i, 0);
        pdGrid->addWidget(allBoxes_[pds[i]], i, 1);
        pdGrid->addWidget(fields_[pds[i]], i, 2);
    }
    pdGrid->setColumnStretch(2, 1);
    grid->addWidget(pd, 1, 0, 1, 2);

    for (int f = 0; f < kValueFieldCount; ++f) {
        const auto field = static_cast<ValueField>(f);
        connect(allBoxes_[f], &QCheckBox::clicked, this, [this, field] { AllClick(field); });
        connect(fields_[f], &QLineEdit::textChanged, this, [this, field](const QString& text) {
            if (!showing_)
                criteria_.Values[field].Text = text.toLatin1().toStdString();
        });
    }
    return panel;
}

void Tfilter::AllClick(ValueField field) {
    criteria_.Values[field].All = allBoxes_[field]->isChecked();
    ShowCriteria();
}

void Tfilter::ResetFilterClick() {
    criteria_.ResetFilterClick();
    ShowCriteria();
}

void Tfilter::cbRxErrorsClick() {
    criteria_.SetRxErrors(cbRxErrors->isChecked());
    ShowCriteria();
}

void Tfilter::ShowCriteria() {
    showing_ = true;
    const struct {
        QComboBox* Box;
        int Index;
    } lists[] = {{IDHigh, criteria_.IDHigh},   {IDLow, criteria_.IDLow},
                 {ReqRsp, criteria_.ReqRsp},   {ReadWrite, criteria_.ReadWrite},
                 {Service, criteria_.Service}, {Acknowledge, criteria_.Acknowledge}};
    for (const auto& l : lists)
        l.Box->setCurrentIndex(l.Index);
    for (int f = 0; f < kValueFieldCount; ++f) {
        const auto field = static_cast<ValueField>(f);
        allBoxes_[f]->setChecked(criteria_.Values[field].All);
        const QString text = QString::fromLatin1(criteria_.Values[field].Text);
        if (fields_[f]->text() != text)
            fields_[f]->setText(text);
        fields_[f]->setEnabled(criteria_.FieldEnabled(field));
    }
    cbRxErrors->setChecked(criteria_.RxErrors);
    cbSlaveSelect->setChecked(criteria_.SlaveSelect);
    showing_ = false;
}

void Tfilter::FormDeactivate() {
    criteria_.FormDeactivate();
}

bool Tfilter::event(QEvent* e) {
    if (e->type() == QEvent::WindowDeactivate)
        FormDeactivate();
    return QDialog::event(e);
}

void Tfilter::showEvent(QShowEvent* e) {
    ShowCriteria();
    QDialog::showEvent(e);
}

void Tfilter::done(int result) {
    // Closing always counts as losing activation, also where the platform reports none.
    FormDeactivate();
    QDialog::done(result);
}

} // namespace protmon
