#pragma once
// A throw-away game folder for tests: archives in the folder itself, the
// program's current folder one level down, entered for the folder's lifetime
// (folders may nest: each gives the current folder back to the one before).
#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

namespace lorvex::testkit {

class GameFolder {
public:
    GameFolder() {
        static std::atomic<int> serial{0};
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(info->test_suite_name()) + "-" + info->name();
        std::replace(name.begin(), name.end(), '/', '-');  // parameterised tests: one folder, not a tree
        root_ = std::filesystem::temp_directory_path() /
                ("lorvex-game-" + std::to_string(::getpid()) + "-" + name + "-" + std::to_string(serial++));
        std::filesystem::remove_all(root_);
        std::filesystem::create_directories(root_ / "cur");
        old_ = std::filesystem::current_path();
        std::filesystem::current_path(root_ / "cur");
    }
    ~GameFolder() {
        std::filesystem::current_path(old_);
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
    GameFolder(const GameFolder&) = delete;
    GameFolder& operator=(const GameFolder&) = delete;

    const std::filesystem::path& Root() const { return root_; }
    std::filesystem::path Current() const { return root_ / "cur"; }
    std::filesystem::path operator/(const std::string& name) const { return Current() / name; }
    std::string PathOf(const std::string& name) const { return (Current() / name).string(); }

    // Writes a file relative to the current folder ("t.cfg", "../x.hpi") and gives its full path.
    static std::string Write(const std::filesystem::path& relative, std::string_view bytes) {
        std::ofstream out(relative, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return (std::filesystem::current_path() / relative).string();
    }
    static std::string Read(const std::filesystem::path& relative) {
        std::ifstream in(relative, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::filesystem::path root_;
    std::filesystem::path old_;
};

// Runs act while no file may grow past `bytes` (a disk that fills up) and gives what it returns.
template <class Act>
auto WithFileSizeLimit(rlim_t bytes, Act act) {
    struct rlimit saved {};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    struct rlimit small = saved;
    small.rlim_cur = bytes;
    auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &small);
    auto result = act();
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    return result;
}

}  // namespace lorvex::testkit
