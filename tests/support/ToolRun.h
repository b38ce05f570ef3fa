#pragma once
// A command line run through the shell: its exit status and both outputs.
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/GameFolder.h"

namespace lorvex::testkit {

struct Ran {
    int status;
    std::string out, err;
};

// Runs `line` with its outputs kept in the folder `logs`; -1 as the status when it did not exit.
inline Ran RunShell(const std::string& line, const std::filesystem::path& logs) {
    const std::string out = (logs / "run.out").string(), err = (logs / "run.err").string();
    const int status = std::system((line + " >'" + out + "' 2>'" + err + "'").c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, GameFolder::Read(out), GameFolder::Read(err)};
}

// Runs a program with its arguments (after the shell commands in `before`), its outputs kept in `logs`.
inline Ran RunTool(const std::string& tool, const std::string& args, const std::filesystem::path& logs,
                   const std::string& before = "") {
    return RunShell(before + "'" + tool + "' " + args, logs);
}

inline bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace lorvex::testkit
