#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <vector>

#include "export/ExportWriter.h"
#include "tests/support/GameFolder.h"

namespace lorvex {
namespace {

using testing::GameFolder;

// Name (wide), Cost (wide), Hidden (collapsed, 15), Edge (16) and four rows,
// rows 1 and 3 highlighted.
void Fill(TableListCtrl& table) {
    TableData& d = table.Data();
    d.InsertColumn(0, "Name", Align::Left, 80);
    d.InsertColumn(1, "Cost", Align::Right, 40);
    d.InsertColumn(2, "Hidden", Align::Left, 15);
    d.InsertColumn(3, "Edge", Align::Left, 16);
    const char* rows[][4] = {{"a", "1", "h0", "e0"}, {"b", "2", "h1", "e1"}, {"c\td", "3", "h2", "e2"},
                             {"<x>", "", "h3", "e3"}};
    for (const auto& r : rows) {
        const int i = d.AppendRow(r[0]);
        for (int c = 1; c < 4; ++c) d.SetCell(i, c, r[c]);
    }
    d.SetSelected(1, true);
    d.SetSelected(3, true);
}

std::string Pieces(const TableListCtrl& table, const ExportSettings& s) {
    std::string all;
    ForEachExportPiece(table, s, [&](std::string_view p) { all += p; });
    return all;
}

TEST(ExportWriter, WritesExactBytesInEveryMode) {
    struct Case {
        const char* what;
        ExportSettings settings;
        const char* bytes;
    };
    ExportSettings tab;
    ExportSettings custom;
    custom.columnDelimiter = ";";
    custom.rowDelimiter = "|\n";
    ExportSettings framed;
    framed.header = "H\nead\n";
    framed.trailer = "\nT";
    ExportSettings onlyHighlighted;
    onlyHighlighted.onlyHighlighted = true;
    ExportSettings collapsed;
    collapsed.includeCollapsed = true;
    ExportSettings empty;
    empty.columnDelimiter.clear();
    empty.rowDelimiter.clear();
    const std::vector<Case> cases = {
        {"tab default, collapsed column out, width 16 in, no quoting", tab,
         "Name\tCost\tEdge\r\na\t1\te0\r\nb\t2\te1\r\nc\td\t3\te2\r\n<x>\t\te3"},
        {"custom delimiters", custom, "Name;Cost;Edge|\r\na;1;e0|\r\nb;2;e1|\r\nc\td;3;e2|\r\n<x>;;e3"},
        {"header and trailer, LF stored as CR LF", framed,
         "H\r\nead\r\nName\tCost\tEdge\r\na\t1\te0\r\nb\t2\te1\r\nc\td\t3\te2\r\n<x>\t\te3\r\nT"},
        {"only highlighted rows", onlyHighlighted, "Name\tCost\tEdge\r\nb\t2\te1\r\n<x>\t\te3"},
        {"collapsed columns included", collapsed,
         "Name\tCost\tHidden\tEdge\r\na\t1\th0\te0\r\nb\t2\th1\te1\r\nc\td\t3\th2\te2\r\n<x>\t\th3\te3"},
        {"empty delimiters run together", empty, "NameCostEdgea1e0b2e1c\td3e2<x>e3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GameFolder folder;
        TableListCtrl table;
        Fill(table);
        ExportSettings s = c.settings;
        s.fileName = "out.dat";
        ASSERT_TRUE(WriteExport(table, s));
        EXPECT_EQ(GameFolder::Read("out.dat"), c.bytes);
    }
}

TEST(ExportWriter, EdgeTables) {
    GameFolder folder;
    ExportSettings s;
    s.fileName = "e.dat";
    s.header = "<";
    s.trailer = ">";
    {
        SCOPED_TRACE("no rows: header, headings, trailer");
        TableListCtrl table;
        table.Data().InsertColumn(0, "A", Align::Left, 50);
        table.Data().InsertColumn(1, "B", Align::Left, 50);
        ASSERT_TRUE(WriteExport(table, s));
        EXPECT_EQ(GameFolder::Read("e.dat"), "<A\tB>");
    }
    {
        SCOPED_TRACE("only highlighted, none highlighted");
        TableListCtrl table;
        Fill(table);
        table.Data().SelectAll(false);
        ExportSettings h = s;
        h.onlyHighlighted = true;
        ASSERT_TRUE(WriteExport(table, h));
        EXPECT_EQ(GameFolder::Read("e.dat"), "<Name\tCost\tEdge>");
    }
    {
        SCOPED_TRACE("no columns: each row still gives its delimiter");
        TableListCtrl table;
        Fill(table);
        while (table.Data().DeleteColumn(0)) {
        }
        ASSERT_EQ(table.Data().RowCount(), 4);
        ASSERT_TRUE(WriteExport(table, s));
        EXPECT_EQ(GameFolder::Read("e.dat"), "<\r\n\r\n\r\n\r\n>");
    }
}

TEST(ExportWriter, ExportsEveryColumnOfAWideTable) {
    GameFolder folder;
    TableListCtrl table;
    TableData& d = table.Data();
    constexpr int kColumns = 130;
    for (int c = 0; c < kColumns; ++c) d.InsertColumn(c, "c" + std::to_string(c), Align::Left, c == 100 ? 10 : 30);
    const int row = d.AppendRow("v0");
    for (int c = 1; c < kColumns; ++c) d.SetCell(row, c, "v" + std::to_string(c));

    std::string headings, cells;
    for (int c = 0; c < kColumns; ++c) {
        if (c == 100) continue;  // collapsed
        if (!headings.empty()) headings += '\t', cells += '\t';
        headings += "c" + std::to_string(c);
        cells += "v" + std::to_string(c);
    }
    ExportSettings s;
    s.fileName = "wide.dat";
    ASSERT_TRUE(WriteExport(table, s));
    EXPECT_EQ(GameFolder::Read("wide.dat"), headings + "\r\n" + cells);
    EXPECT_EQ(Pieces(table, s), headings + "\n" + cells);
}

TEST(ExportWriter, HandsPiecesInFileOrder) {
    TableListCtrl table;
    Fill(table);
    ExportSettings s;
    s.header = "H";
    s.trailer = "T";
    s.onlyHighlighted = true;
    std::vector<std::string> pieces;
    ForEachExportPiece(table, s, [&](std::string_view p) { pieces.emplace_back(p); });
    EXPECT_EQ(pieces, (std::vector<std::string>{"H", "Name\tCost\tEdge", "\nb\t2\te1", "\n<x>\t\te3", "T"}));
}

std::vector<std::string> FolderEntries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(ExportWriter, FailureLeavesTheOldFile) {
    GameFolder folder;
    TableListCtrl table;
    Fill(table);
    GameFolder::Write("old.dat", "old contents");
    ExportSettings s;

    s.fileName = "missing folder\\x.dat";
    EXPECT_FALSE(WriteExport(table, s));
    s.fileName = "";
    EXPECT_FALSE(WriteExport(table, s));
    std::filesystem::create_directory("sub");
    s.fileName = "sub";
    EXPECT_FALSE(WriteExport(table, s)) << "a folder is never replaced";
    EXPECT_TRUE(std::filesystem::is_directory("sub"));

    // A write that fails half way (the disk full): the old file stays whole
    // and no temporary file is left behind.
    for (int r = 0; r < 2000; ++r) table.Data().AppendRow("a longer cell text to fill the file");
    s.fileName = "old.dat";
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = WriteExport(table, s);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_EQ(GameFolder::Read("old.dat"), "old contents");
    EXPECT_EQ(FolderEntries("."), (std::vector<std::string>{"old.dat", "sub"}));

    // Written whole, it replaces the old file; the name's case on disk is kept.
    s.fileName = "OLD.DAT";
    ASSERT_TRUE(WriteExport(table, s));
    EXPECT_EQ(GameFolder::Read("old.dat").substr(0, 16), "Name\tCost\tEdge\r\n");
    EXPECT_EQ(FolderEntries("."), (std::vector<std::string>{"old.dat", "sub"}));
}

TEST(ExportWriter, KeepsPermissionsAndLinks) {
    GameFolder folder;
    TableListCtrl table;
    Fill(table);
    ExportSettings s;

    const mode_t mask = ::umask(022);
    s.fileName = "new.dat";
    ASSERT_TRUE(WriteExport(table, s));
    struct stat st {};
    ASSERT_EQ(::stat("new.dat", &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u) << "a new file gets the usual permissions, not a temporary file's";

    ASSERT_EQ(::chmod("new.dat", 0640), 0);
    ASSERT_TRUE(WriteExport(table, s));
    ASSERT_EQ(::stat("new.dat", &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u) << "a replaced file keeps its permissions";
    ::umask(mask);

    std::filesystem::create_directory("real");
    GameFolder::Write("real/target.dat", "old");
    std::filesystem::create_symlink("real/target.dat", "link.dat");
    s.fileName = "link.dat";
    ASSERT_TRUE(WriteExport(table, s));
    EXPECT_TRUE(std::filesystem::is_symlink("link.dat"));
    EXPECT_EQ(GameFolder::Read("real/target.dat").substr(0, 4), "Name");
}

}  // namespace
}  // namespace lorvex
