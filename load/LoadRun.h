#pragma once
// One load of a named configuration: read its global keys and columns, take
// the scratch folder, harvest every archive of the game into rows. Who asks
// for the name (a chooser, the command line, F5) is the caller's business.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "config/LoadState.h"
#include "hpi/HpiInflate.h"
#include "load/LoadReport.h"
#include "platform/MessageSink.h"
#include "platform/ScratchFolder.h"
#include "table/TableListCtrl.h"
#include "tdf/TdfReader.h"

namespace lorvex {

// What a load shows while it runs.
class LoadView {
public:
    virtual ~LoadView() = default;
    // True once the load starts replacing the table (the configuration is
    // open and the scratch folder taken), false when the rows are all in.
    virtual void SetProgressVisible(bool visible) = 0;
    // The label texts change while the load blocks the window: the view
    // repaints them at once so the user sees which archive and file are read.
    virtual void SetArchiveLabel(std::string_view text) = 0;
    virtual void SetFileLabel(std::string_view text) = 0;
    // Another load (another window or a script) holds the scratch folder:
    // shows that this one waits for it, for as long as the answer is true.
    // Called again every kWaitStepMs; false cancels the load.
    virtual bool KeepWaiting(std::string_view text) {
        (void)text;
        return true;
    }
    // Asked before each record file while the load replaces the table, so that
    // a long load can be stopped: false ends it as Cancelled with the table emptied.
    virtual bool KeepLoading() { return true; }
};

// A record file a load parsed: where its rows say they come from and where it
// lies in the archives, so that an edit can find the file behind a row and a
// save can write it back.
struct RecordSource {
    std::string location;     // the exact "Located In" text of its rows
    std::string archivePath;  // "..\x.hpi" form
    std::string entryPath;    // folder\name inside the archive, in the archive's spelling
    std::string entryName;
    int pairIndex = 0;
};

inline constexpr const char* kScratchFolder = "Lorvex temp";
// How often a load waiting for another one looks again.
inline constexpr int kWaitStepMs = 100;
inline constexpr const char* kScratchPrefix = "Lorvex temp\\";

// Reads an opened configuration to its end: the global keys into state (which
// the caller has reset), each column block into a column of table with its kind
// in kinds (room for LoadState::kMaxListColumns), then "Located In" and "Line #".
// Closes the reader and returns the number of configured columns.
int ReadConfiguration(LoadState& state, TdfReader& reader, TableData& table, platform::MessageSink& messages,
                      std::uint8_t* kinds);

// Appends the column a column block declared to the table, at index.
void InsertListColumn(TableData& table, int index, const ListColumn& column);

class Loader {
public:
    Loader(TableListCtrl& table, LoadView& view, platform::MessageSink& messages);

    // Loads the configuration configName (a bare file name in the current
    // folder). Returns how the load ended; Report() holds that and what was
    // skipped. An empty name, or one that cannot be opened, changes nothing.
    LoadEnd LoadRun(std::string_view configName);
    void ScanArchive(std::string_view archivePath);

    const LoadReport& Report() const { return report_; }
    void SetLimits(const LoadLimits& limits) { limits_ = limits; }

    // The folder the archives are read from, ".." (the parent of the current
    // folder) unless set. Archive path texts keep their "..\" form for the
    // "Located In" cells; it stands for this folder when the file is opened.
    void SetArchiveFolder(std::string folder) { archiveFolder_ = std::move(folder); }
    const std::string& ArchiveFolder() const { return archiveFolder_; }

    // Which inflater unpacks the archives' zlib chunks (both must give the same table).
    void SetInflateBackend(hpi::InflateBackend backend) { inflateBackend_ = backend; }

    // What the last load did in the scratch folder: files left untouched and files written.
    int ScratchUnchanged() const { return scratchUnchanged_; }
    int ScratchWritten() const { return scratchWritten_; }

    // The record files the last load parsed, in parse order, and the one whose
    // rows show location (null when none does).
    const std::vector<RecordSource>& Sources() const { return sources_; }
    const RecordSource* FindSource(std::string_view location) const;
    // The archives the last load opened, in the order it read them (the first
    // one that holds a name is the one whose copy is shown).
    const std::vector<std::string>& ScannedArchives() const { return scannedArchives_; }

    LoadState& State() { return state_; }
    const LoadState& State() const { return state_; }

private:
    TableListCtrl& table_;
    LoadView& view_;
    platform::MessageSink& messages_;
    LoadState state_;
    TdfReader recordReader_;
    std::uint8_t kinds_[LoadState::kMaxListColumns] = {};
    // Names extracted during this load, folded to lower case: the first
    // archive (and pair) that supplies a name wins, whatever the scratch
    // folder held before the load.
    std::unordered_set<std::string> extracted_;
    platform::ScratchFolder scratch_;
    std::vector<std::uint8_t> bytes_;  // the entry being parsed, reused for every entry
    hpi::InflateBackend inflateBackend_ = hpi::DefaultInflateBackend();
    int scratchUnchanged_ = 0;
    int scratchWritten_ = 0;
    std::string archiveFolder_ = "..";
    LoadLimits limits_;
    LoadReport report_;
    std::uint64_t unpackedBytes_ = 0;  // by this load, against limits_.loadBytes
    std::vector<RecordSource> sources_;
    std::unordered_map<std::string, std::size_t> sourceIndex_;  // location -> sources_
    std::vector<std::string> scannedArchives_;

    std::filesystem::path ArchiveDiskPath(std::string_view archivePath) const;
    // Opens and takes the scratch folder, waiting while another load holds it.
    bool TakeScratchFolder();
    void Skip(std::string_view archive, std::string entry, std::string reason);
    // A bound was reached or the user cancelled: no further record file is read.
    bool Ended() const { return report_.end == LoadEnd::Stopped || report_.end == LoadEnd::Cancelled; }
    void Stop(std::string problem);
};

}  // namespace lorvex
