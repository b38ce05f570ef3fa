// Runs one load without a display and writes the table (tab-delimited text by
// default, or CSV, Markdown or HTML; a chosen subset of columns, sorted and
// filtered), for scripts and for checking a configuration from a shell.
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "export/ExportWriter.h"
#include "load/LoadRun.h"
#include "platform/AsciiText.h"
#include "platform/FileSystem.h"
#include "platform/GameFolder.h"
#include "platform/PrintableText.h"
#include "platform/TextFile.h"
#include "platform/ToolMain.h"
#include "table/filter/RowFilter.h"

namespace {

namespace fs = std::filesystem;

// Names come from archives: a control character in one must not reach the terminal as itself.
std::string Printable(std::string_view text) { return lorvex::platform::EscapeControls(text); }

class QuietView : public lorvex::LoadView {
public:
    explicit QuietView(bool verbose) : verbose_(verbose) {}
    void SetProgressVisible(bool) override {}
    void SetArchiveLabel(std::string_view text) override {
        if (verbose_) std::cerr << Printable(text) << '\n';
    }
    void SetFileLabel(std::string_view text) override {
        if (verbose_) std::cerr << "  " << Printable(text) << '\n';
    }
    bool KeepWaiting(std::string_view text) override {
        if (!saidWaiting_) std::cerr << "lorvex-export: " << text << " (Ctrl+C cancels)" << std::endl;
        saidWaiting_ = true;
        return true;
    }

private:
    bool verbose_;
    bool saidWaiting_ = false;
};

class StderrMessages : public lorvex::platform::MessageSink {
public:
    void ShowMessage(std::string_view text) override { std::cerr << "lorvex-export: " << Printable(text) << '\n'; }
};

constexpr int kOk = 0;
constexpr int kFailed = 1;  // the load or the write failed
constexpr int kUsage = 2;   // the arguments are wrong

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
    "  --help, --version\n"
    "\n"
    "  Exit status: 0 written, 1 a load or write error, 2 bad arguments.\n";

int Usage() {
    std::cout << kUsageText;
    return std::cout.flush() ? kOk : kFailed;
}

int BadArguments(const std::string& why) {
    std::cerr << "lorvex-export: " << why << "\n(lorvex-export --help shows the options)\n";
    return kUsage;
}

std::string Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

std::string AvailableHeadings(const lorvex::TableListCtrl& table) {
    std::string list;
    for (int c = 0; c < table.GetColumnCount(); ++c) list += (c ? ", " : "") + table.GetColumnHeading(c);
    return list;
}

struct Options {
    std::string folder, game, config, output, columns, sort, filter;
    bool filtered = false;
    std::optional<lorvex::ExportFormat> format;
    bool verbose = false;
    bool csvFormulas = false;
};

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
        } else if (arg == "--game") {
            if (!take(o.game) || o.game.empty()) return BadArguments(arg + " needs a folder");
        } else if (arg == "-C" || arg == "-o" || arg == "--format" || arg == "--columns" || arg == "--sort") {
            std::string& into = arg == "-C"          ? o.folder
                                : arg == "-o"        ? output
                                : arg == "--columns" ? o.columns
                                : arg == "--sort"    ? o.sort
                                                     : formatName;
            if (!take(into)) return BadArguments(arg + " needs a value");
            if (arg == "--format") {
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
    return kOk;
}

// Turns --columns, --filter and --sort into the table's column numbers and
// shown rows; false (with a message) when a heading is not in the table or the
// filter cannot be read.
bool ApplyOptions(lorvex::TableListCtrl& table, const Options& o, lorvex::ExportSettings& settings) {
    const auto unknown = [&](const std::string& heading) {
        std::cerr << "lorvex-export: no column \"" << heading << "\"; the table has: " << AvailableHeadings(table)
                  << '\n';
        return false;
    };
    if (!o.columns.empty()) {
        std::size_t start = 0;
        while (start <= o.columns.size()) {
            std::size_t comma = o.columns.find(',', start);
            if (comma == std::string::npos) comma = o.columns.size();
            const std::string heading = Trimmed(std::string_view(o.columns).substr(start, comma - start));
            const int column = lorvex::FindColumnByHeading(table, heading);
            if (column < 0) return unknown(heading);
            settings.columns.push_back(column);
            start = comma + 1;
        }
    }
    if (o.filtered) {
        // Plain words search every column: a script sees no collapsed ones.
        const lorvex::FilterParse parse = lorvex::RowFilter::Parse(o.filter, table.Data(), {.searchCollapsed = true});
        if (!parse.Ok()) {
            std::cerr << "lorvex-export: bad filter: " << parse.error << "; the table has: " << AvailableHeadings(table)
                      << '\n';
            return false;
        }
        lorvex::ApplyFilter(table.Data(), parse.filter);
    }
    if (!o.sort.empty()) {
        std::string heading = o.sort;
        bool descending = false;
        const std::size_t colon = heading.rfind(':');
        // Any case, as the headings themselves.
        std::string direction = colon == std::string::npos ? std::string() : heading.substr(colon);
        lorvex::platform::FoldAsciiInPlace(direction);
        if (direction == ":desc" || direction == ":asc") {
            descending = direction == ":desc";
            heading.resize(colon);
        }
        const int column = lorvex::FindColumnByHeading(table, Trimmed(heading));
        if (column < 0) return unknown(Trimmed(heading));
        table.SortBy(column, descending);
    }
    return true;
}

// Where the window keeps the work folders of games whose own folder cannot be written.
fs::path DataLocation() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    const fs::path base = xdg && *xdg ? fs::path(xdg) : home && *home ? fs::path(home) / ".local/share" : fs::path();
    return base.empty() ? base : base / "Lorvex" / "Lorvex";
}

