#pragma once
// A load with nobody watching: no window, no labels, no messages, and always
// the same configuration. What is timed is the load alone.
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>

#include "load/LoadRun.h"

namespace lorvex::bench {

class Quiet : public LoadView, public platform::MessageSink {
public:
    explicit Quiet(std::string configuration) : configuration_(std::move(configuration)) {}
    void SetProgressVisible(bool) override {}
    void SetArchiveLabel(std::string_view) override {}
    void SetFileLabel(std::string_view) override {}
    void ShowMessage(std::string_view) override {}
    const std::string& Configuration() const { return configuration_; }

private:
    std::string configuration_;
};

}  // namespace lorvex::bench
