// The language file reader on arbitrary bytes, applied to the sample description set.
#include "descriptions/cfg_list.h"
#include "fuzz_check.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <span>
#include <vector>

using namespace protmon;

namespace {

const std::vector<std::uint8_t>& SampleDescription() {
    static const std::vector<std::uint8_t> bytes = [] {
        std::ifstream in(PROTMON_TEST_DATA "/Para0001.bin", std::ios::binary);
        return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
    }();
    return bytes;
}

// One parameter per plain-text entry: a language file reaches a value text only through the value
// names of plain texts, so the others would format the same numbers on every run (the description
// harness covers those).
std::vector<const TParaRec*> PlainTextUsers(const TCfgRec& set) {
    std::vector<const TParaRec*> users;
    std::vector<const TPlainTextRec*> seen;
    for (const auto& group : set.Groups)
        for (const auto& para : group.Params)
            if (para.PlainText != nullptr &&
                std::find(seen.begin(), seen.end(), para.PlainText) == seen.end()) {
                seen.push_back(para.PlainText);
                users.push_back(&para);
            }
    return users;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // One set for all runs: a language file only overwrites names, which never steer the reader,
    // and loading the sample each run would make the harness a hundred times slower.
    static TZXCfgList sets;
    static const std::int32_t index =
        sets.LoadDescriptionImage(SampleDescription(), "Para0001.bin", {}, false);
    FUZZ_CHECK(index == 0);
    TCfgRec& set = *sets.GetCfg(0);
    static const std::vector<const TParaRec*> users = PlainTextUsers(set);
    const std::int32_t r = set.LoadLanguageImage(std::span<const std::uint8_t>(data, size),
                                                 size % 2 ? CodePage::Cp1251 : CodePage::Latin1);
    FUZZ_CHECK(r == 0 || r == kLangWrongKind || r == kLangOtherFileId || r == kLangCutShort ||
               r == kCfgReadFailed);
    for (const TParaRec* para : users)
        for (std::int32_t v : {0, 1, 2, -1})
            para->GetValueText(v, kDisplayLanguage, "+", true);
    return 0;
}
