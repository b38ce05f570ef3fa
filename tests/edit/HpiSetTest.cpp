// "lorvex-hpi set" end to end, run as a user runs it: exit status, message, and
// what the archive (or the new archive) holds afterwards.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "hpi/HpiArchive.h"
#include "hpi/HpiWriter.h"
#include "platform/AsciiText.h"
#include "tdf/TdfEdit.h"
#include "tests/support/GameFolder.h"
#include "tests/support/ToolRun.h"

namespace lorvex {
namespace {

using hpi::HpiArchive;
using testkit::GameFolder;
using testkit::Has;

// Two blocks named ARMX (lines 1 and 6) and one CORE (line 14).
constexpr char kUnits[] =
    "[ARMX]\r\n{\r\n\tMaxDamage=100;\r\n\tName=First;\r\n}\r\n"
    "[ARMX]\r\n{\r\n\tMaxDamage=200;\r\n\t[INNER]\r\n\t{\r\n\t\tspeed=3;\r\n\t}\r\n}\r\n"
    "[CORE]\r\n{\r\n\tMaxDamage=300;\r\n}\r\n";

std::string EntryText(const std::string& archive, const std::string& entry) {
    auto opened = HpiArchive::Open(archive);
    std::vector<std::uint8_t> bytes;
    if (!opened || !opened->ExtractToMemory(entry, bytes)) return "<none>";
    return std::string(bytes.begin(), bytes.end());
}

TEST(HpiSet, EditsOneValueAndWritesTheArchiveOrANewOneBack) {
    struct Case {
        const char* why;
        const char* args;  // after "set ARCHIVE"
        int status;
        const char* message;  // in the standard output or error
        int blockLine = 0;    // where the value must be read back; 0: the archive must be unchanged
        const char* key = "";
        const char* value = "";
        const char* made = nullptr;  // the new archive that alone takes the change
    } cases[] = {
        {"a value in a single block", "units/core.fbi core maxdamage 333", 0, "300 -> 333", 14, "MaxDamage", "333"},
        {"entry and block in any case", "'UNITS\\ARMX.FBI' Core MaxDamage 5", 0, "300 -> 5", 14, "maxdamage", "5"},
        {"a repeated block name is refused with its lines", "units/armx.fbi armx maxdamage 1", 1,
         "has 2 blocks [armx], opening on lines 1, 6; name one as armx@1"},
        {"BLOCK@LINE picks the second block", "units/armx.fbi ARMX@6 maxdamage 250", 0, "200 -> 250", 6, "maxdamage",
         "250"},
        {"a line no such block opens on", "units/armx.fbi ARMX@7 maxdamage 1", 1, "it opens on line 1, 6"},
        {"any depth: the nested key", "units/armx.fbi ARMX@6 speed 9", 0, "3 -> 9", 6, "speed", "9"},
        {"a missing key is added", "units/core.fbi core buildtime 40", 0, "buildtime added as 40", 14, "buildtime",
         "40"},
        {"a value the reader would not read back", "units/core.fbi core name 'a;b'", 1, "cannot set name"},
        {"no such record file", "units/none.fbi core a 1", 1, "no record file units/none.fbi"},
        {"the same value writes nothing", "units/core.fbi core maxdamage 300", 0, "nothing written"},
        {"too few arguments", "units/core.fbi core maxdamage", 2, "usage:"},
        {"--new-archive without a file", "units/core.fbi core maxdamage 1 --new-archive", 2, "usage:"},
        {"--new-archive OUT", "units\\\\armx.fbi armx@1 Name Fixed --new-archive fix.hpi", 0, "First -> Fixed", 1,
         "name", "Fixed", "fix.hpi"},
        {"--new-archive=OUT naming the archive itself", "units/armx.fbi armx@1 Name X --new-archive=../mod.hpi", 1,
         "--new-archive must name another file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        GameFolder game;
        hpi::HpiWriter writer;
        writer.AddFile("units\\ArmX.fbi", kUnits, hpi::PackMethod::Lz77, true);
        writer.AddFile("units\\core.fbi", kUnits, hpi::PackMethod::Zlib);
        const std::string archive = GameFolder::Write("../mod.hpi", writer.Build(0x77));
        const std::string before = GameFolder::Read(archive);
        const testkit::Ran ran =
            testkit::RunShell(std::string(LORVEX_HPI_TOOL) + " set '" + archive + "' " + c.args, game.Root());
        EXPECT_EQ(ran.status, c.status) << ran.out << ran.err;
        EXPECT_TRUE(Has(ran.out + ran.err, c.message)) << ran.out << ran.err;
        if (c.blockLine == 0 || c.made) {
            EXPECT_EQ(GameFolder::Read(archive), before);
            EXPECT_FALSE(std::filesystem::exists(archive + ".bak"));
        }
        if (c.blockLine == 0) continue;
        const std::string entry =
            Has(platform::FoldedAscii(c.args), "armx.fbi") ? "units\\armx.fbi" : "units\\core.fbi";
        EXPECT_EQ(TdfReadValue(EntryText(c.made ? c.made : archive, entry), c.blockLine, c.key, kTdfAnyDepth), c.value);
        if (c.made) {
            auto made = HpiArchive::Open(c.made);
            ASSERT_TRUE(made);
            char name[64];
            ASSERT_NE(made->Dir(0, "units", name, sizeof name), 0u);
            EXPECT_STREQ(name, "ArmX.fbi") << "the archive's spelling";
            EXPECT_EQ(made->Dir(1, "units", name, sizeof name), 0u) << "only the changed file";
            continue;
        }
        EXPECT_EQ(GameFolder::Read(archive + ".bak"), before);
        const std::string other = entry == "units\\armx.fbi" ? "units\\core.fbi" : "units\\armx.fbi";
        EXPECT_EQ(EntryText(archive, other), kUnits) << "the other record file is untouched";
    }
}

}  // namespace
}  // namespace lorvex
