#include "app/filter/FilterBar.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include "ui/DialogText.h"

namespace lorvex {

FilterBar::FilterBar(TableData& table, QWidget* parent) : QWidget(parent), table_(table) {
    setObjectName(QStringLiteral("filterBar"));
    line = new QLineEdit(this);
    line->setObjectName(QStringLiteral("filterLine"));
    line->setPlaceholderText(QStringLiteral("Filter: words, or Heading = < <= > >= != ~ value; \"quote\" blanks"));
    line->setClearButtonEnabled(true);
    line->installEventFilter(this);
    errorLabel = new QLabel(this);
    errorLabel->setObjectName(QStringLiteral("filterError"));
    errorLabel->setTextFormat(Qt::PlainText);
    errorLabel->setForegroundRole(QPalette::Highlight);
    errorLabel->hide();
    hide();
    connect(line, &QLineEdit::textChanged, this, [this] { Apply(); });
}

void FilterBar::Open() {
    const bool wasHidden = isHidden();
    show();
    line->setFocus();
    line->selectAll();
    if (wasHidden) emit heightChanged();
}

void FilterBar::Close() {
    const bool wasVisible = !isHidden();
    line->clear();  // applies the empty filter: every row shown
    hide();
    if (wasVisible) emit heightChanged();
}

void FilterBar::Apply() {
    const FilterParse parse = RowFilter::Parse(BoxTextToBytes(line->text()), table_);
    const bool hadError = !errorLabel->isHidden();
    if (parse.Ok()) {
        ApplyFilter(table_, parse.filter);
        errorLabel->hide();
    } else {
        table_.ShowAllRows();  // nothing hidden while the filter cannot be read
        errorLabel->setText(BytesToBoxText(parse.error));
        errorLabel->show();
    }
    active_ = parse.Ok() && !parse.filter.Empty();
    emit filterChanged();
    if (hadError != !errorLabel->isHidden()) emit heightChanged();
}

int FilterBar::Place(int x, int y, int width) {
    if (isHidden()) return 0;
    const int lineHeight = line->sizeHint().height();
    const int errorHeight = errorLabel->isHidden() ? 0 : errorLabel->sizeHint().height();
    setGeometry(x, y, width, lineHeight + errorHeight);
    line->setGeometry(0, 0, width, lineHeight);
    errorLabel->setGeometry(4, lineHeight, std::max(0, width - 8), errorHeight);
    return lineHeight + errorHeight;
}

bool FilterBar::eventFilter(QObject* watched, QEvent* event) {
    // Escape belongs to the line here: it must not reach the window, whose
    // Escape ends the program.
    if (watched == line && (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        if (event->type() == QEvent::KeyPress) Close();
        event->accept();
        return event->type() == QEvent::KeyPress;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace lorvex
