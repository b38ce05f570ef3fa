#pragma once
// How a load ended and what it left out. Archives come from strangers: what
// one can make a load unpack or hold is bounded, and every record file that
// is not in the table is named here with the reason, never dropped in silence.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace lorvex {

// Bounds on what the archives of one load may make Lorvex unpack and hold.
// Real record files are at most a few hundred KB, real games a few thousand
// rows; the bounds sit far above both and far below what exhausts a machine.
struct LoadLimits {
    static constexpr std::uint64_t kRecordFileBytes = std::uint64_t{32} << 20;
    static constexpr std::uint64_t kLoadBytes = std::uint64_t{1} << 30;
    static constexpr std::size_t kRows = 1'000'000;

    std::uint64_t recordFileBytes = kRecordFileBytes;  // one record file, unpacked
    std::uint64_t loadBytes = kLoadBytes;              // every record file of the load, unpacked
    std::size_t rows = kRows;                          // rows of the table
};

enum class LoadEnd {
    Loaded,          // every archive was read (record files may still be skipped)
    NotChosen,       // no configuration was named: nothing changed
    Unreadable,      // the configuration could not be opened: nothing changed
    ScratchRefused,  // the scratch folder cannot be used safely: nothing changed
    Cancelled,       // the user stopped the wait for another load: nothing changed
    Stopped,         // a bound or the memory ran out: the table holds what was read before
};

struct SkippedRecord {
    std::string archive;  // as "Located In" names it, "..\units.hpi"
    std::string entry;    // its path inside the archive, "units\armx.fbi"
    std::string reason;
};

struct LoadReport {
    LoadEnd end = LoadEnd::NotChosen;
    std::string problem;  // why the load was refused or stopped, as a sentence
    std::vector<SkippedRecord> skipped;

    // Whether the table that is now shown came from this load.
    bool ReplacedTable() const { return end == LoadEnd::Loaded || end == LoadEnd::Stopped; }
};

// "3 record files skipped" (one: "1 record file skipped"); empty when none was.
std::string SkippedSummary(const LoadReport& report);
// One line per skipped record file: "..\units.hpi: units\armx.fbi: reason".
std::string SkippedLine(const SkippedRecord& skipped);

}  // namespace lorvex
