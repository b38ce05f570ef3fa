#include "table/HeaderDragTracker.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace lorvex {
namespace {

TEST(HeaderDragTracker, GapAndMarker) {
    const std::vector<int> widths{50, 30, 0, 20};
    const int cases[][3] = {{-5, 0, 0},  {0, 0, 0},  {1, 0, 0},   {49, 0, 0},     {50, 1, 50},
                            {79, 1, 50}, {80, 3, 80}, {99, 3, 80}, {100, 4, 100}, {500, 4, 100}};  // x, gap, X
    for (const auto& c : cases) {
        int markerX = -1;
        EXPECT_EQ(HeaderDragTracker::GapAt(c[0], widths, &markerX), c[1]) << c[0];
        EXPECT_EQ(markerX, c[2]) << c[0];
    }
    int markerX = -1;
    EXPECT_EQ(HeaderDragTracker::GapAt(10, {}, &markerX) + markerX, 0);

    EXPECT_EQ(HeaderDragTracker::MarkerRectAt(100, 20), (MarkerRect{94, 9, 106, 21}));
    EXPECT_EQ(HeaderDragTracker::MarkerRectAt(100, 23), (MarkerRect{94, 11, 106, 24}));
    EXPECT_EQ(HeaderDragTracker::MarkerRectAt(0, 3), (MarkerRect{-1, 1, 1, 4}));
    const MarkerTriangle t = HeaderDragTracker::TriangleAt(100, 23);
    EXPECT_EQ(t.tip, (MarkerPoint{100, 23}));
    EXPECT_EQ(t.left, (MarkerPoint{95, 11}));
    EXPECT_EQ(t.right, (MarkerPoint{105, 11}));
}

struct Recorder {
    std::vector<std::pair<int, int>> moves;
    void Attach(HeaderDragTracker& t) {
        t.SetMoveHandler([this](int from, int to) { moves.emplace_back(from, to); });
    }
};

TEST(HeaderDragTracker, DragStates) {
    const std::vector<int> widths{40, 40, 40, 40};
    HeaderDragTracker t;
    Recorder rec;
    rec.Attach(t);

    // Switched off: everything passes on and nothing changes.
    t.Press(true, 1);
    EXPECT_FALSE(t.Pressed());
    EXPECT_TRUE(t.Move(130, true, widths, 20).passOn);
    EXPECT_FALSE(t.Release().dragEnded);

    t.EnableDrag(true);
    EXPECT_TRUE(t.Move(10, true, widths, 20).passOn);  // idle: a move goes on
    t.Press(true, 1);
    EXPECT_TRUE(t.Pressed());
    EXPECT_FALSE(t.Release().dragEnded);  // a release without a drag
    EXPECT_TRUE(t.Pressed());             // leaves the press armed
    t.Press(true, 2);
    EXPECT_EQ(t.DragColumn(), 2);

    // The first move starts the drag; the marker moves only when the gap changes.
    auto m = t.Move(85, true, widths, 20);
    EXPECT_TRUE(m.dragStarted);
    EXPECT_FALSE(m.passOn);
    EXPECT_FALSE(m.markerMoved);
    EXPECT_EQ(t.DropIndex(), 2);
    // The snapshot holds: later widths are not looked at.
    m = t.Move(-20, true, {500, 500}, 20);
    EXPECT_TRUE(m.markerMoved);
    EXPECT_EQ(t.DropIndex(), 0);
    EXPECT_EQ(m.newMarker, HeaderDragTracker::MarkerRectAt(0, 20));
    m = t.Move(300, true, {}, 20);
    EXPECT_EQ(t.DropIndex(), 4);
    EXPECT_EQ(m.oldMarker, HeaderDragTracker::MarkerRectAt(0, 20));
    EXPECT_EQ(m.newMarker, HeaderDragTracker::MarkerRectAt(160, 20));
    EXPECT_FALSE(t.Move(301, true, {}, 20).markerMoved);
    const auto r = t.Release();
    EXPECT_TRUE(r.dragEnded && r.moved);
    EXPECT_FALSE(t.Dragging());
    EXPECT_EQ(rec.moves, (std::vector<std::pair<int, int>>{{2, 4}}));
}

TEST(HeaderDragTracker, ReleaseGapRule) {
    const std::vector<int> widths{40, 40, 40, 40};
    // Drag column 1 and release over the x given: gaps 1 and 2 move nothing.
    struct {
        int x;
        bool moved;
        int to;
    } cases[] = {{-3, true, 0}, {20, true, 0}, {45, false, 1}, {100, false, 2}, {125, true, 3}, {999, true, 4}};
    for (const auto& c : cases) {
        HeaderDragTracker t;
        Recorder rec;
        rec.Attach(t);
        t.EnableDrag(true);
        t.Press(true, 1);
        t.Move(60, true, widths, 20);
        t.Move(c.x, true, widths, 20);
        const auto r = t.Release();
        EXPECT_TRUE(r.dragEnded);
        EXPECT_EQ(r.moved, c.moved) << c.x;
        const std::vector<std::pair<int, int>> expected =
            c.moved ? std::vector<std::pair<int, int>>{{1, c.to}} : std::vector<std::pair<int, int>>{};
        EXPECT_EQ(rec.moves, expected) << c.x;
    }
}

TEST(HeaderDragTracker, AbortAndStalePress) {
    const std::vector<int> widths{40, 40, 40};
    HeaderDragTracker t;
    Recorder rec;
    rec.Attach(t);
    t.EnableDrag(true);
    // A move without the button ends the drag without a move.
    t.Press(true, 0);
    t.Move(100, true, widths, 20);
    EXPECT_TRUE(t.Move(100, false, widths, 20).dragEnded);
    EXPECT_FALSE(t.Dragging() || t.Pressed());
    EXPECT_FALSE(t.Release().moved);
    // A press on a divider after an armed press starts no column drag.
    t.Press(true, 0);
    t.Release();
    t.Press(false, -1);
    EXPECT_TRUE(t.Move(100, true, widths, 20).passOn);
    EXPECT_FALSE(t.Dragging());
    EXPECT_FALSE(t.Release().moved);
    EXPECT_TRUE(rec.moves.empty());
}

}  // namespace
}  // namespace lorvex
