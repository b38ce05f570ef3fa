// Runs one load without a display and writes the table (tab-delimited text by
// default, or CSV, Markdown or HTML; a chosen subset of columns, sorted and
// filtered), for scripts and for checking a configuration from a shell; or
// compares the table with the same configuration's table of another game.
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "export/Changelog.h"
#include "compare/TableDiff.h"
#include "export/ExportWriter.h"
#include "load/LoadRun.h"
#include "platform/AsciiText.h"
#include "platform/FileSystem.h"
#include "platform/GameFolder.h"
#include "platform/PrintableText.h"
#include "platform/SaveFile.h"
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
    for (int c = 0; c < table.ColumnCount(); ++c) list += (c ? ", " : "") + table.ColumnHeading(c);
    return list;
}

struct Options {
    std::string folder, game, config, output, columns, sort, filter;
    bool filtered = false;
    std::optional<lorvex::ExportFormat> format;
    bool verbose = false;
    bool csvFormulas = false;
    std::string compare, match;
    std::string compareFormat;  // "changelog" or "diff": formats of a comparison only
};

constexpr const char* kCompareFolder = "Compared";

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

// The skipped record files of a load, named by game when it is the other one.
void ReportSkipped(const lorvex::LoadReport& report, const std::string& otherGame) {
    const std::string where = otherGame.empty() ? "" : "in " + Printable(otherGame) + ": ";
    for (const lorvex::SkippedRecord& skipped : report.skipped)
        std::cerr << "lorvex-export: " << where << "skipped " << Printable(lorvex::SkippedLine(skipped)) << '\n';
    if (!report.skipped.empty()) std::cerr << "lorvex-export: " << where << lorvex::SkippedSummary(report) << '\n';
}

// Writes a table to -o's file (outputPath) or to standard output.
int WriteTable(const lorvex::TableListCtrl& table, lorvex::ExportSettings settings, const Options& o,
               const std::string& outputPath) {
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

// Writes text made piece by piece to -o's file or to standard output, as WriteTable does.
int WriteText(const std::function<void(const std::function<void(std::string_view)>&)>& make, const Options& o,
              const std::string& outputPath) {
    const auto writeTo = [&](std::FILE* out) {
        bool ok = true;
        make([&](std::string_view piece) {
            ok = ok && std::fwrite(piece.data(), 1, piece.size(), out) == piece.size();
        });
        return std::fflush(out) == 0 && ok && !std::ferror(out);
    };
    if (!o.output.empty()) {
        const lorvex::platform::SaveResult saved = lorvex::platform::SaveFile(outputPath, writeTo);
        if (!saved.ok) {
            std::cerr << "lorvex-export: Unable to Create File " << o.output << " (" << saved.error
                      << "); nothing was changed\n";
            return kFailed;
        }
        std::cerr << "lorvex-export: wrote " << saved.path << '\n';
        return kOk;
    }
    if (!writeTo(stdout)) {
        std::cerr << "lorvex-export: writing to standard output failed\n";
        return kFailed;
    }
    return kOk;
}

// --compare: loads the configuration (configPath, this game's file) from the
// other game as one whose folder cannot be written, so that its scratch copies
// go under the user's data location and nothing is written into its folder;
// then writes what changed from it to table.
int Compare(const lorvex::TableListCtrl& table, int headerTextColumn, const Options& o,
            const lorvex::ExportSettings& settings, const std::string& outputPath, const fs::path& configPath) {
    const lorvex::platform::OpenedGame opened = lorvex::platform::OpenGameFolder(
        o.compare, o.compare, DataLocation(), {}, [](const fs::path&) { return false; });
    if (opened.game.empty()) {
        std::cerr << "lorvex-export: " << Printable(opened.problem) << '\n';
        return kFailed;
    }
    // A folder of Lorvex's own under the game's: the user's configurations for that game stay as they are.
    const fs::path work = opened.work / kCompareFolder;
    std::error_code ec;
    fs::create_directories(work, ec);
    if (!ec) fs::copy_file(configPath, work / configPath.filename(), fs::copy_options::overwrite_existing, ec);
    if (!ec) fs::current_path(work, ec);
    if (ec) {
        std::cerr << "lorvex-export: cannot prepare " << work.string() << " for the other game: " << ec.message()
                  << '\n';
        return kFailed;
    }
    lorvex::TableListCtrl other;
    QuietView view(o.verbose);
    StderrMessages messages;
    lorvex::Loader loader(other, view, messages);
    loader.SetArchiveFolder(opened.game);
    const lorvex::LoadEnd end = loader.LoadRun(configPath.filename().string());
    ReportSkipped(loader.Report(), o.compare);
    if (end != lorvex::LoadEnd::Loaded) return kFailed;
    // The other table is filtered and sorted as this one; the columns written are this table's.
    Options otherOptions = o;
    otherOptions.columns.clear();
    lorvex::ExportSettings unused;
    if (!ApplyOptions(other, otherOptions, unused)) return kUsage;

    lorvex::TableComparison diff;
    std::string error;
    if (!diff.Compare(lorvex::SideOf(table, headerTextColumn), lorvex::SideOf(other, loader.State().headerTextColumn),
                      {.matchHeading = o.match}, &error)) {
        std::cerr << "lorvex-export: " << error << "; the table has: " << AvailableHeadings(table) << '\n';
        return kUsage;
    }
    const std::vector<std::size_t> columns =
        lorvex::OutputColumns(diff, lorvex::ExportedColumns(table, settings), settings.columns.empty());
    if (o.compareFormat == "changelog")
        return WriteText([&](const auto& sink) { lorvex::WriteChangelog(diff, columns, sink); }, o, outputPath);
    if (o.compareFormat == "diff")
        return WriteText([&](const auto& sink) { lorvex::WriteHighlighterDiff(diff, columns, sink); }, o, outputPath);
    lorvex::TableListCtrl changes;
    lorvex::FillChangeTable(diff, columns, changes.Data());
    lorvex::ExportSettings written = settings;
    written.columns.clear();
    written.includeCollapsed = true;
    return WriteTable(changes, written, o, outputPath);
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
    // A relative output (and other game) is the start folder's, as for every
    // command-line tool, whatever folder the load then works in.
    if (!o.compare.empty()) {
        std::error_code ec;
        const fs::path absolute = fs::absolute(o.compare, ec);
        if (!ec) o.compare = absolute.lexically_normal().string();
    }
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
    std::error_code configError;
    const fs::path configPath = fs::absolute(o.config, configError);

    lorvex::TableListCtrl table;
    QuietView view(o.verbose);
    StderrMessages messages;
    lorvex::Loader loader(table, view, messages);
    if (!game.empty()) loader.SetArchiveFolder(game);
    const lorvex::LoadEnd end = loader.LoadRun(o.config);
    ReportSkipped(loader.Report(), {});
    // A table cut short by a bound is not the game's table: nothing is written.
    if (end != lorvex::LoadEnd::Loaded) return kFailed;

    lorvex::ExportSettings settings;
    settings.includeCollapsed = true;  // nothing is collapsed in a fresh load; width 0 columns still count
    if (o.format) settings.format = *o.format;
    settings.csvFormulas = o.csvFormulas;
    if (!ApplyOptions(table, o, settings)) return kUsage;
    if (!o.compare.empty()) {
        if (configError) {
            std::cerr << "lorvex-export: cannot find the configuration's folder: " << configError.message() << '\n';
            return kFailed;
        }
        return Compare(table, loader.State().headerTextColumn, o, settings, outputPath, configPath);
    }
    return WriteTable(table, settings, o, outputPath);
}

}  // namespace
