#pragma once
// The edits of one loaded game: per record file its text as loaded and as
// edited, per (file, record, key) the value as loaded and as edited. A file's
// text is always its loaded text with the live changes applied in the order
// they were first made, so a value put back, or a change reverted, leaves no
// trace: when a file has no change left its text is the loaded one byte for byte.
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "load/LoadRun.h"
#include "tdf/TdfEdit.h"

namespace lorvex {

// One write a cell edit asks for.
struct ValueWrite {
    std::string key;
    std::string value;
    int maxDepth = kTdfAnyDepth;
    // A flag of a MultiBool column: a load sets it when any occurrence is
    // non-zero, so "0" goes to every occurrence, and its value is 0 or 1.
    bool flag = false;
};

// A change as the changes list shows it; nullopt where the file does not hold the key.
struct EditChange {
    std::string location;
    int blockLine = 0;
    std::string record;  // the block's name
    std::string key;
    std::optional<std::string> oldValue;
    std::optional<std::string> newValue;
    std::string file;     // entry path inside the archive
    std::string archive;  // "..\x.hpi"
};

// The file's bytes as a load read them out of its archive.
std::optional<std::string> ReadRecordText(const std::string& archiveFolder, const RecordSource& source);

class EditSession {
public:
    // Gives a file's text the first time it is edited (ReadRecordText, or a test's text).
    using TextSource = std::function<std::optional<std::string>(const RecordSource&)>;
    explicit EditSession(TextSource source) : source_(std::move(source)) {}

    // The file's current text, read through the source on first use; null when it cannot be read.
    const std::string* TextOf(const RecordSource& source);
    // The current text of a file the session holds, else null.
    const std::string* Text(std::string_view location) const;

    // Applies the writes to the block opening on blockLine, all or none.
    struct Applied {
        bool ok = false;
        std::string problem;
        std::string before;  // the file's text before, for RowReparse
    };
    Applied Apply(const RecordSource& source, int blockLine, const std::vector<ValueWrite>& writes);
    // Takes a change back (index into Changes()).
    Applied Revert(std::size_t change);

    std::vector<EditChange> Changes() const;
    bool HasUnsavedChanges() const { return !changes_.empty(); }
    // The files with changes and their texts, for a save.
    std::vector<std::pair<RecordSource, std::string>> ChangedFiles() const;
    // After a save: the saved texts are what the archives now hold.
    void MarkSaved();
    // A new load: nothing edited.
    void Clear();

    struct Change {
        std::string location;
        std::size_t block = 0;  // the block's place in its file: lines shift, the order does not
        ValueWrite write;       // the last write, replayed to rebuild the text
        std::optional<std::string> original;
    };
    // One file's text and changes at a moment, for undo.
    struct FileSnapshot {
        std::string location;
        std::string text;
        std::vector<std::size_t> order;  // where each change stood in the list
        std::vector<Change> changes;
    };
    FileSnapshot Snapshot(std::string_view location) const;
    void Restore(const FileSnapshot& snapshot);

private:
    struct File {
        RecordSource source;
        std::string original;
        std::string current;
    };
    File* Load(const RecordSource& source);
    bool Rebuild(File& file, std::string* problem);

    TextSource source_;
    std::map<std::string, File, std::less<>> files_;
    std::vector<Change> changes_;  // in the order first made
};

}  // namespace lorvex
