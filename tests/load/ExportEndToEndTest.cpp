// lorvex-export run as a user runs it: one load of a game folder, the table
// written as tab-delimited text to standard output or to a file.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "hpi/HpiWriter.h"
#include "tests/support/GameData.h"
#include "tests/support/GameFolder.h"

namespace lorvex {
namespace {

using hpi::HpiWriter;
using hpi::PackMethod;
using testing::GameFolder;
using testing::Unit;

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs the tool with arguments (already quoted for the shell), from the current folder.
ToolRun RunTool(const std::string& arguments) {
    const std::string errPath = "../stderr.txt";
    const std::string command = std::string("'") + LORVEX_EXPORT_TOOL + "' " + arguments + " 2>" + errPath;
    ToolRun run;
    if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, n);
        const int status = ::pclose(pipe);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    run.err = GameFolder::Read(errPath);
    return run;
}

TEST(ExportTool, WritesTheLoadedTableAsTabDelimitedText) {
    GameFolder game;
    GameFolder::Write("t.cfg", testing::kUnitsCfg);
    {
        HpiWriter base;
        base.AddFile("units\\a.fbi", Unit("A", "Alpha", "10.50") + Unit("A2", "Alpha Two", "x"), PackMethod::Zlib);
        base.AddFile("units\\B.FBI", Unit("B", "Beta", "2"), PackMethod::Lz77, true);
        ASSERT_TRUE(base.WriteTo("../rev31.gp3", 0x99));
        HpiWriter mod;
        mod.AddFile("units\\a.fbi", Unit("Z", "Shadowed", "1"), PackMethod::Stored);
        mod.AddFile("units\\c.fbi", Unit("C", "Gamma\tTab", "3.14159"), PackMethod::Stored);
        ASSERT_TRUE(mod.WriteTo("../mod.hpi", 0));
    }
    const std::string expected =
        "Name\tCost\tLocated In\tLine #\r\n"
        "Alpha\t10.5\trev31.gp3  ::  a.fbi\t1\r\n"
        "Alpha Two\t0\trev31.gp3  ::  a.fbi\t6\r\n"
        "Beta\t2\trev31.gp3  ::  B.FBI\t1\r\n"
        "Gamma\tTab\t3.14\tmod.hpi  ::  c.fbi\t1";
    const std::string current = game.Current().string();

    // Standard output, then the same load again into the kept scratch folder, then a file.
    for (const std::string& args : {std::string("t.cfg"), "-C '" + current + "' t.cfg", std::string("t.cfg out.dat")}) {
        SCOPED_TRACE(args);
        const ToolRun run = RunTool(args);
        EXPECT_EQ(run.status, 0);
        const bool toFile = args.find("out.dat") != std::string::npos;
        EXPECT_EQ(run.err, toFile ? "lorvex-export: wrote " + current + "/out.dat\n" : "");
        EXPECT_EQ(toFile ? GameFolder::Read("out.dat") : run.out, expected);
    }
    EXPECT_EQ(GameFolder::Read("Lorvex temp/a.fbi"), Unit("A", "Alpha", "10.50") + Unit("A2", "Alpha Two", "x"));
    // Bad arguments and failed loads: tests/tools covers every exit status and message.
}

}  // namespace
}  // namespace lorvex
