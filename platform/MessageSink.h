#pragma once
#include <string_view>

namespace lorvex::platform {

// A modal message with an OK button. The window front end shows a message box;
// tests and the command-line tools collect or print the texts.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void ShowMessage(std::string_view text) = 0;
};

}  // namespace lorvex::platform
