#pragma once
// A load with nobody watching: no window, no labels, no messages, and a chooser
// that always answers with the same configuration. What is timed is the load alone.
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>

#include "load/LoadRun.h"

namespace lorvex::bench {

class Quiet : public LoadView, public ConfigChooser, public platform::MessageSink {
public:
    explicit Quiet(std::string configuration) : configuration_(std::move(configuration)) {}
    void SetWindowTitle(std::string_view) override {}
    void SetTableVisible(bool) override {}
    void SetProgressVisible(bool) override {}
    void SetArchiveLabel(std::string_view) override {}
    void SetFileLabel(std::string_view) override {}
    void UpdateStatusLine() override {}
    void ShowMessage(std::string_view) override {}
    int RunChooser(char* buffer) override {
        std::snprintf(buffer, kBufferSize, "%s", configuration_.c_str());
        return 1;
    }

private:
    std::string configuration_;
};

}  // namespace lorvex::bench
