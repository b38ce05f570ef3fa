// Bounded inflation with either backend: exactly the stated size or failure.
#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

#include "hpi/HpiInflate.h"

namespace lorvex::hpi {
namespace {

std::string Deflate(const std::string& data)
{
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::string out(size, '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
              static_cast<uLong>(data.size()), 9);
    out.resize(size);
    return out;
}

TEST(HpiInflate, ExactlyTheStatedSizeWithEitherBackend)
{
    const std::string data = std::string(40000, 'q') + "tail";
    const std::string packed = Deflate(data);
    const struct {
        const char* what;
        std::string in;
        std::size_t room;
        bool ok;
    } cases[] = {
        {"exact", packed, data.size(), true},
        {"trailing bytes after the stream", packed + "junk", data.size(), true},
        {"stream gives more than stated", packed, data.size() - 1, false},
        {"stream gives less than stated", packed, data.size() + 1, false},
        {"cut short", packed.substr(0, packed.size() - 5), data.size(), false},
        {"raw deflate without zlib header", packed.substr(2), data.size(), false},
        {"empty input", "", data.size(), false},
    };
    for (InflateBackend backend : {InflateBackend::Zlib, InflateBackend::Libdeflate}) {
        Inflater inflater(backend);
        for (const auto& c : cases) {
            std::string out(c.room + 16, '#');
            const bool ok = inflater.Inflate(reinterpret_cast<const std::uint8_t*>(c.in.data()), c.in.size(),
                                             reinterpret_cast<std::uint8_t*>(out.data()), c.room);
            EXPECT_EQ(ok, c.ok) << c.what << " backend " << static_cast<int>(backend);
            EXPECT_EQ(out.substr(c.room), std::string(16, '#')) << c.what;
            if (c.ok) {
                EXPECT_EQ(out.substr(0, c.room), data) << c.what;
            }
        }
    }
}

}  // namespace
}  // namespace lorvex::hpi
