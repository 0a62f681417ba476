#pragma once

#include "descriptions/address_index.h"
#include "descriptions/code_page.h"
#include "descriptions/description_records.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace protmon {

class IProgress;

// Result codes of the readers.
constexpr std::int32_t kCfgReadFailed = -1;       // not opened, not a description file, short
constexpr std::int32_t kLangWrongKind = -1010;    // language file: version or marker wrong
constexpr std::int32_t kLangOtherFileId = -1011;  // language file of another description
constexpr std::int32_t kLangCutShort = -1012;     // language file ends inside a table: not used
constexpr std::int32_t kCfgLoadCancelled = -1020; // the user cancelled the progress window

// One loaded description set.
class TCfgRec {
public:
    TCfgRec() = default;
    // The address index and the plain-text links point into the set itself.
    TCfgRec(const TCfgRec&) = delete;
    TCfgRec& operator=(const TCfgRec&) = delete;

    std::uint32_t FileId = 0;
    bool HeaderFlag = false;
    TGrpList Groups;
    TPlainTextList PlainTexts;

    // Info record, kept but not interpreted (defaults: no info record in the file).
    std::string InfoText1;
    std::string InfoText2;
    std::array<std::int16_t, 5> InfoWord1to5{-1, -1, -1, -1, -1};
    std::array<std::int32_t, 3> InfoLong{0, 0, 0};
    std::uint8_t InfoByte = 7;
    std::array<std::int16_t, 3> InfoWord6to8{0, 0, 0};

    std::uint16_t ExtraWord = 0;
    std::string FileName;
    std::filesystem::file_time_type FileDate{};

    // Code page of the display names: Latin-1, or CP1251 after a Russian language file. Whoever
    // shows a decoded row converts it with ToUtf8(row, DisplayCodePage).
    CodePage DisplayCodePage = CodePage::Latin1;

    // Parameter for a 16-bit address: the group whose range holds it first, then every group in
    // order; nullptr if none. Uses the address index once BuildIndex ran.
    const TParaRec* FindPara(std::uint16_t address) const;
    const TGrpRec* FindGroup(std::uint16_t address) const { return Groups.FindGroup(address); }

    // Builds the address index; call again after changing Groups. The reader calls it.
    void BuildIndex();

    // Overwrites display names from a language file. 0 on success, errno (above 0) when the file
    // cannot be opened, kLangWrongKind, kLangOtherFileId, kLangCutShort (no name changed).
    // DisplayCodePage becomes codePage on success.
    std::int32_t LoadLanguageFile(const std::string& fileName,
                                  CodePage codePage = CodePage::Latin1);
    // The same on file contents already in memory.
    std::int32_t LoadLanguageImage(std::span<const std::uint8_t> bytes,
                                   CodePage codePage = CodePage::Latin1);

private:
    const TParaRec* FindParaLinear(std::uint16_t address) const;

    // Per address 0 .. 32767: the FindPara answer; used once BuildIndex ran.
    TAddressIndex<const TParaRec> index_;
    bool indexed_ = false;
};

// The loaded description sets; a set's index is its position.
class TZXCfgList {
public:
    TZXCfgList() = default;
    TZXCfgList(const TZXCfgList&) = delete;
    TZXCfgList& operator=(const TZXCfgList&) = delete;

    int Count() const { return static_cast<int>(sets_.size()); }
    // The set at index, or nullptr when index is out of range (such as a negative decoder index).
    TCfgRec* GetCfg(int index);
    const TCfgRec* GetCfg(int index) const;
    // Destroys the set at index; later sets move down by one. Ignores an index out of range.
    void RemoveCfg(int index);
    // Index of the set with this FileId, or -1.
    int IndexOfFileId(std::uint32_t fileId) const;

    // The progress window to drive while loading with showProgress; not owned, may be nullptr.
    void SetProgress(IProgress* progress) { progress_ = progress; }
    // True while a load runs (the progress window lets events run meanwhile); the window blocks
    // its commands then, and a second load is refused.
    bool IsLoading() const { return loading_; }

    // Loads a description file into a new set. Returns its index, the index of the already
    // loaded set with the same FileId, kCfgReadFailed or kCfgLoadCancelled.
    std::int32_t LoadDescriptionFile(const std::string& fileName, bool showProgress);
    // The same on file contents already in memory; fileName and fileDate are stored in the set.
    std::int32_t LoadDescriptionImage(std::span<const std::uint8_t> bytes,
                                      const std::string& fileName,
                                      std::filesystem::file_time_type fileDate, bool showProgress);

private:
    std::vector<std::unique_ptr<TCfgRec>> sets_;
    IProgress* progress_ = nullptr;
    bool loading_ = false;
};

} // namespace protmon
