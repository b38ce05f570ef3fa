#include "table/HeaderDragTracker.h"

namespace lorvex {

bool HeaderDragTracker::EnableDrag(bool enable) {
    const bool previous = dragEnabled_;
    dragEnabled_ = enable;
    return previous;
}

void HeaderDragTracker::Press(bool onHeading, int column) {
    if (!dragEnabled_ || dragging_) return;
    if (onHeading && column >= 0) {
        pressPending_ = true;
        dragColumn_ = column;
    } else {
        // A press on a divider or on empty header space starts no column drag;
        // an earlier press whose release left it armed must not turn the
        // divider drag that follows into a column move.
        pressPending_ = false;
    }
}

int HeaderDragTracker::GapAt(int x, const std::vector<int>& widths, int* markerX) {
    int left = 0;
    if (x > 0) {
        for (std::size_t g = 0; g < widths.size(); ++g) {
            const int right = left + widths[g];
            if (right > x) {
                if (markerX) *markerX = left;
                return static_cast<int>(g);
            }
            left = right;
        }
        if (markerX) *markerX = left;
        return static_cast<int>(widths.size());
    }
    if (markerX) *markerX = 0;
    return 0;
}

MarkerTriangle HeaderDragTracker::TriangleAt(int markerX, int headerHeight) {
    const int q = headerHeight / 4, h = headerHeight / 2;
    return {{markerX, headerHeight}, {markerX - q, h}, {markerX + q, h}};
}

MarkerRect HeaderDragTracker::MarkerRectAt(int markerX, int headerHeight) {
    const int q = headerHeight / 4, h = headerHeight / 2;
    return {markerX - q - 1, headerHeight - h - 1, markerX + q + 1, headerHeight + 1};
}

HeaderDragTracker::MoveResult HeaderDragTracker::Move(int x, bool leftButtonDown, const std::vector<int>& widths,
                                                      int headerHeight) {
    MoveResult result;
    if (!dragEnabled_) return result;
    if (!leftButtonDown) {
        result.dragEnded = dragging_;
        pressPending_ = false;
        dragging_ = false;
        widthSnapshot_.clear();
        widthSnapshot_.shrink_to_fit();
        return result;
    }
    if (!dragging_) {
        if (!pressPending_) return result;
        pressPending_ = false;
        dragging_ = true;
        dropIndex_ = dragColumn_;
        widthSnapshot_ = widths;
        result.dragStarted = true;
    }
    result.passOn = false;

    int markerX = 0;
    const int gap = GapAt(x, widthSnapshot_, &markerX);
    if (gap == dropIndex_) return result;
    dropIndex_ = gap;
    markerX_ = markerX;
    result.markerMoved = true;
    result.oldMarker = markerRect_;
    markerRect_ = MarkerRectAt(markerX, headerHeight);
    result.newMarker = markerRect_;
    return result;
}

HeaderDragTracker::ReleaseResult HeaderDragTracker::Release() {
    ReleaseResult result;
    if (!dragEnabled_ || !dragging_) return result;
    widthSnapshot_.clear();
    widthSnapshot_.shrink_to_fit();
    dragging_ = false;
    result.dragEnded = true;
    if (dropIndex_ != dragColumn_ && dropIndex_ != dragColumn_ + 1) {
        result.moved = true;
        if (moveHandler_) moveHandler_(dragColumn_, dropIndex_);
    }
    return result;
}

}  // namespace lorvex
