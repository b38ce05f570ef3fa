#pragma once
// Messages as modal message boxes with an OK button over the given window.
#include <string_view>

#include "platform/MessageSink.h"

class QString;
class QWidget;

namespace lorvex {

class QtMessageSink : public platform::MessageSink {
public:
    explicit QtMessageSink(QWidget* owner = nullptr) : owner_(owner) {}
    void ShowMessage(std::string_view text) override;

private:
    QWidget* owner_;
};

// The modal box every message goes through. Messages quote file names and
// record values, so the box shows them as written, never as markup.
void ShowPlainMessage(const QString& text, QWidget* owner);

}  // namespace lorvex
