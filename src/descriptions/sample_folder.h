#pragma once

#include <string>
#include <vector>

namespace protmon {

// Folders that may hold the sample description set, for a program in programDir, in the order
// they are tried: the test data of a source tree whose build folder holds the program, then the
// data folder of an installed program (relative to it, so any install prefix works).
std::vector<std::string> SampleFolderCandidates(const std::string& programDir);

// The first candidate that holds a description file (Para*.bin, any case), as a canonical path;
// empty when none does.
std::string FindSampleFolder(const std::string& programDir);

} // namespace protmon
