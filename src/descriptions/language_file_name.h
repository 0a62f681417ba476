#pragma once

#include <cstdint>
#include <string>

namespace protmon {

// Language file that belongs to a description file: "LNG", characters 5 to 8 of the description
// file's name without folder (as many as exist), the language letter, ".add", in the same folder.
// "/data/Para0812.bin" with 'd' gives "/data/LNG0812d.add"; "P.bin" with 'a' gives "LNGna.add".
std::string LanguageFileName(const std::string& descriptionPath, char languageLetter);

// The file that stands for `path`: path itself when it exists, else a file in its folder whose
// name differs from path's name only in the case of ASCII letters (files copied from Windows are
// often named "lng0001d.add" or "LNG0001D.ADD"; of several, the first in byte order), else path.
std::string FindFileIgnoringCase(const std::string& path);

class TCfgRec;

// Loads the language file (found as FindFileIgnoringCase finds it) of letter that belongs to the
// description file descriptionPath into cfg, with the code page of that language. Returns
// LoadLanguageFile's result, which callers may ignore: a missing or mismatching file leaves the
// description file's names.
std::int32_t LoadLanguageFor(TCfgRec& cfg, const std::string& descriptionPath, char languageLetter);

} // namespace protmon
