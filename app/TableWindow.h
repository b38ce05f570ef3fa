#pragma once
// What a feature of the main window (editing, comparing) is handed: the table
// and its view, the load that made it, the menus it adds its commands to and
// the status line it speaks in. Nothing else of the window.
#include <string>
#include <string_view>

class QLabel;
class QMenu;
class QWidget;

namespace lorvex {

class Loader;
class TableListCtrl;
class TableListView;

class TableWindow {
public:
    virtual ~TableWindow() = default;
    virtual QWidget& Widget() = 0;
    virtual TableListCtrl& Table() = 0;
    virtual TableListView* View() const = 0;
    virtual Loader& TableLoader() = 0;
    virtual QMenu* GameMenu() const = 0;
    virtual QMenu* ViewMenu() const = 0;
    virtual QMenu* EditMenu() const = 0;
    virtual QLabel* StatusLabel() const = 0;
    // The configuration the table holds ("" before the first load).
    virtual const std::string& LoadedConfiguration() const = 0;
    virtual void UpdateStatusLine() = 0;
    // Values were changed by hand: what follows them (an open filter line,
    // the status line) applies again.
    virtual void ValuesChanged() = 0;
    virtual void ShowMessage(std::string_view text) = 0;
};

}  // namespace lorvex
