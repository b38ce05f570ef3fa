#include "app/DataListingDialog.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <cmath>

#include "load/LoadRun.h"
#include "load/RecordListing.h"
#include "ui/DialogText.h"
#include "ui/DialogUnits.h"

namespace lorvex {

DataListingDialog::DataListingDialog(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                         Qt::WindowCloseButtonHint) {
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowTitle(QStringLiteral("Data Listing"));
    const DialogUnits du;
    resize(du.X(166), du.Y(215));
    listingEdit = new QPlainTextEdit(this);
    listingEdit->setObjectName(QStringLiteral("listingEdit"));
    listingEdit->setReadOnly(true);
    listingEdit->setLineWrapMode(QPlainTextEdit::NoWrap);
    listingEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Record files indent with tabs; an edit box of the game's tools stops
    // them every 32 dialog units, eight average characters.
    listingEdit->setTabStopDistance(du.X(32));
    listingEdit->setGeometry(rect());
}

namespace {

bool fixedWidthFont = false;
// The listing opened last, for the offset of the next one.
QPointer<DataListingDialog> lastOpened;
constexpr int kCascadeStep = 28;

}  // namespace

void DataListingDialog::SetFixedWidthFont(bool on) { fixedWidthFont = on; }
bool DataListingDialog::FixedWidthFont() { return fixedWidthFont; }

void DataListingDialog::UpdateFont() {
    listingEdit->setFont(fixedWidthFont ? QFontDatabase::systemFont(QFontDatabase::FixedFont) : font());
    const DialogUnits du;
    listingEdit->setTabStopDistance(
        fixedWidthFont ? 8 * QFontMetricsF(listingEdit->font()).horizontalAdvance(QLatin1Char(' ')) : du.X(32));
}

QSize DataListingDialog::SizeForText() const {
    const QFontMetrics metrics(listingEdit->font());
    const qreal tab = listingEdit->tabStopDistance();
    int widest = 0, lines = 0;
    for (const QString& line : listingEdit->toPlainText().split(QLatin1Char('\n'))) {
        qreal x = 0;
        for (QChar c : line)
            x = c == QLatin1Char('\t') ? (std::floor(x / tab) + 1) * tab : x + metrics.horizontalAdvance(c);
        widest = std::max(widest, static_cast<int>(std::ceil(x)));
        ++lines;
    }
    const int frame =
        2 * listingEdit->frameWidth() + 2 * static_cast<int>(listingEdit->document()->documentMargin()) + 8;
    const int scroll = listingEdit->verticalScrollBar()->sizeHint().width();
    QSize wanted(widest + frame + scroll, lines * metrics.lineSpacing() + frame);
    const DialogUnits du;
    wanted = wanted.expandedTo(QSize(du.X(166), du.Y(215)));
    if (const QScreen* s = screen()) wanted = wanted.boundedTo(s->availableGeometry().size() * 2 / 3);
    return wanted;
}

void DataListingDialog::PlaceAfterPrevious() {
    if (lastOpened && lastOpened != this && lastOpened->isVisible()) {
        QPoint at = lastOpened->pos() + QPoint(kCascadeStep, kCascadeStep);
        if (const QScreen* s = screen()) {
            const QRect room = s->availableGeometry();
            // Start again at the top left when the next step would leave the screen.
            if (at.x() + width() > room.right() || at.y() + height() > room.bottom())
                at = room.topLeft() + QPoint(kCascadeStep, kCascadeStep);
        }
        move(at);
    }
    lastOpened = this;
}

void DataListingDialog::ShowListing(std::string_view path, std::int32_t line) {
    sourcePath = std::string(path);
    lineNumber = line;
    UpdateFont();
    Fill();
    if (loaded) resize(SizeForText());
    PlaceAfterPrevious();
    showNormal();
}

void DataListingDialog::Fill() {
    const RecordListing listing = ReadRecordListing(sourcePath, lineNumber);
    if (!listing.opened) return;
    listingEdit->setPlainText(BytesToBoxText(listing.text));
    loaded = true;
    listingEdit->setGeometry(rect());
    std::string_view name = sourcePath;
    const std::string_view prefix = kScratchPrefix;
    if (name.substr(0, prefix.size()) == prefix) name.remove_prefix(prefix.size());
    setWindowTitle(QStringLiteral("Data Segment from ") + BytesToBoxText(name));
    // The beginning of the record in view, nothing selected.
    listingEdit->moveCursor(QTextCursor::Start);
    listingEdit->ensureCursorVisible();
}

void DataListingDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (loaded) listingEdit->setGeometry(rect());
}

void DataListingDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void DataListingDialog::done(int result) {
    QPointer<DataListingDialog> self(this);
    QDialog::done(result);
    if (self) self->deleteLater();
}

}  // namespace lorvex
