#include "app/QtMessageSink.h"

#include <QApplication>
#include <QMessageBox>

#include "ui/DialogText.h"

namespace lorvex {

void QtMessageSink::ShowMessage(std::string_view text) {
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), BytesToBoxText(text), QMessageBox::Ok,
                    owner_);
    box.exec();
}

}  // namespace lorvex
