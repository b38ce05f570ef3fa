// The program: one application object that runs the main window modally and
// ends when it closes. No arguments, no settings kept between runs.
#include <QApplication>

#include "app/MainDialog.h"

namespace lorvex {

class TableApp {
public:
    // Runs the main window; false, so that no message loop of its own follows.
    bool InitInstance() {
        MainDialog dialog;
        dialog.exec();
        return false;
    }
};

}  // namespace lorvex

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Lorvex"));
    QApplication::setApplicationName(QStringLiteral("Lorvex"));
    QApplication::setDesktopFileName(QStringLiteral("lorvex"));
    lorvex::TableApp tableApp;
    tableApp.InitInstance();
    return 0;
}
