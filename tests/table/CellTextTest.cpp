// What the view draws in a cell, without a view: the text and its alignment
// from the game's code page, and the tints, tips and looks the overlays give.
#include <gtest/gtest.h>

#include <string_view>
#include <utility>
#include <vector>

#include "table/widget/CellText.h"
#include "table/widget/CellTints.h"

namespace lorvex {
namespace {
// Overlays are asked before the base, the one added last first; one that declines passes the cell on.
TEST(CellTints, TheLatestOverlayThatAnswersWins) {
    struct Fixed : CellTint {
        Fixed(QColor c, const char* t, bool a) : colour(c), tip(t), answers(a) {}
        bool TintFor(int, int, QColor* out) override {
            if (answers) *out = colour;
            return answers;
        }
        QString TipFor(int, int) override { return answers ? tip : QString(); }
        bool LookFor(int, int, CellLook* look) override {
            if (answers) look->shown = tip;
            return answers;
        }
        QColor colour;
        QString tip;
        bool answers;
    };
    Fixed base(Qt::red, "base", true), early(Qt::green, "early", true), late(Qt::blue, "late", true),
        silent(Qt::black, "silent", false);
    const struct {
        const char* why;
        std::vector<CellTint*> overlays;
        const Fixed* wins;
    } cases[] = {
        {"the base alone", {}, &base},
        {"an overlay over the base", {&early}, &early},
        {"the overlay added last", {&early, &late}, &late},
        {"one that declines passes the cell on", {&early, &silent}, &early},
        {"down to the base", {&silent}, &base},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        CellTints tints;
        tints.SetBase(&base);
        for (CellTint* o : c.overlays) tints.AddOverlay(o);
        QColor colour;
        ASSERT_TRUE(tints.Tint(1, 2, &colour));
        EXPECT_EQ(colour, c.wins->colour);
        EXPECT_EQ(tints.Tip(1, 2), c.wins->tip);
        EXPECT_EQ(tints.Look(1, 2).shown, c.wins->tip);
    }
}

TEST(CellText, AlignmentsAsQtDrawsThem) {
    const std::pair<Align, Qt::Alignment> cases[] = {
        {Align::Left, Qt::AlignLeft}, {Align::Right, Qt::AlignRight}, {Align::Center, Qt::AlignHCenter}};
    for (const auto& [align, qt] : cases) EXPECT_EQ(QtAlignment(align), qt) << static_cast<int>(align);
}

TEST(CellText, Windows1252) {
    EXPECT_EQ(DecodeCellText("a&b"), QString("a&b"));
    EXPECT_EQ(DecodeCellText("\x80\xe9\x9f"), QString::fromUtf16(u"\u20ac\u00e9\u0178"));
    EXPECT_EQ(DecodeCellText(std::string_view("\0x", 2)).size(), 2);
}

}  // namespace
}  // namespace lorvex
