#pragma once
// What editing needs of the main window: the table and its view, the load
// that made it (its columns and record files), its menus and status line.
#include <string_view>

class QLabel;
class QMenu;
class QWidget;

namespace lorvex {

class Loader;
class TableListCtrl;
class TableListView;

class EditHost {
public:
    virtual ~EditHost() = default;
    virtual QWidget& Widget() = 0;
    virtual TableListCtrl& Table() = 0;
    virtual TableListView* View() const = 0;
    virtual Loader& TableLoader() = 0;
    virtual QMenu* EditMenu() const = 0;
    virtual QMenu* ViewMenu() const = 0;
    virtual QLabel* StatusLabel() const = 0;
    virtual void UpdateStatusLine() = 0;
    virtual void ShowMessage(std::string_view text) = 0;
};

}  // namespace lorvex
