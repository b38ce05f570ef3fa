#include "app/game/CommandLine.h"

#include <QCommandLineParser>

#include "platform/GameFolder.h"

#ifndef LORVEX_VERSION
#define LORVEX_VERSION "0"
#endif

namespace lorvex::game {
namespace {

// The options every toolkit program takes; those in the first list take a value.
const char* const kToolkitValueOptions[] = {
    "platform",     "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "qwindowicon",
    "qwindowtitle", "geometry",           "title",         "name",   "display",         "session",
    "style",        "stylesheet",         "visual",        "im",     "inputstyle",      "qmljsdebugger"};
const char* const kToolkitFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

// The option's name when arg is one of the toolkit's ("-style", "--style=x"), else empty.
QString ToolkitOption(const QString& arg, bool* takesValue) {
    if (!arg.startsWith(QLatin1Char('-'))) return {};
    QString name = arg.mid(arg.startsWith(QLatin1String("--")) ? 2 : 1);
    const bool inlineValue = name.contains(QLatin1Char('='));
    name = name.section(QLatin1Char('='), 0, 0);
    for (const char* o : kToolkitValueOptions)
        if (name == QLatin1String(o)) {
            *takesValue = !inlineValue;
            return name;
        }
    for (const char* o : kToolkitFlags)
        if (name == QLatin1String(o)) {
            *takesValue = false;
            return name;
        }
    return {};
}

}  // namespace

CommandLine ParseCommandLine(const QStringList& arguments) {
    QStringList own;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        bool takesValue = false;
        if (i > 0 && !ToolkitOption(arguments[i], &takesValue).isEmpty()) {
            if (takesValue) ++i;
            continue;
        }
        if (arguments[i] == QLatin1String("--")) {  // the rest are folders, whatever they look like
            own += arguments.mid(i);
            break;
        }
        own += arguments[i];
    }

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help"), QStringLiteral("?")}, {});
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, {});
    const QCommandLineOption config(QStringLiteral("config"), {}, QStringLiteral("NAME.cfg"));
    const QCommandLineOption compare(QStringLiteral("compare"), {}, QStringLiteral("OTHER_GAME"));
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(config);
    parser.addOption(compare);

    CommandLine result;
    if (!parser.parse(own.isEmpty() ? QStringList{QStringLiteral("lorvex")} : own)) {
        result.error = parser.errorText();
        return result;
    }
    result.help = parser.isSet(help);
    result.version = parser.isSet(version);
    if (result.help || result.version) return result;

    const QStringList folders = parser.positionalArguments();
    if (folders.size() > 1) {
        result.error = QStringLiteral("one game folder at most, not %1").arg(folders.size());
        return result;
    }
    if (!folders.isEmpty()) {
        result.gameFolder = folders.front();
        if (result.gameFolder.isEmpty()) result.error = QStringLiteral("the game folder is an empty name");
    }
    if (parser.isSet(config)) {
        result.config = parser.value(config);
        if (!platform::IsConfigurationName(result.config.toStdString()))
            result.error = QStringLiteral("--config takes the bare name of a .cfg file, without a folder or \"..\": ") +
                           result.config;
    }
    if (parser.isSet(compare)) {
        result.compareWith = parser.value(compare);
        if (result.compareWith.isEmpty()) result.error = QStringLiteral("--compare needs the other game's folder");
    }
    return result;
}

QString HelpText() {
    return QStringLiteral(
        "Usage: lorvex [--config NAME.cfg] [GAME_FOLDER]\n"
        "Shows a game's unit and weapon records as one sortable table.\n"
        "\n"
        "  GAME_FOLDER        the game's folder: one that holds rev31.gp3 or any *.ccx,\n"
        "                     *.ufo or *.hpi archive. Lorvex works in GAME_FOLDER/Lorvex,\n"
        "                     or in a folder of its own under ~/.local/share/Lorvex when\n"
        "                     the game's folder cannot be written.\n"
        "  --config NAME.cfg  the first load uses this configuration instead of asking\n"
        "  --compare OTHER_GAME\n"
        "                     once the first load is in, load the same configuration\n"
        "                     from OTHER_GAME too (read only) and show what changed\n"
        "  -h, --help         show this help and exit\n"
        "  -v, --version      show the version and exit\n"
        "\n"
        "Without GAME_FOLDER, Lorvex works in the current folder and reads the archives\n"
        "from its parent; when neither holds anything to work with, it asks for a game.\n");
}

QString VersionText() { return QStringLiteral("lorvex " LORVEX_VERSION "\n"); }

}  // namespace lorvex::game
