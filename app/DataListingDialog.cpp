#include "app/DataListingDialog.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextCursor>

#include "ui/DialogText.h"
#include "ui/DialogUnits.h"
#include "load/LoadRun.h"
#include "load/RecordListing.h"

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

void DataListingDialog::ShowListing(std::string_view path, std::int32_t line) {
    sourcePath = std::string(path);
    lineNumber = line;
    Fill();
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
