#pragma once
// "Export table": asks for the file and its texts, writes the shown rows, and
// says in the status line where the file went.
#include <string>

class QLabel;
class QWidget;

namespace lorvex {

class TableListCtrl;
namespace platform {
class MessageSink;
}

void RunExportCommand(QWidget* window, const TableListCtrl& table, const std::string& configName, QLabel* status,
                      platform::MessageSink& messages);

}  // namespace lorvex