// The sample configurations installed beside the program, or those of the data folders.
fs::path SampleFolder() {
    std::error_code ec;
    std::vector<fs::path> candidates;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) candidates.push_back(exe.parent_path() / "../share/lorvex/config");
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    std::string list = dirs && *dirs ? dirs : "/usr/local/share:/usr/share";
    for (std::size_t start = 0; start <= list.size();) {
        const std::size_t colon = std::min(list.find(':', start), list.size());
        if (colon > start) candidates.push_back(fs::path(list.substr(start, colon - start)) / "lorvex/config");
        start = colon + 1;
    }
    for (const fs::path& folder : candidates)
        if (fs::is_directory(folder, ec)) return fs::canonical(folder, ec);
    return {};
}

// --game: enters the game's work folder and gives the folder its archives lie
// in, or empty (with a message) when the folder is no game or has no place to work.
std::string EnterGame(const std::string& folder) {
    const lorvex::platform::OpenedGame opened =
        lorvex::platform::OpenGameFolder(folder, folder, DataLocation(), SampleFolder());
    std::error_code ec;
    if (!opened.game.empty()) fs::current_path(opened.work, ec);
    if (opened.game.empty() || ec) {
        std::cerr << "lorvex-export: "
                  << (opened.game.empty() ? opened.problem : "found no folder to work in for " + opened.game) << '\n';
        return {};
    }
    for (const std::string& name : opened.samples)
        std::cerr << "lorvex-export: copied the sample configuration " << name << " to " << opened.work.string()
                  << '\n';
    return opened.game;
}

int Run(int argc, char** argv);

}  // namespace

int main(int argc, char** argv) {
    return lorvex::platform::RunTool("lorvex-export", [&] { return Run(argc, argv); });
}

namespace {

int Run(int argc, char** argv) {
    // A file that reaches the size limit fails its write (and is not put in
    // place) instead of ending the program with a temporary file left behind.
    std::signal(SIGXFSZ, SIG_IGN);
    Options o;
    bool done = false;
    if (const int status = ParseArguments(argc, argv, o, done); status != kOk || done) return status;
    // A relative output is the start folder's, as for every command-line tool,
    // whatever folder the load then works in.
    std::string outputPath = o.output;
    if (!o.output.empty()) {
        std::error_code ec;
        const fs::path absolute = fs::absolute(o.output, ec);
        if (!ec) outputPath = absolute.lexically_normal().string();
    }
    if (!o.folder.empty()) {
        std::error_code ec;
        std::filesystem::current_path(o.folder, ec);
        if (ec) {
            std::cerr << "lorvex-export: cannot enter " << o.folder << ": " << ec.message() << '\n';
            return kFailed;
        }
    }
    std::string game;
    if (!o.game.empty() && (game = EnterGame(o.game)).empty()) return kFailed;
    lorvex::platform::TextFileReader probe;
    if (!lorvex::platform::Exists(o.config) || !probe.Open(o.config)) {
        std::error_code ec;
        std::cerr << "lorvex-export: no readable configuration " << o.config << " in " << fs::current_path(ec).string()
                  << '\n';
        return kFailed;
    }
    probe.Close();

    lorvex::TableListCtrl table;
    QuietView view(o.verbose);
    StderrMessages messages;
    lorvex::Loader loader(table, view, messages);
    if (!game.empty()) loader.SetArchiveFolder(game);
    const lorvex::LoadEnd end = loader.LoadRun(o.config);
    const lorvex::LoadReport& report = loader.Report();
    for (const lorvex::SkippedRecord& skipped : report.skipped)
        std::cerr << "lorvex-export: skipped " << Printable(lorvex::SkippedLine(skipped)) << '\n';
    if (!report.skipped.empty()) std::cerr << "lorvex-export: " << lorvex::SkippedSummary(report) << '\n';
    // A table cut short by a bound is not the game's table: nothing is written.
    if (end != lorvex::LoadEnd::Loaded) return kFailed;

    lorvex::ExportSettings settings;
    settings.includeCollapsed = true;  // nothing is collapsed in a fresh load; width 0 columns still count
    if (o.format) settings.format = *o.format;
    settings.csvFormulas = o.csvFormulas;
    if (!ApplyOptions(table, o, settings)) return kUsage;
    if (!o.output.empty()) {
        settings.fileName = outputPath;
        std::string error, written;
        if (!lorvex::WriteExport(table, settings, &written, &error)) {
            std::cerr << "lorvex-export: Unable to Create File " << o.output << " (" << error
                      << "); nothing was changed\n";
            return kFailed;
        }
        std::cerr << "lorvex-export: wrote " << written << '\n';
        return kOk;
    }
    if (!lorvex::WriteExportTo(table, settings, stdout)) {
        std::cerr << "lorvex-export: writing to standard output failed\n";
        return kFailed;
    }
    return kOk;
}

}  // namespace
