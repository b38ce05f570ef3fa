#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "edit/EditHistory.h"
#include "tests/support/LoadHarness.h"

namespace lorvex {
namespace {

// Every kind of column, an equation over Cost, and unclaimed keys of the record's own lines.
const char* kCfg =
    "hpifolder=units;\nextension=.fbi;\nshowunusedtags=1;\n"
    "[headertext]\n{\nname=Record;\n}\n"
    "[numeric]\n{\nname=Cost;\ntag=cost;\ndecimals=2;\n}\n"
    "[symbolic]\n{\nname=Move;\ntag=move;\nsymbol(0)=Ground;\nsymbol(1)=Air;\n}\n"
    "[multibool]\n{\nname=Flags;\ntagfor(Fly)=canfly;\ntagfor(Swim)=canswim;\n}\n"
    "[math]\n{\nname=Double;\nequation=cost (2) *;\ndecimals=1;\n}\n"
    "[boolean]\n{\nname=Builder;\ntag=builder;\n}\n"
    "[string]\n{\nname=Name;\ntag=name;\n}\n";
enum Col { kRecord, kCost, kMove, kFlags, kDouble, kBuilder, kName, kLocated, kLine, kSight };

const std::string kAb =
    "[ALPHA]\r\n{\r\n\tName=Alpha;\r\n\tCost=10.50; // dear\r\n\tMove=1;\r\n\tCanFly=1;\r\n\tSight=300;\r\n}\r\n"
    "[BETA]\r\n{\r\n\tName=Beta Two;\r\n\tCost=4;\r\n\tCanFly=1;\r\n\t[SUB]\r\n\t{\r\n\tCanFly=2;\r\n\t}\r\n}\r\n";
const std::string kC = "[GAMMA]\n{\nName=Gamma;\nCost=1;\n}\n";
constexpr int kAlpha = 0, kBeta = 1;

// A loaded game with its edit session and history wired as the window wires them.
struct Edited {
    testkit::UnitsGame game{{{"units\\ab.fbi", kAb}, {"units\\c.fbi", kC}}, kCfg};
    testkit::Harness h;
    EditSession session{[this](const RecordSource& s) { return ReadRecordText(h.loader.ArchiveFolder(), s); }};
    EditHistory history{h.loader.State(), h.Data(), session,
                        [this](std::string_view location) { return h.loader.FindSource(location); }};
    Edited() { h.Load("t.cfg"); }
    std::string Cell(int row, int column) { return std::string(h.Data().Cell(row, column)); }
    std::string Row(int row) { return testkit::RowText(h.Data(), row); }
    std::string AbText() { return *session.TextOf(*h.loader.FindSource("rev31.gp3  ::  ab.fbi")); }
};

CellAnswer Typed(const char* text) { return {text, -1, {}}; }
CellAnswer Pick(int choice) { return {"", choice, {}}; }
CellAnswer Flags(bool fly, bool swim) { return {"", -1, {fly, swim}}; }

TEST(CellEdit, EachColumnTypeWritesWhatALoadReadsBack) {
    const std::string alpha = "ALPHA,10.5,Air,Fly,21,,Alpha,rev31.gp3  ::  ab.fbi,1,300";
    const struct {
        const char* why;
        int row;
        int column;
        CellAnswer answer;
        const char* problem;  // a part of it, or "" when the edit is taken
        std::string cells;    // the row afterwards
        std::string line;     // a line the file then holds ("" when unchanged)
    } cases[] = {
        {"a number column refuses what is no number", kAlpha, kCost, Typed("abc"), "is not a number", alpha, ""},
        {"... and a number with more after it", kAlpha, kCost, Typed("12x"), "is not a number", alpha, ""},
        {"... and nothing at all", kAlpha, kCost, Typed(""), "is not a number", alpha, ""},
        {"a choice past the last symbol", kAlpha, kMove, Pick(2), "Choose one", alpha, ""},
        {"a number keeps its comment; the equation follows", kAlpha, kCost, Typed("2.25"), "",
         "ALPHA,2.25,Air,Fly,4.5,,Alpha,rev31.gp3  ::  ab.fbi,1,300", "\tCost=2.25; // dear\r\n"},
        {"a symbol writes its number", kAlpha, kMove, Pick(0), "",
         "ALPHA,10.5,Ground,Fly,21,,Alpha,rev31.gp3  ::  ab.fbi,1,300", "\tMove=0;\r\n"},
        {"flags: one off, a missing one added", kAlpha, kFlags, Flags(false, true), "",
         "ALPHA,10.5,Air,Swim,21,,Alpha,rev31.gp3  ::  ab.fbi,1,300", "\tcanswim=1;\r\n}"},
        {"a flag set at two depths reads unset only when both are 0", kBeta, kFlags, Flags(false, false), "",
         "BETA,4,,,8,,Beta Two,rev31.gp3  ::  ab.fbi,9,", "\tCanFly=0;\r\n\t}"},
        {"a boolean writes 1", kBeta, kBuilder, Pick(1), "", "BETA,4,,Fly,8,X,Beta Two,rev31.gp3  ::  ab.fbi,9,",
         "\tbuilder=1;\r\n}"},
        {"an unclaimed key takes any text", kAlpha, kSight, Typed("far away"), "",
         "ALPHA,10.5,Air,Fly,21,,Alpha,rev31.gp3  ::  ab.fbi,1,far away", "\tSight=far away;\r\n"},
        {"the record's name is not a value", kAlpha, kRecord, Typed("X"), "block header", alpha, ""},
        {"an equation is computed", kAlpha, kDouble, Typed("3"), "computed", alpha, ""},
        {"where it was found is not in the file", kAlpha, kLocated, Typed("x"), "Located In", alpha, ""},
        {"the line is not a value", kAlpha, kLine, Typed("3"), "Line #", alpha, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        Edited e;
        const CellEditor editor = e.history.Describe(c.row, c.column);
        const EditHistory::Result r = e.history.EditCell(c.row, c.column, c.answer);
        EXPECT_EQ(r.done, std::string(c.problem).empty()) << r.problem;
        EXPECT_NE(r.problem.find(c.problem), std::string::npos) << r.problem;
        if (editor.kind == CellEditKind::NotEditable) {
            EXPECT_EQ(editor.reason, r.problem);
        }
        EXPECT_EQ(e.Row(c.row), c.cells);
        if (c.line.empty())
            EXPECT_EQ(e.AbText(), kAb);
        else
            EXPECT_NE(e.AbText().find(c.line), std::string::npos) << e.AbText();
        EXPECT_EQ(e.Row(2), "GAMMA,1,,,2,,Gamma,rev31.gp3  ::  c.fbi,1,") << "another file's row";
    }
}

TEST(CellEdit, EditorsStartFromTheValueAsWritten) {
    Edited e;
    const std::pair<CellEditor, std::string> cases[] = {
        {e.history.Describe(kAlpha, kCost), "10.50"},  // not the cell's rounded 10.5
        {e.history.Describe(kBeta, kName), "Beta Two"},
        {e.history.Describe(kAlpha, kSight), "300"},
    };
    for (const auto& [editor, start] : cases) EXPECT_EQ(editor.startText, start);
    const struct {
        const char* why;
        CellEditor editor;
        int chosen;
    } choices[] = {
        {"the symbol of the value", e.history.Describe(kAlpha, kMove), 1},
        {"a value between two symbols rounds half up, as its cell shows it",
         DescribeCellEdit(e.h.loader.State(), kMove, "[X]\n{\nMove=0.5;\n}\n", 1), 1},
        {"a boolean the record lacks shows no choice made", e.history.Describe(kAlpha, kBuilder), -1},
    };
    for (const auto& c : choices) EXPECT_EQ(c.editor.chosen, c.chosen) << c.why;
    const struct {
        const char* why;
        CellEditor editor;
        std::vector<bool> flags;
    } flagCases[] = {
        {"a flag set at two depths", e.history.Describe(kBeta, kFlags), {true, false}},
        {"any value but 0 sets a flag, as a load reads it",
         DescribeCellEdit(e.h.loader.State(), kFlags, "[X]\n{\nCanFly=-1;\n}\n", 1),
         {true, false}},
    };
    for (const auto& c : flagCases) EXPECT_EQ(c.editor.flags, c.flags) << c.why;
}

TEST(CellEdit, AnAddedLineShiftsTheNextRecordOfTheFile) {
    Edited e;
    ASSERT_TRUE(e.history.EditCell(kAlpha, kBuilder, Pick(1)).done);
    EXPECT_EQ(e.Cell(kAlpha, kBuilder), "X");
    EXPECT_EQ(e.Cell(kBeta, kLine), "10");  // one line further down
    ASSERT_TRUE(e.history.EditCell(kBeta, kCost, {"7"}).done);
    EXPECT_EQ(e.Row(kBeta), "BETA,7,,Fly,14,,Beta Two,rev31.gp3  ::  ab.fbi,10,");
    EXPECT_EQ(e.Cell(kAlpha, kBuilder), "X");
}

TEST(CellEdit, AValuePutBackLeavesNoChangeAndTheLoadedBytes) {
    Edited e;
    ASSERT_TRUE(e.history.EditCell(kAlpha, kCost, {"99"}).done);
    ASSERT_TRUE(e.history.EditCell(kAlpha, kBuilder, Pick(1)).done);  // an added line
    ASSERT_EQ(e.session.Changes().size(), 2u);
    EXPECT_TRUE(e.session.HasUnsavedChanges());
    ASSERT_TRUE(e.history.EditCell(kAlpha, kCost, {"10.50"}).done);
    ASSERT_EQ(e.session.Changes().size(), 1u);
    const EditChange change = e.session.Changes()[0];
    EXPECT_EQ(change.record + "|" + change.key + "|" + change.oldValue.value_or("<none>") + "|" +
                  change.newValue.value_or("<none>") + "|" + change.file + "|" + change.archive,
              "ALPHA|builder|<none>|1|units\\ab.fbi|..\\rev31.gp3");
    ASSERT_TRUE(e.history.Revert(0).done);  // from the changes list
    EXPECT_FALSE(e.session.HasUnsavedChanges());
    EXPECT_EQ(e.AbText(), kAb);
    EXPECT_EQ(e.Row(kAlpha), "ALPHA,10.5,Air,Fly,21,,Alpha,rev31.gp3  ::  ab.fbi,1,300");
    EXPECT_EQ(e.Cell(kBeta, kLine), "9");
    // A flag cleared at both its depths and set again reads as loaded: the loaded bytes come back too.
    ASSERT_TRUE(e.history.EditCell(kBeta, kFlags, Flags(false, false)).done);
    ASSERT_TRUE(e.history.EditCell(kBeta, kFlags, Flags(true, false)).done);
    EXPECT_FALSE(e.session.HasUnsavedChanges());
    EXPECT_EQ(e.AbText(), kAb);
}

TEST(EditHistory, UndoesAndRedoesEditsAndRowRemovalsInOneHistory) {
    Edited e;
    const std::string before = testkit::ColumnText(e.h.Data(), kCost);
    ASSERT_TRUE(e.history.EditCell(kBeta, kCost, {"5"}).done);
    e.h.Data().SetSelected(kAlpha, true);
    EXPECT_EQ(e.history.RemoveRows(true), 1);
    ASSERT_TRUE(e.history.EditCell(0, kCost, {"6"}).done);  // BETA, now the first row
    const std::string after = testkit::ColumnText(e.h.Data(), kCost);
    EXPECT_EQ(after, "6,1");
    const std::string steps[] = {"5,1", "10.5,5,1", before};
    for (const std::string& want : steps) {
        ASSERT_TRUE(e.history.Undo());
        EXPECT_EQ(testkit::ColumnText(e.h.Data(), kCost), want);
    }
    EXPECT_FALSE(e.history.Undo());
    EXPECT_FALSE(e.session.HasUnsavedChanges());
    EXPECT_EQ(e.AbText(), kAb);
    EXPECT_TRUE(e.h.Data().IsSelected(kAlpha));  // the removed row came back highlighted
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(e.history.Redo());
    EXPECT_FALSE(e.history.Redo());
    EXPECT_EQ(testkit::ColumnText(e.h.Data(), kCost), after);
    EXPECT_EQ(e.session.Changes().size(), 1u);
}

// What the changes list, a save and the table hold after each way of editing,
// saving, loading again, removing rows and stepping through the history.
TEST(EditHistory, EachStepLeavesTheChangesTheFilesToSaveAndTheRowsItShould) {
    enum class Act { Edit, Save, NewLoad, Highlight, Hide, Remove, Undo, Redo };
    struct Step {
        Act act;
        int row = 0;
        int column = 0;
        const char* text = "";
    };
    const auto edit = [](int row, int column, const char* text) { return Step{Act::Edit, row, column, text}; };
    constexpr int kGamma = 2;
    const struct {
        const char* why;
        std::vector<Step> steps;
        const char* changes;  // record key old->new, in the list's order
        const char* toSave;   // the files a save writes
        const char* rows;     // record and cost of every row
        const char* history;  // what can be undone and redone
    } cases[] = {
        {"one key of two records of a file is two changes",
         {edit(kAlpha, kCost, "1"), edit(kBeta, kCost, "2")},
         "ALPHA cost 10.50->1, BETA cost 4->2",
         "units\\ab.fbi",
         "ALPHA 1, BETA 2, GAMMA 1",
         "undo"},
        {"a value put back in one file replays no change of another file, nor saves the file",
         {edit(kGamma, kCost, "5"), edit(kAlpha, kCost, "99"), edit(kAlpha, kCost, "10.50")},
         "GAMMA cost 1->5",
         "units\\c.fbi",
         "ALPHA 10.5, BETA 4, GAMMA 5",
         "undo"},
        {"after a save, a value put back returns to the saved text",
         {edit(kAlpha, kCost, "1"), {Act::Save}, edit(kBeta, kCost, "2"), edit(kBeta, kCost, "4")},
         "",
         "",
         "ALPHA 1, BETA 4, GAMMA 1",
         "undo"},
        {"a new load leaves nothing edited and nothing to undo",
         {edit(kAlpha, kCost, "1"), {Act::NewLoad}},
         "",
         "",
         "ALPHA 10.5, BETA 4, GAMMA 1",
         ""},
        {"two rows removed at once go, come back and go again in place",
         {{Act::Highlight, kAlpha}, {Act::Highlight, kBeta}, {Act::Remove}, {Act::Undo}, {Act::Redo}},
         "",
         "",
         "GAMMA 1",
         "undo"},
        {"a highlighted row a filter hides is neither removed nor put back",
         {{Act::Highlight, kAlpha}, {Act::Highlight, kBeta}, {Act::Hide, kBeta}, {Act::Remove}, {Act::Undo}},
         "",
         "",
         "ALPHA 10.5, BETA 4, GAMMA 1",
         "redo"},
        {"an edit after an undo leaves nothing to redo",
         {edit(kBeta, kCost, "5"), {Act::Undo}, edit(kAlpha, kCost, "6")},
         "ALPHA cost 10.50->6",
         "units\\ab.fbi",
         "ALPHA 6, BETA 4, GAMMA 1",
         "undo"},
    };
    const auto joined = [](const std::vector<std::string>& parts) {
        std::string s;
        for (const std::string& part : parts) s += (s.empty() ? "" : ", ") + part;
        return s;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        Edited e;
        for (const Step& step : c.steps) {
            switch (step.act) {
                case Act::Edit: EXPECT_TRUE(e.history.EditCell(step.row, step.column, Typed(step.text)).done); break;
                case Act::Save: e.session.MarkSaved(); break;
                case Act::NewLoad:
                    e.session.Clear();
                    e.history.Clear();
                    e.h.Load("t.cfg");
                    break;
                case Act::Highlight: e.h.Data().SetSelected(step.row, true); break;
                case Act::Hide: e.h.Data().SetHidden(step.row, true); break;
                case Act::Remove: e.history.RemoveRows(true); break;
                case Act::Undo: e.history.Undo(); break;
                case Act::Redo: e.history.Redo(); break;
            }
        }
        EXPECT_EQ(e.session.HasUnsavedChanges(), *c.changes != '\0');
        std::vector<std::string> changes, files, rows;
        for (const EditChange& change : e.session.Changes())
            changes.push_back(change.record + " " + change.key + " " + change.oldValue.value_or("-") + "->" +
                              change.newValue.value_or("-"));
        for (const auto& [source, text] : e.session.ChangedFiles()) files.push_back(source.entryPath);
        for (int r = 0; r < e.h.Data().RowCount(); ++r) rows.push_back(e.Cell(r, kRecord) + " " + e.Cell(r, kCost));
        EXPECT_EQ(joined(changes), c.changes);
        EXPECT_EQ(joined(files), c.toSave);
        EXPECT_EQ(joined(rows), c.rows);
        EXPECT_EQ(std::string(e.history.CanUndo() ? "undo" : "") + (e.history.CanRedo() ? "redo" : ""), c.history);
    }
}

TEST(Loader, SourcesAreThisLoadsRecordFiles) {
    testkit::GameFolder folder;
    testkit::GameFolder::Write("t.cfg", kCfg);
    testkit::GameFolder::Write("i.cfg", "hpifolder(3)=units;\nextension(3)=.fbi;\n[string]\n{\ntag=name;\n}\n");
    ASSERT_TRUE(testkit::WriteArchive("../rev31.gp3", {{"units\\ab.fbi", kAb}, {"units\\c.fbi", kC}}));
    ASSERT_TRUE(testkit::WriteArchive("../z.hpi", {{"UNITS\\D.FBI", kC}}));
    testkit::Harness h;
    const std::pair<const char*, std::string> loads[] = {
        {"t.cfg",
         "rev31.gp3  ::  ab.fbi|..\\rev31.gp3|units\\ab.fbi|ab.fbi|0,"
         "rev31.gp3  ::  c.fbi|..\\rev31.gp3|units\\c.fbi|c.fbi|0,"
         "z.hpi  ::  D.FBI|..\\z.hpi|UNITS\\D.FBI|D.FBI|0,"},
        {"i.cfg",
         "rev31.gp3  ::  units\\ab.fbi|..\\rev31.gp3|units\\ab.fbi|ab.fbi|3,"
         "rev31.gp3  ::  units\\c.fbi|..\\rev31.gp3|units\\c.fbi|c.fbi|3,"
         "z.hpi  ::  units\\D.FBI|..\\z.hpi|UNITS\\D.FBI|D.FBI|3,"},
    };
    for (const auto& [cfg, want] : loads) {
        h.Load(cfg);
        std::string got;
        for (const RecordSource& s : h.loader.Sources())
            got += s.location + "|" + s.archivePath + "|" + s.entryPath + "|" + s.entryName + "|" +
                   std::to_string(s.pairIndex) + ",";
        EXPECT_EQ(got, want) << cfg;  // a second load starts its list afresh
        for (int row = 0; row < h.Data().RowCount(); ++row) {
            const std::string_view location = h.Data().Cell(row, h.loader.State().locationColumn);
            ASSERT_NE(h.loader.FindSource(location), nullptr) << cfg << ": " << location;
        }
        EXPECT_EQ(h.loader.ScannedArchives(), (std::vector<std::string>{"..\\rev31.gp3", "..\\z.hpi"}));
    }
}

}  // namespace
}  // namespace lorvex
