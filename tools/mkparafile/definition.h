#pragma once

#include "descriptions/description_writer.h"

#include <string>
#include <vector>

namespace protmon {

// A description file and its language files as read from a definition text.
struct TParaFileSet {
    std::string DescriptionName; // file name of the description file, e.g. Para0001.bin
    TDescriptionDef Description;
    struct TLanguage {
        char Letter = 'd';
        bool OwnFileId = false; // else the description's FileId
        TLanguageDef Def;
    };
    std::vector<TLanguage> Languages;
};

// Parses a definition text. On failure returns false with "line N: reason" in error.
bool ParseDefinition(const std::string& text, TParaFileSet& out, std::string& error);

// The definition format, as printed by --help.
extern const char* const kDefinitionHelp;

} // namespace protmon
