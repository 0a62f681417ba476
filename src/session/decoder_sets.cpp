#include "session/decoder_sets.h"

#include "decode/decode_row.h"
#include "descriptions/language_file_name.h"
#include "descriptions/set_code_page.h"
#include "session/file_chooser.h"

namespace protmon {

CodePage TDecoderSets::DisplayCodePage() const {
    const TCfgRec* set = DecoderSet();
    return DisplayCodePageOf(set);
}

TDecodeContext TDecoderSets::Context(const TTelegramList& list,
                                     const TCaptureSettings& settings) const {
    return MakeDecodeContext(list, settings, DecoderSet(), DecimalSeparator);
}

void TDecoderSets::ApplyTo(TDecodeContext& ctx) const {
    ctx.DecoderSet = DecoderSet();
    ctx.DecimalSeparator = DecimalSeparator;
}

bool TDecoderSets::Command(IFileChooser& chooser, const std::string& sharedFolder) {
    if (Loading())
        return false;
    if (checked_ && decoderSetIndex_ >= 0) {
        SwitchOff();
        return true;
    }
    std::string folder = sharedFolder;
    if (!BinPath.empty())
        folder = BinPath;
    else if (!DefaultFolder.empty())
        folder = DefaultFolder;
    const std::string chosen = chooser.OpenParameterFileName(folder);
    if (chosen.empty())
        return false;
    LoadChosenFile(chooser, chosen);
    return true;
}

void TDecoderSets::SwitchOff() {
    cfgList_.RemoveCfg(decoderSetIndex_);
    decoderSetIndex_ = -1;
    checked_ = false;
    descriptionPath_.clear();
}

void TDecoderSets::LoadChosenFile(IFileChooser& chooser, const std::string& path) {
    decoderSetIndex_ = cfgList_.LoadDescriptionFile(path, true);
    char letter = '\0';
    if (chooser.ChooseLanguage(letter) && decoderSetIndex_ >= 0 && letter != '\0')
        LoadLanguageFor(*cfgList_.GetCfg(decoderSetIndex_), path, letter);
    checked_ = true;
    descriptionPath_ = path;
}

} // namespace protmon
