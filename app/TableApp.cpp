// The program: reads the command line (before any window, so that --help and
// --version need no display), opens the game it names or asks for one when
// there is nothing to work with, runs the main window modally, and ends when
// it closes. What it remembers between runs is kept by the game shell.
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

#include "app/MainDialog.h"
#include "app/QtMessageSink.h"
#include "app/compare/CompareCommands.h"
#include "app/game/CommandLine.h"
#include "app/game/GameShell.h"
#include "platform/SettingsGuard.h"

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
            ShowPlainMessage(message, dialog.isVisible() ? &dialog : nullptr);
        };
        game::GameShell shell(dialog, settings, tell,
                              QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation),
                              game::SampleConfigurationFolder());
        shell.SetFirstConfiguration(commandLine.config);
        // Named from the folder the program started in, before the game's work folder is entered.
        if (!commandLine.compareWith.isEmpty())
            dialog.Comparison()->CompareWhenLoaded(QFileInfo(commandLine.compareWith).absoluteFilePath());
        if (!shell.Start(commandLine.gameFolder)) return false;
        shell.RestoreGeometry();
        dialog.exec();
        shell.SaveGeometry();
        return false;
    }

private:
    game::CommandLine commandLine;
};

// Looks at the files QSettings would read and lock for the user's settings
// before any QSettings exists. When one is unfit, the run keeps its settings
// in a folder of its own that goes with it (returned, to be kept alive), so
// nothing waits on or writes through what is there.
std::unique_ptr<QTemporaryDir> GuardSettings() {
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const QString organization = QApplication::organizationName();
    const QString own = config + QLatin1Char('/') + organization + QLatin1Char('/') + QApplication::applicationName();
    const QString shared = config + QLatin1Char('/') + organization;  // read too, for the whole organization
    for (const QString& base : {own, shared}) {
        for (const QString& file : {base + QStringLiteral(".conf"), base + QStringLiteral(".conf.lock")}) {
            const platform::SettingsFileCheck check =
                platform::CheckSettingsFile(QFile::encodeName(file).toStdString());
            if (check.usable) continue;
            auto fallback = std::make_unique<QTemporaryDir>();
            if (!fallback->isValid()) return fallback;
            std::fprintf(stderr, "lorvex: the settings file %s %s; this run neither reads nor keeps settings\n",
                         QFile::encodeName(file).constData(), check.problem.c_str());
            for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
                QSettings::setPath(format, QSettings::UserScope, fallback->path());
            return fallback;
        }
    }
    return nullptr;
}

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
    const std::unique_ptr<QTemporaryDir> fallbackSettings = lorvex::GuardSettings();
    if (fallbackSettings && !fallbackSettings->isValid()) {
        std::fprintf(stderr, "lorvex: no folder for this run's settings: %s\n",
                     fallbackSettings->errorString().toLocal8Bit().constData());
        return 1;
    }
    lorvex::TableApp tableApp(line);
    tableApp.InitInstance();
    return 0;
}
