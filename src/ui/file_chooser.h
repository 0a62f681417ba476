#pragma once

#include "session/file_chooser.h"

#include <QString>
#include <functional>
#include <memory>

class QWidget;

namespace protmon {

class TFrmSellng;

// The file dialogs of "Save", "Read" and "L7 decoder" and the "L7-Decoder language" dialog, over
// `parent`. Paths are UTF-8.
class TFileChooser : public IFileChooser {
public:
    explicit TFileChooser(QWidget* parent = nullptr);
    ~TFileChooser() override;
    std::string SaveFileName(const std::string& folder, const std::string& name) override;
    std::string OpenFileName(const std::string& folder) override;
    std::string OpenParameterFileName(const std::string& folder) override;
    bool ChooseLanguage(char& letter) override;
    std::string ExportFileName(const std::string& folder, const char* filter,
                               int& filterIndex) override;
    std::string ImportFileName(const std::string& folder, const char* filter) override;

    TFrmSellng* LanguageDialog() const { return language_.get(); }
    // Shows the language dialog modally; tests answer it without a modal loop.
    std::function<int(TFrmSellng&)> ExecLanguageDialog;

private:
    QWidget* parent_;
    std::unique_ptr<TFrmSellng> language_;
};

} // namespace protmon
