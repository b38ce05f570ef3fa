#pragma once
// The one window: the table under a menu bar, the status line, and the two
// labels that show a load's progress. It owns the table and the load state,
// routes the menu commands and the table's clicks, and keeps the status line.
#include <QDialog>
#include <string>
#include <string_view>

#include <memory>

#include "app/ConfigChooser.h"
#include "app/MainMenu.h"
#include "app/QtMessageSink.h"
#include "app/TableWindow.h"
#include "app/game/GameWindow.h"
#include "app/view/ConvenienceHost.h"
#include "load/LoadRun.h"
#include "platform/MessageSink.h"
#include "table/TableListCtrl.h"

class QAction;
class QLabel;
class QMenu;
class QMenuBar;

namespace lorvex {

class DataListingDialog;
class EditCommands;
class CompareCommands;
class TableConveniences;
class NumberCommands;
class SkippedNotice;
class TableListView;

class LoadProgress;

class MainDialog : public QDialog,
                   public platform::MessageSink,
                   public ConvenienceHost,
                   public GameWindow,
                   public TableWindow {
public:
    explicit MainDialog(QWidget* parent = nullptr);
    ~MainDialog() override;

    // Menu commands and table notifications.
    void LoadRun() override;
    void ExportTable();
    void RemoveHighlighted() override;
    void RemoveUnhighlighted();
    // Opens the data listing of row; the new window, or nullptr when the row
    // names no record.
    DataListingDialog* OpenRecordListing(int row) override;
    // Loads the configuration loaded last again without asking (F5); asks
    // when none has been loaded.
    void Reload() override;
    // The status line's text for the table as it is now.
    std::string StatusLineText() const override;
    void LayoutTable() override;

    void UpdateStatusLine() override;
    void ValuesChanged() override;
    // MessageSink: a message box, or the sink set below.
    void ShowMessage(std::string_view text) override;

    // Stand-ins for the modal dialogs (nullptr restores the real ones), so a
    // script or test can drive loads without a user at the keyboard.
    void SetChooser(ConfigChooser* replacement) override { chooser_ = replacement; }
    void SetMessageSink(platform::MessageSink* replacement) { messages_ = replacement ? replacement : &boxes_; }

    TableListCtrl& Table() override { return table_; }
    Loader& TableLoader() override { return *loader_; }
    QMenu* EditMenu() const override { return menu_.edit; }
    const std::string& LoadedConfiguration() const override { return loadedConfig_; }
    TableListView* View() const override { return view_; }
    const LoadState& State() const { return loader_->State(); }
    const LoadReport& LastLoad() const override { return loader_->Report(); }
    void SetLoadLimits(const LoadLimits& limits) { loader_->SetLimits(limits); }
    bool Loading() const override { return loading_; }
    void SetArchiveFolder(std::string folder) override { loader_->SetArchiveFolder(std::move(folder)); }
    const std::string& ArchiveFolder() const override { return loader_->ArchiveFolder(); }

    // ConvenienceHost and GameWindow: the parts the features are handed.
    QWidget* HostWidget() override { return this; }
    QWidget& Widget() override { return *this; }
    QMenu* ViewMenu() const override { return menu_.view; }
    QLabel* StatusLabel() const override { return statusText_; }
    QAction* OpenGameAction() const override { return menu_.openGame; }
    QMenu* GameMenu() const override { return menu_.game; }
    QMenu* RecentGamesMenu() const override { return menu_.recentGames; }

    // The menu bar's items, and the features the window wires, for a script or
    // a test that drives them as a user would.
    const MainMenu& Menu() const { return menu_; }
    TableConveniences* Conveniences() const { return conveniences_; }
    SkippedNotice* Skipped() const { return skippedNotice_; }
    EditCommands* Edits() const { return edits_; }
    CompareCommands* Comparison() const { return compare_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Every way the window ends comes here: the column layout is kept.
    void done(int result) override;

private:
    void BuildMenu();
    // Removes the shown rows that are (or are not) highlighted; the focus stays where it was.
    void RemoveRows(bool highlighted);
    int ClientTop() const;

    QLabel* statusText_ = nullptr;
    QLabel* fileLabel_ = nullptr;
    QLabel* archiveLabel_ = nullptr;
    // The original items, then the menus of the commands added since; each
    // feature adds its own actions from its own files.
    MainMenu menu_;
    EditCommands* edits_ = nullptr;       // changed values, their undo and their saving
    CompareCommands* compare_ = nullptr;  // another game's values beside these
    TableConveniences* conveniences_ = nullptr;
    NumberCommands* numberCommands_ = nullptr;  // the chart, shading and figures
    SkippedNotice* skippedNotice_ = nullptr;    // what the last load left out

    TableListCtrl table_;
    QtMessageSink boxes_;
    platform::MessageSink* messages_ = &boxes_;
    ConfigChooser* chooser_ = nullptr;
    LoadProgress* progress_ = nullptr;  // what a load shows, and the input it swallows
    std::unique_ptr<Loader> loader_;
    TableListView* view_ = nullptr;  // refers to table: deleted before it
    bool initialized_ = false;
    bool firstPaint_ = true;
    bool loading_ = false;
    // The configuration named for the load under way: the "Configuration
    // Files" dialog, or the chooser set above.
    std::string ChooseConfiguration();

    std::string loadingConfig_;  // the configuration of the load under way
    std::string loadedConfig_;   // the configuration the table holds
    std::string reloadName_;     // answers the next chooser call instead of the user
};

}  // namespace lorvex
