// Runs one load without a display and writes the table as tab-delimited text,
// for scripts and for checking a configuration from a shell.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>

#include "export/ExportWriter.h"
#include "load/LoadRun.h"
#include "platform/FileSystem.h"

namespace {

class NamedChooser : public lorvex::ConfigChooser {
public:
    explicit NamedChooser(std::string name) : name_(std::move(name)) {}
    int RunChooser(char* buffer) override {
        std::snprintf(buffer, kBufferSize, "%s", name_.c_str());
        return 1;
    }

private:
    std::string name_;
};

class QuietView : public lorvex::LoadView {
public:
    explicit QuietView(bool verbose) : verbose_(verbose) {}
    void SetWindowTitle(std::string_view) override {}
    void SetTableVisible(bool) override {}
    void SetProgressVisible(bool) override {}
    void SetArchiveLabel(std::string_view text) override {
        if (verbose_) std::cerr << text << '\n';
    }
    void SetFileLabel(std::string_view text) override {
        if (verbose_) std::cerr << "  " << text << '\n';
    }
    void UpdateStatusLine() override {}

private:
    bool verbose_;
};

class StderrMessages : public lorvex::platform::MessageSink {
public:
    void ShowMessage(std::string_view text) override { std::cerr << text << '\n'; }
};

int Usage() {
    std::cerr << "usage: lorvex-export [-C CURRENT_FOLDER] [-v] CONFIG.cfg [OUTPUT]\n"
                 "  Loads the game's archives from the parent of the current folder with the\n"
                 "  named configuration and writes the table as tab-delimited text (CR LF line\n"
                 "  ends) to OUTPUT, or to standard output.\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string folder, config, output;
    bool verbose = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-C" && i + 1 < argc) folder = argv[++i];
        else if (arg == "-v") verbose = true;
        else if (arg == "-h" || arg == "--help") return Usage();
        else if (!arg.empty() && arg[0] == '-') return Usage();
        else if (config.empty()) config = arg;
        else if (output.empty()) output = arg;
        else return Usage();
    }
    if (config.empty()) return Usage();
    if (!folder.empty()) {
        std::error_code ec;
        std::filesystem::current_path(folder, ec);
        if (ec) {
            std::cerr << "lorvex-export: cannot enter " << folder << ": " << ec.message() << '\n';
            return 1;
        }
    }
    if (!lorvex::platform::Exists(config)) {
        std::cerr << "lorvex-export: no configuration " << config << " in the current folder\n";
        return 1;
    }

    lorvex::TableListCtrl table;
    QuietView view(verbose);
    NamedChooser chooser(config);
    StderrMessages messages;
    lorvex::Loader loader(table, view, chooser, messages);
    loader.LoadRun();

    lorvex::ExportSettings settings;
    settings.includeCollapsed = true;  // nothing is collapsed in a fresh load; width 0 columns still count
    if (!output.empty()) {
        settings.fileName = output;
        if (!lorvex::WriteExport(table, settings)) {
            std::cerr << "Unable to Create File\n";
            return 1;
        }
        return 0;
    }
    bool ok = true;
    lorvex::ForEachExportPiece(table, settings, [&ok](std::string_view piece) {
        std::size_t start = 0;
        while (start <= piece.size()) {
            const std::size_t nl = piece.find('\n', start);
            const std::size_t end = nl == std::string_view::npos ? piece.size() : nl;
            ok = ok && std::fwrite(piece.data() + start, 1, end - start, stdout) == end - start;
            if (nl == std::string_view::npos) break;
            ok = ok && std::fwrite("\r\n", 1, 2, stdout) == 2;
            start = nl + 1;
        }
    });
    ok = std::fflush(stdout) == 0 && ok;
    return ok ? 0 : 1;
}
