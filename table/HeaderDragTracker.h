#pragma once
// Dragging a heading to move its column, without any window: the header
// widget feeds it the press, the pointer moves and the release, and draws the
// marker where it says. A press on a heading arms it; the first move with the
// left button down starts the drag (no distance threshold); the release moves
// the column when the gap under the pointer is not at either side of it.
#include <functional>
#include <vector>

namespace lorvex {

struct MarkerRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const MarkerRect&) const = default;
};

struct MarkerPoint {
    int x = 0, y = 0;
    bool operator==(const MarkerPoint&) const = default;
};

// The down-pointing triangle at gap position X in a header of height H.
struct MarkerTriangle {
    MarkerPoint tip, left, right;
};

class HeaderDragTracker {
public:
    using MoveHandler = std::function<void(int from, int to)>;

    bool EnableDrag(bool enable);  // returns the previous setting
    bool DragEnabled() const { return dragEnabled_; }
    void SetMoveHandler(MoveHandler handler) { moveHandler_ = std::move(handler); }

    // A left press. onHeading: the hit test found heading `column` itself,
    // not a divider and not the empty space right of the last heading.
    void Press(bool onHeading, int column);

    struct MoveResult {
        bool passOn = true;        // the header's own handling may see this move
        bool dragStarted = false;  // this move started the drag (capture the mouse)
        bool dragEnded = false;    // a drag ended without a move (button no longer down)
        bool markerMoved = false;  // repaint oldMarker and newMarker
        MarkerRect oldMarker;
        MarkerRect newMarker;
    };
    // A pointer move at x (header coordinates) with the left button's state.
    // widths: every heading's width in header order, taken as the snapshot
    // when this move starts the drag; headerHeight: the header's height.
    MoveResult Move(int x, bool leftButtonDown, const std::vector<int>& widths, int headerHeight);

    struct ReleaseResult {
        bool dragEnded = false;  // a drag ended here: repaint the whole header, release the mouse
        bool moved = false;      // the move handler was called
    };
    ReleaseResult Release();

    bool Pressed() const { return pressPending_; }
    bool Dragging() const { return dragging_; }
    int DragColumn() const { return dragColumn_; }
    int DropIndex() const { return dropIndex_; }
    int MarkerX() const { return markerX_; }
    const MarkerRect& LastMarker() const { return markerRect_; }

    // The gap under x: the first column whose right edge lies right of x, or
    // the column count past the last one, 0 for x <= 0 or no columns.
    // *markerX receives the gap's x position.
    static int GapAt(int x, const std::vector<int>& widths, int* markerX);
    static MarkerTriangle TriangleAt(int markerX, int headerHeight);
    static MarkerRect MarkerRectAt(int markerX, int headerHeight);

private:
    bool dragEnabled_ = false;
    bool pressPending_ = false;
    bool dragging_ = false;
    std::vector<int> widthSnapshot_;
    int dragColumn_ = -1;
    int dropIndex_ = -1;
    int markerX_ = 0;
    MarkerRect markerRect_;
    MoveHandler moveHandler_;
};

}  // namespace lorvex
