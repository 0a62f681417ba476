#pragma once

#include "descriptions/cfg_list.h"
#include "descriptions/code_page.h"

#include <string>

namespace protmon {

class IFileChooser;
class TTelegramList;
struct TCaptureSettings;
struct TDecodeContext;

// The "L7 decoder" command's state: the loaded description sets, the index of the one the decoder
// uses and the chosen file.
class TDecoderSets {
public:
    TDecoderSets() = default;
    TDecoderSets(const TDecoderSets&) = delete;
    TDecoderSets& operator=(const TDecoderSets&) = delete;

    // The command: switches the decoder off when a set is in use; otherwise lets the user choose
    // a description file (the dialog starts in BinPath, else DefaultFolder, else sharedFolder),
    // loads it, asks for the language and loads its language file. sharedFolder, the
    // monitor-file dialogs' folder, is not changed. False when nothing changed (file dialog
    // cancelled, or a load is running).
    bool Command(IFileChooser& chooser, const std::string& sharedFolder);

    // The menu item's check mark: on while a description file is chosen, even if it failed to load.
    bool Checked() const { return checked_; }
    // Text of the description file label: the chosen file while checked, else empty.
    std::string DescriptionPath() const { return checked_ ? descriptionPath_ : std::string(); }
    // -1 while the decoder is off or the chosen file failed to load.
    int DecoderSetIndex() const { return decoderSetIndex_; }
    const TCfgRec* DecoderSet() const { return cfgList_.GetCfg(decoderSetIndex_); }
    // Code page of the names shown; Latin-1 without a set.
    CodePage DisplayCodePage() const;
    bool Loading() const { return cfgList_.IsLoading(); }
    // Puts the decoder's set and the decimal separator into a row's decode context. Call it for
    // every redraw or copy, as the set may be gone since the last one.
    void ApplyTo(TDecodeContext& ctx) const;
    // The decode context of a recording's rows with the decoder's set; made afresh likewise.
    TDecodeContext Context(const TTelegramList& list, const TCaptureSettings& settings) const;
    TZXCfgList& CfgList() { return cfgList_; }
    const TZXCfgList& CfgList() const { return cfgList_; }

    // Folder of the description files from the user's settings.
    std::string BinPath;
    // Where the file dialog starts when BinPath is empty and this is not (the sample set).
    std::string DefaultFolder;
    // Decimal separator of scaled values.
    char DecimalSeparator = '.';

private:
    void SwitchOff();
    void LoadChosenFile(IFileChooser& chooser, const std::string& path);

    TZXCfgList cfgList_;
    int decoderSetIndex_ = -1;
    bool checked_ = false;
    std::string descriptionPath_;
};

} // namespace protmon
