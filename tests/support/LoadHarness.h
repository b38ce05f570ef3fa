#pragma once
// A load driven without a window: a view that records what it was told, a
// scripted chooser and the messages captured.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "load/LoadRun.h"
#include "tests/support/GameData.h"
#include "tests/support/GameFolder.h"
#include "tests/support/TableFill.h"
#include "tests/tdf/TestFiles.h"

namespace lorvex::testkit {

class RecordingView : public LoadView {
public:
    std::vector<std::string> archiveLabels;
    std::vector<std::string> fileLabels;
    std::vector<std::string> events;
    void SetProgressVisible(bool v) override { events.push_back(v ? "labels shown" : "labels hidden"); }
    void SetArchiveLabel(std::string_view t) override { archiveLabels.emplace_back(t); }
    void SetFileLabel(std::string_view t) override { fileLabels.emplace_back(t); }
    // How many times the load asked to wait; answers with waitAnswer(calls).
    int waits = 0;
    std::function<bool(int)> waitAnswer = [](int) { return true; };
    bool KeepWaiting(std::string_view) override { return waitAnswer(++waits); }
};

// A game folder entered for the test's lifetime: t.cfg, and ../rev31.gp3 packed from (entry, contents) pairs.
struct UnitsGame {
    GameFolder folder;
    explicit UnitsGame(const std::vector<std::pair<std::string, std::string>>& files,
                       const std::string& cfg = kUnitsCfg) {
        GameFolder::Write("t.cfg", cfg);
        EXPECT_TRUE(WriteArchive("../rev31.gp3", files));
    }
};

struct Harness {
    TableListCtrl table;
    RecordingView view;
    lorvex::testkit::CapturedMessages messages;
    Loader loader{table, view, messages};

    LoadEnd Load(const std::string& cfg) { return loader.LoadRun(cfg); }
    TableData& Data() { return table.Data(); }
    // Everything the load put into the table: headings, kinds, widths and every cell.
    std::string Everything() {
        std::string all = Headings() + "\n";
        for (std::uint8_t k : table.ColumnKinds()) all += std::to_string(k) + " ";
        for (int c = 0; c < Data().ColumnCount(); ++c) all += std::to_string(Data().ColumnWidth(c)) + " ";
        for (int r = 0; r < Data().RowCount(); ++r) all += "\n" + RowText(Data(), r);
        return all;
    }
    std::string Headings() {
        std::string h;
        for (int c = 0; c < Data().ColumnCount(); ++c) h += (c ? "," : "") + Data().Column(c).heading;
        return h;
    }
};

}  // namespace lorvex::testkit
