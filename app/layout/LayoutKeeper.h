#pragma once
// Keeps each configuration's column arrangement between runs, in the user's
// settings under the configuration's file name and its columns' headings:
// saved when a load replaces the table or the window closes, put back when the
// same configuration loads again. Nothing is written for a table that still
// has the configuration's own arrangement and had nothing saved.
#include <string>

#include "table/ColumnLayout.h"

namespace lorvex {

class LayoutKeeper {
public:
    explicit LayoutKeeper(TableListCtrl& table) : table_(table) {}

    // A load of configName has just filled the table.
    void Loaded(const std::string& configName);
    // Writes the current arrangement when it is worth keeping.
    void Save();
    // Back to the configuration's own widths and order.
    void Reset();
    bool HasConfiguration() const { return !key_.empty(); }

    static constexpr const char* kGroup = "columnLayouts/";

private:
    TableListCtrl& table_;
    std::string key_;
    ColumnLayout original_;
    bool saved_ = false;  // the settings hold an arrangement under key_
};

}  // namespace lorvex
