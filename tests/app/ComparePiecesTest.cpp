// The two pieces the comparison window leans on, tested alone: the view
// drawing what a tint asks of a cell, and a load stopped between record files.
#include <tuple>

#include "tests/app/AppTestSupport.h"

namespace lorvex::testkit {
namespace {

// A tint that asks one row to be struck out and another to show another text.
class LookingTint : public CellTint {
public:
    bool TintFor(int, int, QColor*) override { return false; }
    bool LookFor(int row, int, CellLook* look) override {
        if (row == kStruck) look->struckOut = true;
        if (row == kShown) look->shown = QStringLiteral("MMM");
        return row == kStruck || row == kShown;
    }
    static constexpr int kStruck = 1, kShown = 2;
};

// The view draws what the tint asks, in the first column and the others.
TEST(CellLookDrawing, StrikesOutAndShowsTheTintsText) {
    App();
    TableListCtrl table;
    constexpr int kWidth = 80;
    FillTable(table.Data(), {"a", "b"}, {{"WWW", "WWW"}, {"WWW", "WWW"}, {"WWW", "WWW"}, {"MMM", "MMM"}}, kWidth);
    TableListView view(table);
    QPalette pal = view.palette();
    pal.setColor(QPalette::Base, Qt::white);
    pal.setColor(QPalette::Text, Qt::black);
    pal.setColor(QPalette::Disabled, QPalette::Text, Qt::red);
    view.setPalette(pal);
    view.resize(3 * kWidth, 8 * view.RowHeight());
    LookingTint tint;
    view.AddCellTint(&tint);
    const QImage image = view.viewport()->grab().toImage();
    const auto rowImage = [&](int row) { return image.copy(view.RowBoundsRect(row)); };
    // The longest run of red along one pixel line of a row's column: a strike-out
    // line runs across the text, a glyph's stroke of "WWW" does not.
    const auto longestRed = [&](int row, int column) {
        const QRect r = view.RowBoundsRect(row);
        int longest = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = column * kWidth, run = 0; x < (column + 1) * kWidth; ++x) {
                const QColor p = image.pixelColor(x, y);
                run = p.red() > p.green() + 60 && p.red() > p.blue() + 60 ? run + 1 : 0;
                longest = std::max(longest, run);
            }
        return longest;
    };
    const int textWidth = view.fontMetrics().horizontalAdvance(QStringLiteral("WWW"));
    for (int column : {0, 1}) {
        SCOPED_TRACE(column);
        EXPECT_EQ(longestRed(0, column), 0) << "a plain row keeps the text colour";
        EXPECT_GE(longestRed(LookingTint::kStruck, column), textWidth * 3 / 4) << "struck out, dimmed";
    }
    EXPECT_TRUE(rowImage(LookingTint::kShown) == rowImage(3)) << "the tint's text drawn as if the cell held it";
    EXPECT_FALSE(rowImage(LookingTint::kShown) == rowImage(0));
}

// A load asked to stop between record files ends Cancelled with no rows.
struct StoppingView : LoadView {
    explicit StoppingView(int letThrough) : files(letThrough) {}
    void SetProgressVisible(bool) override {}
    void SetArchiveLabel(std::string_view) override {}
    void SetFileLabel(std::string_view) override {}
    bool KeepLoading() override { return asked++ < files; }
    int files, asked = 0;
};

TEST(LoadCancel, StopsBetweenRecordFiles) {
    GameFolder game;
    BuildGame();
    const std::tuple<int, LoadEnd, int, const char*> cases[] = {
        // files let through, how the load ends, rows, why
        {100, LoadEnd::Loaded, 4, "never stopped: every record"},
        {0, LoadEnd::Cancelled, 0, "stopped before the first file"},
        {2, LoadEnd::Cancelled, 0, "stopped before the last file: no half table"},
    };
    for (const auto& [files, end, rows, why] : cases) {
        SCOPED_TRACE(why);
        TableListCtrl table;
        StoppingView view(files);
        CapturedMessages messages;
        Loader loader(table, view, messages);
        EXPECT_EQ(loader.LoadRun("units.cfg"), end);
        EXPECT_EQ(table.Data().RowCount(), rows);
        EXPECT_EQ(table.Data().ColumnCount(), 4) << "the configuration's columns stay";
        EXPECT_EQ(view.asked, std::min(files + 1, 3)) << "asked once per record file";
        EXPECT_TRUE(messages.texts.empty());
    }
}

}  // namespace
}  // namespace lorvex::testkit
