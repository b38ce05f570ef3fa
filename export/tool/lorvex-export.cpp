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

#include "compare/TableDiff.h"
#include "export/Changelog.h"
#include "export/ExportWriter.h"
#include "export/tool/ExportOptions.h"
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
using namespace lorvex::exporttool;

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

std::string AvailableHeadings(const lorvex::TableListCtrl& table) {
    std::string list;
    for (int c = 0; c < table.ColumnCount(); ++c) list += (c ? ", " : "") + table.ColumnHeading(c);
    return list;
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
int WriteText(const std::function<void(const lorvex::PieceSink&)>& make, const Options& o,
              const std::string& outputPath) {
    const auto writeTo = [&](std::FILE* out) { return lorvex::WritePiecesTo(out, make); };
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
    const lorvex::platform::ComparedGame opened =
        lorvex::platform::OpenComparedGame(o.compare, o.compare, DataLocation(), configPath);
    std::error_code ec;
    if (!opened.game.empty()) fs::current_path(opened.work, ec);
    if (opened.game.empty() || ec) {
        std::cerr << "lorvex-export: " << Printable(ec ? ec.message() : opened.problem) << '\n';
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
