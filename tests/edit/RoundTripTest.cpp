#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <tuple>

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
std::string Rows(TableData& data) {
    std::string all;
    for (int r = 0; r < data.RowCount(); ++r) all += testkit::RowText(data, r) + "\n";
    return all;
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
// added where the record lacks it), saves them into their archives, and loads
// the game again: the table, lorvex-export and the archives' listings agree.
void RoundTrip(const fs::path& gameFolder, const std::string& cfg) {
    std::vector<fs::path> archives;
    for (const auto& e : fs::directory_iterator(gameFolder))
        if (e.is_regular_file()) archives.push_back(e.path());
    std::map<fs::path, std::map<std::string, std::string>> before;
    for (const fs::path& a : archives) before[a] = Listing(a);

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
        const EditHistory::Result result = history.EditCell(r, c, CellAnswer{value});
        if (!result.done) {
            ADD_FAILURE() << result.problem << " [" << value << "]";
            continue;
        }
        ++made;
        const std::string location(h.Data().Cell(r, state.locationColumn));
        touched.insert(location.substr(0, location.find("  ::  ")));
    }
    ASSERT_EQ(made, kEdits);
    EXPECT_GE(touched.size(), 2u) << "the edits reach several archives";
    const std::string edited = Rows(h.Data());

    std::vector<ChangedFile> changed;
    for (const auto& [source, text] : session.ChangedFiles())
        changed.push_back({source.archivePath, source.entryPath, text});
    const SaveOutcome saved = SaveIntoArchives(changed, h.loader.ArchiveFolder());
    ASSERT_TRUE(saved.ok) << saved.message;
    EXPECT_EQ(saved.written.size(), touched.size());

    Harness again;
    again.loader.SetArchiveFolder(gameFolder.string());
    ASSERT_EQ(again.Load(cfg), LoadEnd::Loaded);
    EXPECT_EQ(Rows(again.Data()), edited);

    // lorvex-export reads the saved game as the window does.
    const testkit::Ran exported =
        RunShell(std::string(LORVEX_EXPORT_TOOL) + " -C '" + fs::current_path().string() + "' " + cfg, ".");
    ASSERT_EQ(exported.status, 0) << exported.err;
    std::FILE* out = std::tmpfile();
    ExportSettings settings;
    settings.includeCollapsed = true;  // no window measured the columns here
    ASSERT_TRUE(WriteExportTo(again.table, settings, out));
    std::rewind(out);
    std::string bytes;
    for (int ch; (ch = std::fgetc(out)) != EOF;) bytes += static_cast<char>(ch);
    std::fclose(out);
    EXPECT_EQ(exported.out, bytes);

    std::set<std::string> changedEntries;
    for (const ChangedFile& f : changed) changedEntries.insert(f.entryPath);
    for (const fs::path& a : archives) {
        SCOPED_TRACE(a.filename().string());
        const auto after = Listing(a);
        ASSERT_EQ(after.size(), before[a].size());
        for (const auto& [name, line] : before[a]) {
            ASSERT_TRUE(after.count(name)) << name;
            EXPECT_EQ(Method(after.at(name)), Method(line)) << name;
            if (!changedEntries.count(name)) {
                EXPECT_EQ(after.at(name), line) << "an entry nobody edited";
            }
        }
    }
}

// The demo game's archives beside the current folder, its unit table in it.
void CopyDemoGame() {
    for (const auto& e : fs::directory_iterator(LORVEX_DEMO_GAME))
        if (e.is_regular_file() && e.path().extension() != ".cfg")
            fs::copy_file(e.path(), fs::path("..") / e.path().filename());
    fs::copy_file(fs::path(LORVEX_DEMO_CONFIG) / "units.cfg", "units.cfg");
}

TEST(RoundTrip, FiftyEditsOnTheDemoGameSavedAndLoadedAgain) {
    testkit::GameFolder folder;
    CopyDemoGame();
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

// An edit re-reads one record file: every other row keeps every cell.
TEST(RoundTrip, AnEditChangesNoOtherRow) {
    testkit::GameFolder folder;
    CopyDemoGame();
    Harness h;
    ASSERT_EQ(h.Load("units.cfg"), LoadEnd::Loaded);
    EditSession session([&](const RecordSource& s) { return ReadRecordText(h.loader.ArchiveFolder(), s); });
    EditHistory history(h.loader.State(), h.Data(), session,
                        [&](std::string_view location) { return h.loader.FindSource(location); });
    std::vector<std::string> before;
    for (int r = 0; r < h.Data().RowCount(); ++r) before.push_back(testkit::RowText(h.Data(), r));
    const int speed = 6, energy = 5;
    for (const auto& [row, column, value] : {std::tuple{1, 4, "9.5"}, {3, energy, "4000"}, {7, speed, "7.5"}}) {
        ASSERT_TRUE(history.EditCell(row, column, CellAnswer{value}).done);
        for (int r = 0; r < h.Data().RowCount(); ++r)
            if (r != row && r != 1 && r != 3) {
                EXPECT_EQ(testkit::RowText(h.Data(), r), before[r]) << r;
            }
    }
}

}  // namespace
}  // namespace lorvex
