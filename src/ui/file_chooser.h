#pragma once

#include <QString>

class QWidget;

namespace protmon {

// File dialogs of "Save", "Read" and "L7 decoder"; tests replace it so no modal dialog blocks them.
class TFileChooser {
public:
    virtual ~TFileChooser() = default;
    // Empty when cancelled.
    virtual QString SaveFileName(QWidget* parent, const QString& folder, const QString& name);
    virtual QString OpenFileName(QWidget* parent, const QString& folder);
    // The same dialog with the parameter-file filter chosen and "*.bin" as the file name.
    virtual QString OpenParameterFileName(QWidget* parent, const QString& folder);
};

} // namespace protmon
