#pragma once

#include "filter/filter_criteria.h"

#include <QDialog>
#include <array>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QVBoxLayout;

namespace protmon {

// The filter dialog ("Filter settings" or "Display exclude filter settings"). It edits one
// TFilterCriteria in place: every change of a control is copied into the criteria at once, and
// every rule (resets, "Receive Errors", FilterActive) is the criteria's own; the dialog only shows
// the result. So the criteria are the same whether the dialog was closed with OK or with Esc.
class Tfilter : public QDialog {
    Q_OBJECT
public:
    Tfilter(TFilterCriteria& criteria, const QString& caption, QWidget* parent = nullptr);

    QComboBox* IDHigh;
    QComboBox* IDLow;
    QComboBox* ReqRsp;
    QComboBox* ReadWrite;
    QComboBox* Service;
    QComboBox* Acknowledge;
    QLineEdit* Address;
    QCheckBox* AdrAll;
    QLineEdit* ParaData;
    QCheckBox* DataAll;
    QLineEdit* PData1;
    QCheckBox* PD1all;
    QLineEdit* PData2;
    QCheckBox* PD2all;
    QLineEdit* PData3;
    QCheckBox* PD3all;
    QLineEdit* PData4;
    QCheckBox* PD4all;
    QCheckBox* cbRxErrors;
    QCheckBox* cbSlaveSelect;
    QPlainTextEdit* Memo1; // the note
    QPushButton* ResetFilter;
    QPushButton* BtnOk;

    // Text field and "All" box of a value criterion.
    QLineEdit* Field(ValueField field) const { return fields_[field]; }
    QCheckBox* AllBox(ValueField field) const { return allBoxes_[field]; }

public slots:
    void ResetFilterClick();
    void cbRxErrorsClick();
    // The controls show the criteria as they are now.
    void ShowCriteria();

protected:
    bool event(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void done(int result) override;

private:
    QWidget* BuildLists();
    QWidget* BuildValueFields();
    // "Receive Errors", "SlaveSelection", the note and the buttons.
    void BuildFooter(QVBoxLayout* layout);
    void AllClick(ValueField field);
    void FormDeactivate();

    TFilterCriteria& criteria_;
    std::array<QLineEdit*, kValueFieldCount> fields_{};
    std::array<QCheckBox*, kValueFieldCount> allBoxes_{};
    bool showing_ = false; // set while ShowCriteria writes the controls
};

} // namespace protmon
