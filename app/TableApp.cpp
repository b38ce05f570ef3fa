// The program: reads the command line (before any window, so that --help and
// --version need no display), opens the game it names or asks for one when
// there is nothing to work with, runs the main window modally, and ends when
// it closes. What it remembers between runs is kept by the game shell.
#include <QApplication>
#include <QMessageBox>
#include <QSettings>
#include <QStandardPaths>
#include <cstdio>

#include "app/MainDialog.h"
#include "app/game/CommandLine.h"
#include "app/game/GameShell.h"

namespace lorvex {

class TableApp {
public:
    explicit TableApp(const game::CommandLine& line) : commandLine(line) {}

    // Runs the main window; false, so that no message loop of its own follows.
    bool InitInstance() {
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Lorvex"),
                           QStringLiteral("Lorvex"));
        MainDialog dialog;
        const auto tell = [&dialog](const QString& message) {
            std::fprintf(stderr, "lorvex: %s\n", message.toLocal8Bit().constData());
            QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), message, QMessageBox::Ok,
                            dialog.isVisible() ? &dialog : nullptr);
            box.exec();
        };
        game::GameShell shell(dialog, settings, tell,
                              QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation),
                              game::SampleConfigurationFolder());
        shell.SetFirstConfiguration(commandLine.config);
        if (!shell.Start(commandLine.gameFolder)) return false;
        shell.RestoreGeometry();
        dialog.exec();
        shell.SaveGeometry();
        return false;
    }

private:
    game::CommandLine commandLine;
};

}  // namespace lorvex

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments += QString::fromLocal8Bit(argv[i]);
    const lorvex::game::CommandLine line = lorvex::game::ParseCommandLine(arguments);
    if (line.help || line.version) {
        const QByteArray text = (line.help ? lorvex::game::HelpText() : lorvex::game::VersionText()).toLocal8Bit();
        std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    if (!line.error.isEmpty()) {
        std::fprintf(stderr, "lorvex: %s\nTry 'lorvex --help'.\n", line.error.toLocal8Bit().constData());
        return 2;
    }

    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Lorvex"));
    QApplication::setApplicationName(QStringLiteral("Lorvex"));
    QApplication::setApplicationVersion(QStringLiteral(LORVEX_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("io.lorvex.Lorvex"));
    lorvex::TableApp tableApp(line);
    tableApp.InitInstance();
    return 0;
}
