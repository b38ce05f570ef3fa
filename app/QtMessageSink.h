#pragma once
// Messages as modal message boxes with an OK button over the given window.
#include <string_view>

#include "platform/MessageSink.h"

class QWidget;

namespace lorvex {

class QtMessageSink : public platform::MessageSink {
public:
    explicit QtMessageSink(QWidget* owner = nullptr) : owner_(owner) {}
    void ShowMessage(std::string_view text) override;

private:
    QWidget* owner_;
};

}  // namespace lorvex
