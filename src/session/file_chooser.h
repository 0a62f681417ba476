#pragma once

#include <string>

namespace protmon {

// The file dialogs of "Save", "Read" and "L7 decoder" and the decoder's language question. The
// window shows real dialogs; tests answer at once, so no modal dialog blocks them.
class IFileChooser {
public:
    virtual ~IFileChooser() = default;
    // Each returns the chosen path, empty when cancelled.
    virtual std::string SaveFileName(const std::string& folder, const std::string& name) = 0;
    virtual std::string OpenFileName(const std::string& folder) = 0;
    // The open dialog with the parameter-file filter chosen and "*.bin" as the file name.
    virtual std::string OpenParameterFileName(const std::string& folder) = 0;
    // The language of the decoder's names: false when cancelled; `letter` '\0' keeps the
    // description file's own names.
    virtual bool ChooseLanguage(char& letter) = 0;
    // "Export...": the save dialog with `filter` ("Name|*.ext|..."); `filterIndex` gets the
    // chosen item. Empty when cancelled, as by default for those that do not export.
    virtual std::string ExportFileName(const std::string& /*folder*/, const char* /*filter*/,
                                       int& /*filterIndex*/) {
        return {};
    }
    // "Import...": the open dialog with `filter`.
    virtual std::string ImportFileName(const std::string& /*folder*/, const char* /*filter*/) {
        return {};
    }
};

// Cancels everything: a session that has no user to ask (the command-line tool).
class TNoFileChooser : public IFileChooser {
public:
    std::string SaveFileName(const std::string&, const std::string&) override { return {}; }
    std::string OpenFileName(const std::string&) override { return {}; }
    std::string OpenParameterFileName(const std::string&) override { return {}; }
    bool ChooseLanguage(char&) override { return false; }
};

} // namespace protmon
