#include "app/ProgressRepaint.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QWidget>

namespace lorvex {
namespace {

// While the load lets paints through, a window closed from its frame stays open:
// closing it mid-load would end the program under the running load.
class HoldCloses : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override { return event->type() == QEvent::Close; }
};

}  // namespace

void ProgressRepaint::Changed() {
    if (pace_.Changed(RepaintPace::Clock::now())) Paint();
}

void ProgressRepaint::Flush() {
    if (pace_.Flush(RepaintPace::Clock::now())) Paint();
}

void ProgressRepaint::Paint() {
    if (!first_ || !second_) return;
    first_->repaint();
    second_->repaint();
    // Expose and resize events; keyboard and mouse wait until the load is over.
    HoldCloses hold;
    QCoreApplication::instance()->installEventFilter(&hold);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    QCoreApplication::instance()->removeEventFilter(&hold);
}

}  // namespace lorvex
