// The lorvex-hpi tool end to end: pack is deterministic, list and extract read it back.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "tests/hpi/HpiTestSupport.h"

namespace lorvex::hpi {
namespace {

using test::ReadBytes;
using test::ScratchFolder;
using test::WriteBytes;

int RunTool(const std::string& arguments, const std::filesystem::path& output)
{
    const std::string command =
        std::string("'") + LORVEX_HPI_TOOL + "' " + arguments + " > '" + output.string() + "' 2>/dev/null";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Q(const std::filesystem::path& p)
{
    return "'" + p.string() + "'";
}

TEST(HpiTool, PackListExtract)
{
    ScratchFolder scratch;
    const auto src = scratch / "src";
    std::filesystem::create_directories(src / "Units" / "Sub");
    WriteBytes(src / "Units" / "ARMX.fbi", "[ARMX]\r\n{\r\n\tname=x;\r\n}\r\n");
    WriteBytes(src / "Units" / "Sub" / "b.tdf", test::BinaryData(70000));
    WriteBytes(src / "top.txt", "");
    const auto log = scratch / "log.txt";

    for (const char* method : {"stored", "lz77", "zlib"}) {
        SCOPED_TRACE(method);
        const std::string options = std::string(" --method ") + method + " --seed 4660 --scramble";
        ASSERT_EQ(RunTool("pack " + Q(scratch / "a.hpi") + " " + Q(src) + options, log), 0);
        ASSERT_EQ(RunTool("pack " + Q(scratch / "b.hpi") + " " + Q(src) + options, log), 0);
        EXPECT_EQ(ReadBytes(scratch / "a.hpi"), ReadBytes(scratch / "b.hpi"));

        ASSERT_EQ(RunTool("list " + Q(scratch / "a.hpi"), log), 0);
        EXPECT_EQ(ReadBytes(log), "top.txt\nUnits\\ARMX.fbi\nUnits\\Sub\\b.tdf\n");
        ASSERT_EQ(RunTool("list " + Q(scratch / "a.hpi") + " 'units\\sub'", log), 0);
        EXPECT_EQ(ReadBytes(log), "b.tdf\n");
        ASSERT_EQ(RunTool("extract " + Q(scratch / "a.hpi") + " 'UNITS\\SUB\\B.TDF' " + Q(scratch / "out"), log), 0);
        EXPECT_EQ(ReadBytes(scratch / "out"), test::BinaryData(70000));
    }

    EXPECT_EQ(RunTool("extract " + Q(scratch / "a.hpi") + " nothing " + Q(scratch / "out2"), log), 1);
    EXPECT_FALSE(std::filesystem::exists(scratch / "out2"));
    EXPECT_EQ(RunTool("list " + Q(scratch / "missing.hpi"), log), 1);
    EXPECT_EQ(RunTool("pack " + Q(scratch / "c.hpi") + " " + Q(scratch / "no such folder"), log), 1);
    EXPECT_EQ(RunTool("", log), 2);
    EXPECT_EQ(RunTool("pack " + Q(scratch / "c.hpi") + " " + Q(src) + " --method rar", log), 2);
    EXPECT_EQ(RunTool("pack " + Q(scratch / "c.hpi") + " " + Q(src) + " --seed -1", log), 2);
    EXPECT_EQ(RunTool("list", log), 2);
}

}  // namespace
}  // namespace lorvex::hpi
