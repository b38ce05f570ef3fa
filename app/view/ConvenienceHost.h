#pragma once
// What the table conveniences need of the window they serve, and no more.
#include <string>

class QLabel;
class QMenu;
class QWidget;

namespace lorvex {

class DataListingDialog;
class TableListCtrl;
class TableListView;

class ConvenienceHost {
public:
    virtual ~ConvenienceHost() = default;
    virtual QWidget* HostWidget() = 0;
    virtual TableListCtrl& Table() = 0;
    virtual TableListView* View() const = 0;
    virtual QMenu* ViewMenu() const = 0;
    virtual QLabel* StatusLabel() const = 0;
    virtual bool Loading() const = 0;
    virtual std::string StatusLineText() const = 0;
    virtual void Reload() = 0;
    virtual void LayoutTable() = 0;
    virtual DataListingDialog* OpenRecordListing(int row) = 0;
    virtual void RemoveHighlighted() = 0;
};

}  // namespace lorvex
