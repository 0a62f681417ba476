#pragma once

#include <cstdint>
#include <string>

namespace protmon {

// Language file that belongs to a description file: "LNG", characters 5 to 8 of the description
// file's name without folder (as many as exist), the language letter, ".add", in the same folder.
// "/data/Para0812.bin" with 'd' gives "/data/LNG0812d.add"; "P.bin" with 'a' gives "LNGna.add".
std::string LanguageFileName(const std::string& descriptionPath, char languageLetter);

class TCfgRec;

// Loads the language file of letter that belongs to the description file descriptionPath into cfg,
// with the code page of that language. Returns LoadLanguageFile's result, which callers may ignore:
// a missing or mismatching file leaves the description file's names.
std::int32_t LoadLanguageFor(TCfgRec& cfg, const std::string& descriptionPath, char languageLetter);

} // namespace protmon
