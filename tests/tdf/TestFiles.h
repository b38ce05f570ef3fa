#pragma once
// The messages a load shows, kept for the test to read.
#include <string>
#include <string_view>
#include <vector>

#include "platform/MessageSink.h"

namespace lorvex::testkit {

struct CapturedMessages : platform::MessageSink {
    void ShowMessage(std::string_view text) override { texts.emplace_back(text); }
    std::vector<std::string> texts;
};

}  // namespace lorvex::testkit
