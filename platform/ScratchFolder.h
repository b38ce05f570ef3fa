#pragma once
// The scratch folder kept from one load to the next. Rewriting every file at
// every load costs far more than the load's own work (creating files among
// freshly deleted ones is slow on common file systems), so a file whose bytes
// are already there is left alone, a changed one is rewritten in place, and
// what the load did not produce goes at its end.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace lorvex::platform {

class ScratchFolder {
public:
    ScratchFolder() = default;
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // Starts a load: creates the folder (a path text) when missing and forgets
    // what the previous load stored. False (with Problem() saying why) when the
    // folder cannot be opened, or when it is a symbolic link: a link placed
    // there by someone else would have the load write wherever it points.
    bool Begin(std::string_view folderText);

    // Takes the folder for this load without waiting: false while another
    // process holds it (two loads into one folder would each remove the
    // other's files). Held until Finish.
    bool TryLock();

    // Makes the file `name` (a bare name, no separator) hold exactly `bytes`.
    // Unchanged bytes: the file is not touched at all. Other bytes: the same
    // file is rewritten. A link, a file with other names elsewhere (hard
    // links) or anything else of that name is replaced by a new file, never
    // written through. False on any failure (Problem() says why), and then no
    // file of that name is left.
    bool Store(std::string_view name, const std::uint8_t* bytes, std::size_t size);

    // Removes the file or link `name` (an extraction of that name failed).
    void Discard(std::string_view name);

    // Ends a load: removes every file and link directly inside the folder that
    // this load did not store, and lets the folder go. Subfolders stay and links
    // are never followed. Returns the entries that could not be removed.
    int Finish();

    // Why the last Begin or Store failed, as a phrase for a message.
    const std::string& Problem() const { return problem_; }

    // Lets the folder go without removing anything (a load that was cancelled).
    void Abandon() { Close(); }

    // What Store did since Begin, for tests and measurements.
    int Unchanged() const { return unchanged_; }
    int Written() const { return written_; }

private:
    bool Matches(int fd, const std::uint8_t* bytes, std::size_t size);
    // Writes the bytes over an open file of oldSize bytes, cuts what is left
    // beyond them and closes it; a failed write leaves no file of that name.
    bool Fill(int fd, const std::string& name, const std::uint8_t* bytes, std::size_t size, std::uint64_t oldSize);
    void Close();

    int folder_ = -1;  // the open folder
    std::string problem_;
    std::unordered_set<std::string> stored_;
    std::vector<std::uint8_t> compare_;
    int unchanged_ = 0;
    int written_ = 0;
};

}  // namespace lorvex::platform
