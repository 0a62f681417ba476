#pragma once

#include <QString>
#include <memory>

namespace protmon {

class TMonitorSession;
class TfrmProgress;

// The window's side of "L7 decoder": the start values of the session's description sets (the
// user's BinPath, the sample folder, the locale's decimal separator) and the progress window
// that a load shows.
class TL7Decoder {
public:
    explicit TL7Decoder(TMonitorSession& session);
    ~TL7Decoder();
    TL7Decoder(const TL7Decoder&) = delete;
    TL7Decoder& operator=(const TL7Decoder&) = delete;

    TfrmProgress* Progress() const { return progress_.get(); }

    // "BinPath" of the settings group "Appl" of ZIZ/Zentraxo5; empty when there is none. Never
    // writes the settings.
    static QString ReadBinPath();
    // The folder of the sample description files beside the program's build or install folder.
    static QString SampleFolder();
    // The system locale's decimal separator, '.' when it is not a single 8-bit character.
    static char SystemDecimalSeparator();

private:
    TMonitorSession& session_;
    std::unique_ptr<TfrmProgress> progress_;
};

} // namespace protmon
