#pragma once

#include <string>

namespace protmon {

// Language file that belongs to a description file: "LNG", characters 5 to 8 of the description
// file's name without folder (as many as exist), the language letter, ".add", in the same folder.
// "/data/Para0812.bin" with 'd' gives "/data/LNG0812d.add"; "P.bin" with 'a' gives "LNGna.add".
std::string LanguageFileName(const std::string& descriptionPath, char languageLetter);

} // namespace protmon
