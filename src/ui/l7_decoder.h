#pragma once

#include "descriptions/cfg_list.h"
#include "descriptions/code_page.h"

#include <QString>
#include <functional>
#include <memory>

class QWidget;

namespace protmon {

class TFileChooser;
class TFrmSellng;
class TfrmProgress;
struct TDecodeContext;

// The "L7 decoder" command's state: the loaded description sets, the index of the one the decoder
// uses, the chosen file, the language dialog and the progress window. The main window owns one,
// routes the command to it and shows what it reports.
class TL7Decoder {
public:
    explicit TL7Decoder(QWidget* window);
    ~TL7Decoder();
    TL7Decoder(const TL7Decoder&) = delete;
    TL7Decoder& operator=(const TL7Decoder&) = delete;

    // The command: switches the decoder off when a set is in use; otherwise lets the user choose
    // a description file (the dialog starts in BinPath, else DefaultFolder, else sharedFolder),
    // loads it with the progress window, asks for the language and loads its language file.
    // sharedFolder, the monitor-file dialogs' folder, is not changed. Returns false when nothing
    // changed (file dialog cancelled, or a load is running).
    bool MenuL7decoderClick(TFileChooser& chooser, const QString& sharedFolder);

    // The menu item's check mark: on while a description file is chosen, even if it failed to load.
    bool Checked() const { return checked_; }
    // Text of the description file label: the chosen file while checked, else empty.
    QString DescriptionPath() const { return checked_ ? descriptionPath_ : QString(); }
    // -1 while the decoder is off or the chosen file failed to load.
    int DecoderSetIndex() const { return decoderSetIndex_; }
    const TCfgRec* DecoderSet() const { return cfgList_.GetCfg(decoderSetIndex_); }
    // Code page of the names shown; Latin-1 without a set.
    TCodePage DisplayCodePage() const;
    bool Loading() const { return cfgList_.IsLoading(); }

    // Puts the decoder's set and the decimal separator into a row's decode context. Call it for
    // every redraw or copy, as the set may be gone since the last one.
    void ApplyTo(TDecodeContext& ctx) const;

    TZXCfgList& CfgList() { return cfgList_; }
    TfrmProgress* Progress() const { return progress_.get(); }
    TFrmSellng* LanguageDialog() const { return language_; }

    // Folder of the description files from the user's settings (read once at creation).
    QString BinPath;
    // Where the file dialog starts when BinPath is empty and this is not: the sample description
    // set next to a program run from its build folder, or installed with it.
    QString DefaultFolder;
    // Decimal separator of scaled values: the system locale's.
    char DecimalSeparator = '.';
    // Shows the language dialog modally; tests answer it without a modal loop.
    std::function<int(TFrmSellng&)> ExecLanguageDialog;

    // "BinPath" of the settings group "Appl" of ZIZ/Zentraxo5; empty when there is none. Never
    // writes the settings.
    static QString ReadBinPath();
    // The folder of the sample description files beside the program's build or install folder.
    static QString SampleFolder();
    // The system locale's decimal separator, '.' when it is not a single 8-bit character.
    static char SystemDecimalSeparator();

private:
    void SwitchOff();
    void LoadChosenFile(const QString& path);

    QWidget* window_;
    TZXCfgList cfgList_;
    std::unique_ptr<TfrmProgress> progress_;
    TFrmSellng* language_; // a child of the window
    int decoderSetIndex_ = -1;
    bool checked_ = false;
    QString descriptionPath_;
};

} // namespace protmon
