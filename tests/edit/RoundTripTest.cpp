#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>

#include "bench/RealShapedGame.h"
#include "edit/EditHistory.h"
#include "edit/SaveChanges.h"
#include "export/ExportWriter.h"
#include "tests/support/LoadHarness.h"
#include "tests/support/ToolRun.h"

namespace lorvex {
namespace {

namespace fs = std::filesystem;
using testkit::Harness;
using testkit::RunShell;

constexpr int kEdits = 50;

// Every row of the table, cell by cell: what a user sees, whatever the widths.
std::vector<std::string> Rows(TableData& data) {
    std::vector<std::string> rows;
    for (int r = 0; r < data.RowCount(); ++r) rows.push_back(testkit::RowText(data, r));
    return rows;
}

// `lorvex-hpi list -l` of an archive, one entry per name.
std::map<std::string, std::string> Listing(const fs::path& archive) {
    const testkit::Ran ran = RunShell(std::string(LORVEX_HPI_TOOL) + " list -l '" + archive.string() + "'", ".");
    EXPECT_EQ(ran.status, 0) << ran.err;
    std::map<std::string, std::string> entries;
    std::istringstream lines(ran.out);
    for (std::string line; std::getline(lines, line);) entries[line.substr(line.rfind(' ') + 1)] = line;
    return entries;
}

// The method column of a listing line: entries keep theirs when rewritten.
std::string Method(const std::string& line) {
    std::istringstream words(line);
    std::string size, packed, method;
    words >> size >> packed >> method;
    return method;
}

// Edits 50 number cells spread over the table (a digit appended, or the key
// added where the record lacks it), each changing no other row, saves them into
// their archives, and loads the game again: the table, lorvex-export and the
// archives' listings agree.
void RoundTrip(const fs::path& gameFolder, const std::string& cfg) {
    std::map<fs::path, std::map<std::string, std::string>> before;
    for (const auto& e : fs::directory_iterator(gameFolder))
        if (e.is_regular_file()) before[e.path()] = Listing(e.path());

    Harness h;
    h.loader.SetArchiveFolder(gameFolder.string());
    ASSERT_EQ(h.Load(cfg), LoadEnd::Loaded);
    EditSession session([&](const RecordSource& s) { return ReadRecordText(h.loader.ArchiveFolder(), s); });
    EditHistory history(h.loader.State(), h.Data(), session,
                        [&](std::string_view location) { return h.loader.FindSource(location); });
    const LoadState& state = h.loader.State();
    std::vector<int> numbers;
    for (int c = 0; c < state.locationColumn; ++c)
        if (static_cast<ColumnType>(state.columns[c].type) == ColumnType::Numeric) numbers.push_back(c);
    ASSERT_FALSE(numbers.empty());

    int made = 0;
    std::set<std::string> touched;
    const int stride = std::max(1, h.Data().RowCount() / kEdits);
    for (int r = 0; r < h.Data().RowCount() && made < kEdits; r += stride) {
        const int c = numbers[static_cast<std::size_t>(made) % numbers.size()];
        const CellEditor editor = history.Describe(r, c);
        ASSERT_EQ(editor.kind, CellEditKind::Number) << editor.reason;
        // A digit after a number; a number where the record has none, or a word.
        char* end = nullptr;
        const std::string& start = editor.startText;
        const bool number = !start.empty() && (std::strtod(start.c_str(), &end), *end == '\0');
        const std::string value = number ? start + "7" : "7";
        const std::vector<std::string> rows = Rows(h.Data());
        const EditHistory::Result result = history.EditCell(r, c, CellAnswer{value});
        ASSERT_TRUE(result.done) << result.problem << " [" << value << "]";
        std::vector<std::string> now = Rows(h.Data());
        now[static_cast<std::size_t>(r)] = rows[static_cast<std::size_t>(r)];
        EXPECT_TRUE(now == rows) << "an edit re-reads one record file: every other row keeps every cell";
        ++made;
        const std::string location(h.Data().Cell(r, state.locationColumn));
        touched.insert(location.substr(0, location.find("  ::  ")));
    }
    ASSERT_EQ(made, kEdits);
    EXPECT_GE(touched.size(), 2u) << "the edits reach several archives";

    std::vector<ChangedFile> changed;
    std::set<std::string> changedEntries;
    for (const auto& [source, text] : session.ChangedFiles()) {
        changed.push_back({source.archivePath, source.entryPath, text});
        changedEntries.insert(source.entryPath);
    }
    const SaveOutcome saved = SaveIntoArchives(changed, h.loader.ArchiveFolder());
    ASSERT_TRUE(saved.ok) << saved.message;
    EXPECT_EQ(saved.written.size(), touched.size());

    Harness again;
    again.loader.SetArchiveFolder(gameFolder.string());
    ASSERT_EQ(again.Load(cfg), LoadEnd::Loaded);
    EXPECT_EQ(Rows(again.Data()), Rows(h.Data()));

    // lorvex-export reads the saved game as the window does.
    const testkit::Ran exported =
        RunShell(std::string(LORVEX_EXPORT_TOOL) + " -C '" + fs::current_path().string() + "' " + cfg, ".");
    ASSERT_EQ(exported.status, 0) << exported.err;
    ExportSettings settings;
    settings.includeCollapsed = true;  // no window measured the columns here
    std::string written;
    ASSERT_TRUE(WriteExport(again.table, settings, &written));
    EXPECT_EQ(exported.out, testkit::GameFolder::Read(written));

    for (const auto& [archive, listed] : before) {
        SCOPED_TRACE(archive.filename().string());
        const auto after = Listing(archive);
        ASSERT_EQ(after.size(), listed.size());
        for (const auto& [name, line] : listed) {
            ASSERT_TRUE(after.count(name)) << name;
            EXPECT_EQ(Method(after.at(name)), Method(line)) << name;
            if (!changedEntries.count(name)) {
                EXPECT_EQ(after.at(name), line) << "an entry nobody edited";
            }
        }
    }
}

TEST(RoundTrip, FiftyEditsOnTheDemoGameSavedAndLoadedAgain) {
    testkit::GameFolder folder;
    // The demo game's archives beside the current folder, its unit table in it.
    for (const auto& e : fs::directory_iterator(LORVEX_DEMO_GAME))
        if (e.is_regular_file() && e.path().extension() != ".cfg")
            fs::copy_file(e.path(), fs::path("..") / e.path().filename());
    fs::copy_file(fs::path(LORVEX_DEMO_CONFIG) / "units.cfg", "units.cfg");
    fs::remove("../broken.hpi");  // a damaged archive is never rewritten; its records are read, not edited
    RoundTrip(fs::absolute(".."), "units.cfg");
}

TEST(RoundTrip, FiftyEditsOnARealSizedGame) {
    bench::RealShapedGame game;
    const fs::path old = fs::current_path();
    fs::current_path(game.root / "cur");
    RoundTrip(game.root, "units.cfg");
    fs::current_path(old);
}

}  // namespace
}  // namespace lorvex
