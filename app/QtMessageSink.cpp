#include "app/QtMessageSink.h"

#include <QApplication>
#include <QMessageBox>

#include "ui/DialogText.h"

namespace lorvex {

void ShowPlainMessage(const QString& text, QWidget* owner) {
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), QString(), QMessageBox::Ok, owner);
    // Before the text: a box given markup lays it out (and loads its images) as soon as it gets it.
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.exec();
}

void QtMessageSink::ShowMessage(std::string_view text) { ShowPlainMessage(BytesToBoxText(text), owner_); }

}  // namespace lorvex
