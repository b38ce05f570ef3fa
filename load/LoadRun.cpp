#include "load/LoadRun.h"

#include <chrono>
#include <cstring>
#include <new>
#include <string>
#include <thread>

#include "config/ColumnParser.h"
#include "platform/FileSystem.h"

namespace lorvex {

Loader::Loader(TableListCtrl& table, LoadView& view, platform::MessageSink& messages)
    : table_(table), view_(view), messages_(messages) {}

int ReadConfiguration(LoadState& state, TdfReader& reader, TableData& table, platform::MessageSink& messages,
                      std::uint8_t* kinds) {
    int configured = 0;
    for (TdfResult r = reader.NextEntry(); r != TdfResult::End; r = reader.NextEntry()) {
        if (r == TdfResult::KeyValue) {
            const char* key = reader.Key();
            if (TdfNameEquals("hpifolder", key)) {
                state.hpiFolders[0] = reader.ValueText();
            } else if (TdfNameEquals("showunusedtags", key)) {
                state.showUnusedTags = reader.ValueInt();
            } else if (reader.KeyWithArgument("hpifolder")) {
                state.indexedKeys = true;
                const int n = reader.ArgumentInt();
                if (n >= 0 && n < LoadState::kPairs) state.hpiFolders[n] = reader.ValueText();
            } else if (TdfNameEquals("extension", key)) {
                state.extensions[0] = reader.ValueText();
            } else if (reader.KeyWithArgument("extension")) {
                state.indexedKeys = true;
                const int n = reader.ArgumentInt();
                if (n >= 0 && n < LoadState::kPairs) state.extensions[n] = reader.ValueText();
            }
        } else if (r == TdfResult::BlockOpen && configured < LoadState::kMaxColumns) {
            ListColumn column;
            if (ParseColumnBlock(state, reader, messages, column, configured)) {
                InsertListColumn(table, configured, column);
                kinds[configured] = column.kind;
                ++configured;
            }
        }
    }
    reader.Close();

    table.InsertColumn(configured, "Located In", Align::Left, 0);
    table.InsertColumn(configured + 1, "Line #", Align::Right, 0);
    kinds[configured] = 0x01;
    kinds[configured + 1] = 0x02;
    state.columnCount = state.firstExtraColumn = configured + 2;
    state.locationColumn = configured;
    return configured;
}

void InsertListColumn(TableData& table, int index, const ListColumn& column) {
    const Align align = column.align == ColumnAlign::Right    ? Align::Right
                        : column.align == ColumnAlign::Center ? Align::Center
                                                              : Align::Left;
    table.InsertColumn(index, column.heading, align, column.width);
}

std::filesystem::path Loader::ArchiveDiskPath(std::string_view archivePath) const {
    // Only the leading "..\" stands for the archive folder: the rest is the
    // file's own name, whatever it holds (a file on disk may be named "..\x.hpi").
    if (archivePath.substr(0, 3) == "..\\") return platform::DiskPathOfName(archiveFolder_, archivePath.substr(3));
    return platform::DiskPath(archivePath);
}

void Loader::Skip(std::string_view archive, std::string entry, std::string reason) {
    report_.skipped.push_back({std::string(archive), std::move(entry), std::move(reason)});
}

void Loader::Stop(std::string problem) {
    if (Ended()) return;
    report_.end = LoadEnd::Stopped;
    report_.problem = std::move(problem);
}

bool Loader::TakeScratchFolder() {
    if (!scratch_.Begin(kScratchFolder)) {
        report_.end = LoadEnd::ScratchRefused;
        report_.problem =
            std::string("Lorvex cannot use its scratch folder \"") + kScratchFolder + "\": " + scratch_.Problem() + ".";
        return false;
    }
    if (scratch_.TryLock()) return true;
    const std::string waiting = std::string("Waiting for another load using \"") + kScratchFolder + "\" to end";
    while (view_.KeepWaiting(waiting)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(kWaitStepMs));
        if (scratch_.TryLock()) return true;
    }
    scratch_.Abandon();
    report_.end = LoadEnd::Cancelled;
    return false;
}

const RecordSource* Loader::FindSource(std::string_view location) const {
    const auto it = sourceIndex_.find(std::string(location));
    return it == sourceIndex_.end() ? nullptr : &sources_[it->second];
}

LoadEnd Loader::LoadRun(std::string_view configName) {
    report_ = LoadReport{};
    if (configName.empty()) return report_.end;

    TdfReader config;
    if (!config.Open(configName)) {
        report_.end = LoadEnd::Unreadable;
        return report_.end;
    }
    // Taken before the table is touched: a refused or cancelled load leaves
    // the previous table as it was.
    if (!TakeScratchFolder()) {
        if (report_.end == LoadEnd::ScratchRefused) messages_.ShowMessage(report_.problem);
        return report_.end;
    }
    report_.end = LoadEnd::Loaded;

    TableData& table = table_.Data();
    table.SetNotify(false);  // the view repaints once, when the load is done
    table.DeleteAllRows();
    while (table.DeleteColumn(0)) {
    }
    view_.SetProgressVisible(true);

    state_.headerTextColumn = -1;
    state_.indexedKeys = false;
    for (auto& f : state_.hpiFolders) f.clear();
    for (auto& e : state_.extensions) e.clear();
    state_.showUnusedTags = 0;
    std::memset(kinds_, 0x81, sizeof kinds_);

    ReadConfiguration(state_, config, table, messages_, kinds_);

    // The scratch folder keeps the files of the previous load: unchanged ones
    // stay untouched, and whatever this load does not produce goes at its end.
    extracted_.clear();
    unpackedBytes_ = 0;
    sources_.clear();
    sourceIndex_.clear();
    scannedArchives_.clear();
    try {
        std::error_code ec;
        if (std::filesystem::exists(ArchiveDiskPath("..\\rev31.gp3"), ec)) ScanArchive("..\\rev31.gp3");
        for (const char* pattern : {"*.ccx", "*.ufo", "*.hpi"})
            for (const std::string& name : platform::ListFiles(archiveFolder_, pattern)) {
                if (Ended()) break;
                ScanArchive("..\\" + name);
            }
    } catch (const std::bad_alloc&) {
        // Rows half inserted cannot be trusted, and the memory is wanted back.
        std::vector<std::uint8_t>().swap(bytes_);
        table.DeleteAllRows();
        Stop("The load ran out of memory and stopped; the table was emptied.");
    }
    scratchUnchanged_ = scratch_.Unchanged();
    scratchWritten_ = scratch_.Written();
    if (report_.end == LoadEnd::Cancelled) {
        // Half a game's rows would pass for the whole table; the scratch copies
        // of the load before are still good for the next one, so none is removed.
        table.DeleteAllRows();
        sources_.clear();
        sourceIndex_.clear();
        scratch_.Abandon();
    } else {
        scratch_.Finish();
    }

    table_.SetColumnKinds(kinds_, static_cast<std::uint32_t>(state_.columnCount));
    view_.SetProgressVisible(false);
    table_.AutoSizeColumns(-1, 1);
    table.SetNotify(true);
    if (report_.end == LoadEnd::Stopped) messages_.ShowMessage(report_.problem);
    return report_.end;
}

}  // namespace lorvex
