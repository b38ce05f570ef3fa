#include "app/filter/NoMatchNotice.h"

#include <QAbstractScrollArea>
#include <QEvent>

#include "app/filter/FilterBar.h"

namespace lorvex {

NoMatchNotice::NoMatchNotice(FilterBar& bar, TableData& table, QAbstractScrollArea& view)
    : QLabel(view.viewport()), bar_(&bar), table_(table) {
    setObjectName(QStringLiteral("noMatchNotice"));
    setTextFormat(Qt::PlainText);
    setText(QString::fromLatin1(kText));
    setAlignment(Qt::AlignCenter);
    setWordWrap(true);
    // A hint, not a row: drawn like a line's placeholder, clicks go to the table.
    setForegroundRole(QPalette::PlaceholderText);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGeometry(view.viewport()->rect());
    view.viewport()->installEventFilter(this);
    table_.AddObserver(this);
    connect(&bar, &FilterBar::filterChanged, this, [this] { Follow(); });
    hide();  // a child is shown with its parent unless told otherwise
    Follow();
}

NoMatchNotice::~NoMatchNotice() { table_.RemoveObserver(this); }

void NoMatchNotice::Follow() {
    // Rows removed while filtered can empty the view as well as the filter can.
    const bool empty = bar_ && bar_->Active() && !bar_->isHidden() && table_.ShownCount() == 0;
    if (empty == isHidden()) setVisible(empty);
}

bool NoMatchNotice::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parent() && event->type() == QEvent::Resize) setGeometry(parentWidget()->rect());
    return QLabel::eventFilter(watched, event);
}

}  // namespace lorvex
