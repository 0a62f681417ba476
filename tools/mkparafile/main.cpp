// Writes a parameter description file and its language files from a definition text, for tests
// and demonstrations.

#include "definition.h"
#include "descriptions/description_records.h"
#include "descriptions/description_writer.h"
#include "descriptions/language_file_name.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace {

struct TOptions {
    std::string definition;
    std::string outDir;
    bool listAddresses = false;
};

void Usage(std::ostream& out) {
    out << "Usage: mkparafile [-o DIR] DEFINITION\n"
           "       mkparafile --addresses DEFINITION\n"
           "Writes the description file and the language files that DEFINITION describes into DIR\n"
           "(default: the folder of DEFINITION). --addresses prints the address of every\n"
           "parameter that is not hidden, one per line in hexadecimal, and writes nothing.\n\n"
        << protmon::kDefinitionHelp;
}

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::cerr << "mkparafile: cannot write " << path << "\n";
        return false;
    }
    std::cout << path << "\n";
    return true;
}

int Run(const TOptions& opt) {
    std::ifstream in(opt.definition);
    if (!in) {
        std::cerr << "mkparafile: cannot read " << opt.definition << "\n";
        return 1;
    }
    std::stringstream text;
    text << in.rdbuf();
    protmon::TParaFileSet set;
    std::string error;
    if (!protmon::ParseDefinition(text.str(), set, error)) {
        std::cerr << opt.definition << ": " << error << "\n";
        return 1;
    }
    if (opt.listAddresses) {
        for (const auto& g : set.Description.Groups)
            for (const auto& p : g.Params)
                if ((p.Flags & protmon::kFlagHidden) == 0)
                    std::printf("0x%04X\n",
                                static_cast<unsigned>(static_cast<std::uint16_t>(p.Address)));
        return 0;
    }
    std::string dir = opt.outDir;
    if (dir.empty()) {
        const std::size_t slash = opt.definition.find_last_of('/');
        dir = slash == std::string::npos ? "." : opt.definition.substr(0, slash);
    }
    const std::string binPath = dir + "/" + set.DescriptionName;
    if (!WriteFile(binPath, protmon::WriteDescriptionImage(set.Description)))
        return 1;
    for (const auto& lang : set.Languages)
        if (!WriteFile(protmon::LanguageFileName(binPath, lang.Letter),
                       protmon::WriteLanguageImage(lang.Def)))
            return 1;
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    TOptions opt;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            Usage(std::cout);
            return 0;
        }
        if (arg == "-o" && i + 1 < argc) {
            opt.outDir = argv[++i];
        } else if (arg == "--addresses") {
            opt.listAddresses = true;
        } else if (opt.definition.empty() && !arg.empty() && arg[0] != '-') {
            opt.definition = arg;
        } else {
            Usage(std::cerr);
            return 2;
        }
    }
    if (opt.definition.empty()) {
        Usage(std::cerr);
        return 2;
    }
    return Run(opt);
}
