#pragma once

#include "capture/capture_test_support.h"
#include "session/session.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace protmon::test {

// What a list view would show and be asked, without a window.
class TRecordingView : public ISessionObserver {
public:
    void TitleChanged(const std::string& title) override { titles.push_back(title); }
    void UiStateChanged(bool idle) override { idleStates.push_back(idle); }
    void PanelsChanged(const TDetailPanels& p) override { panels = p; }
    void SelectRow(int row) override { selected = row; }
    void FocusList() override { ++focused; }
    int SelectedRow() const override { return selected; }
    void LineMonitorSettingsNeeded() override { ++lineMonitorDialogs; }
    void StatusNote(const std::string& text) override { notes.push_back(text); }

    std::vector<std::string> titles;
    std::vector<bool> idleStates;
    TDetailPanels panels;
    int selected = -1;
    int focused = 0;
    int lineMonitorDialogs = 0;
    std::vector<std::string> notes;
};

// Answers the file dialogs at once.
class TAnsweringChooser : public IFileChooser {
public:
    std::string SaveFileName(const std::string&, const std::string&) override { return saveName; }
    std::string OpenFileName(const std::string&) override { return openName; }
    std::string OpenParameterFileName(const std::string&) override { return {}; }
    bool ChooseLanguage(char&) override { return false; }
    std::string saveName, openName;
};

// Read requests (service 0x10) from consecutive IDs, as they pass on the line.
inline Bytes Requests(int first, int count) {
    Bytes bytes;
    for (int i = 0; i < count; ++i) {
        const Bytes t = Telegram({static_cast<std::uint8_t>(first + i), 0x10});
        bytes.insert(bytes.end(), t.begin(), t.end());
    }
    return bytes;
}

// A session with a view of ten rows, a recording host and answering file dialogs.
class SessionTest : public ::testing::Test {
protected:
    SessionTest() {
        session.SetObserver(&view);
        session.SetFileChooser(&chooser);
        session.SetVisibleRows(10);
    }
    // Entries straight into the list: position p holds ID 1 + p % 200, service 2.
    void Add(int n) {
        std::vector<TTelEntry> entries(static_cast<std::size_t>(n));
        for (std::size_t i = 0; i < entries.size(); ++i) {
            entries[i].Data[0] = static_cast<std::uint8_t>(1 + i % 200);
            entries[i].Data[1] = 0x02;
        }
        session.AddEntries(entries);
    }
    // The include filter with the ID's low nibble `nibble`, as its dialog leaves it.
    void SetIdLow(int nibble) {
        TFilterCriteria f = session.IncludeFilter();
        f.IDLow = nibble + 1;
        f.FormDeactivate();
        session.SetIncludeFilter(f);
    }
    // A capture of `bytes` as if they came over the line.
    void Record(const Bytes& bytes) {
        TCaptureSettings settings = session.Settings();
        settings.PortText = "recorded line";
        session.ApplySettings(settings);
        ASSERT_TRUE(session.Replay(bytes, bytes.size()));
    }
    std::string Cell(int row, int column = 0) {
        const TRowTexts& r = session.RowWindow().Rows().at(static_cast<std::size_t>(row));
        const std::string* cells[] = {&r.Caption, &r.Id, &r.Service, &r.Additional};
        return *cells[column];
    }

    TRecordingHost host;
    TRecordingView view;
    TAnsweringChooser chooser;
    TMonitorSession session{host};
};

} // namespace protmon::test
