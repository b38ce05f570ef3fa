#include "app/skipped/SkippedNotice.h"

#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "ui/DialogText.h"

namespace lorvex {

SkippedNotice::SkippedNotice(QLabel* statusText) : QToolButton(statusText->parentWidget()), statusText_(statusText) {
    setObjectName(QStringLiteral("skippedNotice"));
    setAutoRaise(true);
    setToolButtonStyle(Qt::ToolButtonTextOnly);
    setCursor(Qt::PointingHandCursor);
    setToolTip(QStringLiteral("Show the record files this load left out, and why"));
    hide();
    connect(this, &QToolButton::clicked, this, [this] { OpenList(); });
}

void SkippedNotice::Show(const LoadReport& report) {
    list_.clear();
    for (const SkippedRecord& skipped : report.skipped) {
        list_ += BytesToBoxText(SkippedLine(skipped));
        list_ += QLatin1Char('\n');
    }
    const std::string summary = SkippedSummary(report);
    setText(QString::fromLatin1(summary.data(), static_cast<qsizetype>(summary.size())));
    setVisible(!summary.empty());
    Place();
}

int SkippedNotice::ReservedWidth() const {
    return isVisible() ? width() + fontMetrics().horizontalAdvance(QStringLiteral("   ")) : 0;
}

void SkippedNotice::Place() {
    adjustSize();
    const int right = parentWidget()->width() - statusText_->x();
    move(std::max(0, right - width()), statusText_->y() + (statusText_->height() - height()) / 2);
    raise();
}

QDialog* SkippedNotice::OpenList() {
    auto* dialog = new QDialog(window());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(text());
    auto* layout = new QVBoxLayout(dialog);
    // A QPlainTextEdit never reads its text as markup: names come from archives.
    auto* list = new QPlainTextEdit(dialog);
    list->setObjectName(QStringLiteral("skippedList"));
    list->setReadOnly(true);
    list->setLineWrapMode(QPlainTextEdit::NoWrap);
    list->setPlainText(list_);
    layout->addWidget(list);
    dialog->resize(640, 320);
    dialog->show();
    return dialog;
}

}  // namespace lorvex
