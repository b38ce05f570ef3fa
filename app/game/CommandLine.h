#pragma once
// lorvex [--config NAME.cfg] [--compare OTHER_GAME] [GAME_FOLDER], --help and --version. Read before
// any window exists, so that --help and --version work without a display.
#include <QString>
#include <QStringList>

namespace lorvex::game {

struct CommandLine {
    QString gameFolder;  // empty: work in the current folder, as always
    QString config;      // empty: ask with the chooser
    QString compareWith;  // empty: no comparison; else the other game compared once the first load is in
    bool help = false;
    bool version = false;
    QString error;  // set when the arguments cannot be used
};

// arguments[0] is the program. The toolkit's own options (-platform NAME,
// -style NAME, ...) are passed over: the application object takes them.
CommandLine ParseCommandLine(const QStringList& arguments);

QString HelpText();
QString VersionText();

}  // namespace lorvex::game
