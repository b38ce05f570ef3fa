#include "export/tool/ExportOptions.h"

#include <iostream>
#include <string_view>

#include "platform/GameFolder.h"

namespace lorvex::exporttool {
namespace {

constexpr const char* kUsageText =
    "usage: lorvex-export [OPTIONS] CONFIG.cfg [OUTPUT]\n"
    "  Loads the game's archives from the parent of the current folder with the\n"
    "  named configuration and writes the table to OUTPUT, or to standard output.\n"
    "\n"
    "  -C FOLDER               the current folder to work in\n"
    "  --game FOLDER           the game's folder, worked in as the window does when\n"
    "                          given it: FOLDER/Lorvex (or a folder of the game's own\n"
    "                          under ~/.local/share/Lorvex/Lorvex), with the\n"
    "                          sample configurations when it holds none\n"
    "  -v                      name each archive and record file on standard error\n"
    "  --format FORMAT         tsv (the default: tab-delimited, CR LF line ends),\n"
    "                          csv, markdown or html\n"
    "  --columns LIST          only these columns, in this order: headings separated\n"
    "                          by commas, any case (\"Name,Metal,Line #\")\n"
    "  --sort HEADING[:desc]   sort as a click on the heading does (:desc as two clicks)\n"
    "  --filter EXPR           only the rows the filter holds for, in the filter line's\n"
    "                          language (\"Metal > 100\", \"Side = CINDER flak\")\n"
    "  -o FILE                 write FILE (a relative name is taken from the folder\n"
    "                          the command started in), replacing it only once it is\n"
    "                          written whole (a device or pipe is written, never\n"
    "                          replaced)\n"
    "  --csv-formulas          keep CSV cells that start with = + - @ as they are\n"
    "                          (by default such a cell that is no number gets a ')\n"
    "  --compare OTHER_GAME    load the configuration from OTHER_GAME's folder too\n"
    "                          (read only: it works under ~/.local/share/Lorvex)\n"
    "                          and write what changed from it to this game: with\n"
    "                          --format changelog (Markdown), diff (the tabular\n"
    "                          highlighter diff, CSV), or any format above, the\n"
    "                          table with a Change column first\n"
    "  --match COLUMN          with --compare: rows are the same record when this\n"
    "                          column's texts agree (default: record file and block)\n"
    "  --help, --version\n"
    "\n"
    "  Exit status: 0 written, 1 a load or write error, 2 bad arguments.\n";

int Usage() {
    std::cout << kUsageText;
    return std::cout.flush() ? kOk : kFailed;
}

}  // namespace

int BadArguments(const std::string& why) {
    std::cerr << "lorvex-export: " << why << "\n(lorvex-export --help shows the options)\n";
    return kUsage;
}

std::string Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

// Every option takes its value as the next argument or after "=".
int ParseArguments(int argc, char** argv, Options& o, bool& done) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i], value;
        bool hasValue = false;
        if (arg.rfind("--", 0) == 0 && arg.find('=') != std::string::npos) {
            value = arg.substr(arg.find('=') + 1);
            arg.resize(arg.find('='));
            hasValue = true;
        }
        const auto take = [&](std::string& into) {
            if (!hasValue) {
                if (i + 1 >= argc) return false;
                value = argv[++i];
            }
            into = value;
            return true;
        };
        std::string formatName, output;
        if (arg == "--help" || arg == "-h") {
            done = true;
            return Usage();
        } else if (arg == "--version") {
            done = true;
            std::cout << "lorvex-export " << LORVEX_VERSION << '\n';
            return kOk;
        } else if (arg == "-v") {
            o.verbose = true;
        } else if (arg == "--csv-formulas") {
            o.csvFormulas = true;
        } else if (arg == "--filter") {
            if (!take(o.filter)) return BadArguments(arg + " needs a value");
            o.filtered = true;
        } else if (arg == "--compare") {
            if (!take(o.compare) || o.compare.empty()) return BadArguments(arg + " needs a folder");
        } else if (arg == "--match") {
            if (!take(o.match) || Trimmed(o.match).empty()) return BadArguments(arg + " needs a column heading");
            o.match = Trimmed(o.match);
        } else if (arg == "--game") {
            if (!take(o.game) || o.game.empty()) return BadArguments(arg + " needs a folder");
        } else if (arg == "-C" || arg == "-o" || arg == "--format" || arg == "--columns" || arg == "--sort") {
            std::string& into = arg == "-C"          ? o.folder
                                : arg == "-o"        ? output
                                : arg == "--columns" ? o.columns
                                : arg == "--sort"    ? o.sort
                                                     : formatName;
            if (!take(into)) return BadArguments(arg + " needs a value");
            if (arg == "--format" && (formatName == "changelog" || formatName == "diff")) {
                o.compareFormat = formatName;
                o.format.reset();
            } else if (arg == "--format") {
                o.compareFormat.clear();
                o.format = lorvex::FormatFromName(formatName);
                if (!o.format)
                    return BadArguments("unknown format \"" + formatName + "\" (tsv, csv, markdown or html)");
            }
            if (arg == "-o") {
                if (output.empty()) return BadArguments("-o needs a file name");
                if (!o.output.empty()) return BadArguments("one output only: " + output);
                o.output = output;
            }
        } else if (!arg.empty() && arg[0] == '-') {
            return BadArguments("unknown option " + arg);
        } else if (o.config.empty()) {
            o.config = arg;
        } else if (o.output.empty()) {
            o.output = arg;
        } else {
            return BadArguments("one output only: " + arg);
        }
    }
    if (o.config.empty()) return BadArguments("no configuration named");
    // One rule with the window's --config: a configuration is a file of the work folder.
    if (!lorvex::platform::IsConfigurationName(o.config))
        return BadArguments("the configuration is named by its bare file name, without a folder or \"..\" (" +
                            o.config + "); -C FOLDER or --game FOLDER chooses the folder");
    if (!o.game.empty() && !o.folder.empty()) return BadArguments("--game and -C both name the folder to work in");
    if (o.compare.empty() && !o.compareFormat.empty())
        return BadArguments("--format " + o.compareFormat + " needs --compare OTHER_GAME");
    if (o.compare.empty() && !o.match.empty()) return BadArguments("--match needs --compare OTHER_GAME");
    return kOk;
}

}  // namespace lorvex::exporttool
