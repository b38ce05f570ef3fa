#include <gtest/gtest.h>

#include "edit/EditHistory.h"
#include "edit/EditedCells.h"
#include "tests/support/LoadHarness.h"

namespace lorvex {
namespace {

const char* kCfg =
    "hpifolder=units;\nextension=.fbi;\nshowunusedtags=1;\n"
    "[numeric]\n{\nname=Cost;\ntag=cost;\n}\n"
    "[math]\n{\nname=Double;\nequation=cost (2) *;\n}\n"
    "[multibool]\n{\nname=Flags;\ntagfor(Fly)=canfly;\ntagfor(Swim)=canswim;\n}\n";
const std::string kAb = "[ALPHA]\n{\nCost=10;\nSight=3;\n}\n[BETA]\n{\nCost=4;\nCanSwim=1;\n}\n";

struct Edited {
    testkit::UnitsGame game{{{"units\\ab.fbi", kAb}}, kCfg};
    testkit::Harness h;
    EditSession session{[this](const RecordSource& s) { return ReadRecordText(h.loader.ArchiveFolder(), s); }};
    EditHistory history{h.loader.State(), h.Data(), session,
                        [this](std::string_view location) { return h.loader.FindSource(location); }};
    Edited() { h.Load("t.cfg"); }
    int ColumnNamed(const std::string& heading) {
        for (int c = 0; c < h.Data().ColumnCount(); ++c)
            if (h.Data().Column(c).heading == heading) return c;
        return -1;
    }
    // The load's number of a column, wherever the user has moved it.
    int Origin(const std::string& heading) { return h.Data().Column(ColumnNamed(heading)).origin; }
    // One set of marks, worked out again after every edit as the window does.
    EditedCells cells;
    // Which cells show a change, as "row:heading" in row and column order.
    std::string Marked() {
        cells.Update(h.loader.State(), h.Data(), session.Changes());
        std::string out;
        for (int r = 0; r < h.Data().RowCount(); ++r)
            for (int c = 0; c < h.Data().ColumnCount(); ++c)
                if (cells.At(r, c)) out += std::to_string(r) + ":" + h.Data().Column(c).heading + " ";
        return out;
    }
};

// The user drags columns about before editing: the parser writes by the load's
// column numbers, the table keeps cells where the columns now stand.
TEST(EditedCells, AnEditAfterColumnsMovedLandsInTheMovedColumnsAndMarksThem) {
    Edited e;
    e.h.table.MoveColumn(e.ColumnNamed("Line #"), 0);
    e.h.table.MoveColumn(e.ColumnNamed("Cost"), e.h.Data().ColumnCount());
    e.h.table.MoveColumn(e.ColumnNamed("Located In"), 1);
    ASSERT_EQ(testkit::RowText(e.h.Data(), 1), "6,rev31.gp3  ::  ab.fbi,8,Swim,,4");
    ASSERT_EQ(e.Marked(), "");

    ASSERT_TRUE(e.history.EditCell(1, e.Origin("Cost"), CellAnswer{"6"}).done);
    // The equation follows; the other record of the file stays.
    EXPECT_EQ(testkit::RowText(e.h.Data(), 1), "6,rev31.gp3  ::  ab.fbi,12,Swim,,6");
    EXPECT_EQ(testkit::RowText(e.h.Data(), 0), "1,rev31.gp3  ::  ab.fbi,20,,3,10");
    EXPECT_EQ(e.Marked(), "1:Cost ");

    // A flag and an unclaimed key: each marks its own column only.
    ASSERT_TRUE(e.history.EditCell(1, e.Origin("Flags"), CellAnswer{"", -1, {true, true}}).done);
    ASSERT_TRUE(e.history.EditCell(0, e.Origin("Sight"), CellAnswer{"5"}).done);
    EXPECT_EQ(testkit::RowText(e.h.Data(), 0), "1,rev31.gp3  ::  ab.fbi,20,,5,10");
    EXPECT_EQ(e.Marked(), "0:Sight 1:Flags 1:Cost ");

    // Put back, the marks go; undone, they come back.
    ASSERT_TRUE(e.history.EditCell(1, e.Origin("Cost"), CellAnswer{"4"}).done);
    EXPECT_EQ(e.Marked(), "0:Sight 1:Flags ");
    ASSERT_TRUE(e.history.Undo());
    EXPECT_EQ(e.Marked(), "0:Sight 1:Flags 1:Cost ");
}

}  // namespace
}  // namespace lorvex
