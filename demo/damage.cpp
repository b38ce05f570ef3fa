// Makes the demo's damaged archive: a copy of a good one cut short, so that its
// directory still opens but its contents no longer extract.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: lorvex-damage GOOD_ARCHIVE DAMAGED_ARCHIVE\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) return 1;
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size() * 3 / 4));
    return out.good() ? 0 : 1;
}
