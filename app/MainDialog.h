#pragma once
// The one window: the table under a menu bar, the status line, and the two
// labels that show a load's progress. It owns the table and the load state,
// routes the menu commands and the table's clicks, and keeps the status line.
#include <QDialog>
#include <string>
#include <string_view>

#include <memory>

#include "app/ConfigChooser.h"
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
    // MessageSink: a message box, or the sink set below.
    void ShowMessage(std::string_view text) override;

    // Stand-ins for the modal dialogs (nullptr restores the real ones), so a
    // script or test can drive loads without a user at the keyboard.
    void SetChooser(ConfigChooser* replacement) override { chooser = replacement; }
    void SetMessageSink(platform::MessageSink* replacement) { messages = replacement ? replacement : &boxes; }

    TableListCtrl& Table() override { return table; }
    Loader& TableLoader() override { return *loader; }
    QMenu* EditMenu() const override { return editMenu; }
    const std::string& LoadedConfiguration() const override { return loadedConfig; }
    TableListView* View() const override { return view; }
    const LoadState& State() const { return loader->State(); }
    const LoadReport& LastLoad() const override { return loader->Report(); }
    void SetLoadLimits(const LoadLimits& limits) { loader->SetLimits(limits); }
    bool Loading() const override { return loading; }
    void SetArchiveFolder(std::string folder) override { loader->SetArchiveFolder(std::move(folder)); }
    const std::string& ArchiveFolder() const override { return loader->ArchiveFolder(); }

    // ConvenienceHost and GameWindow: the parts the features are handed.
    QWidget* HostWidget() override { return this; }
    QWidget& Widget() override { return *this; }
    QMenu* ViewMenu() const override { return viewMenu; }
    QLabel* StatusLabel() const override { return statusText; }
    QAction* OpenGameAction() const override { return openGameAction; }
    QMenu* GameMenu() const override { return gameMenu; }
    QMenu* RecentGamesMenu() const override { return recentGamesMenu; }

    QLabel* statusText = nullptr;
    QLabel* fileLabel = nullptr;
    QLabel* archiveLabel = nullptr;
    QMenuBar* menuBar = nullptr;
    QAction* selectConfigurationAction = nullptr;
    QAction* exportAction = nullptr;
    QAction* removeHighlightedAction = nullptr;
    QAction* removeUnhighlightedAction = nullptr;
    QAction* versionAction = nullptr;
    QAction* openGameAction = nullptr;
    QMenu* removeMenu = nullptr;
    // Menus of the commands added after the original ones; each feature adds its
    // own actions from its own files.
    QMenu* gameMenu = nullptr;
    QMenu* recentGamesMenu = nullptr;
    QMenu* viewMenu = nullptr;
    QMenu* editMenu = nullptr;
    EditCommands* edits = nullptr;  // changed values, their undo and their saving
    CompareCommands* compare = nullptr;  // another game's values beside these
    TableConveniences* conveniences = nullptr;
    NumberCommands* numberCommands = nullptr;  // the chart, shading and figures
    SkippedNotice* skippedNotice = nullptr;    // what the last load left out

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

    TableListCtrl table;
    QtMessageSink boxes;
    platform::MessageSink* messages = &boxes;
    ConfigChooser* chooser = nullptr;
    LoadProgress* progress = nullptr;  // what a load shows, and the input it swallows
    std::unique_ptr<Loader> loader;
    TableListView* view = nullptr;  // refers to table: deleted before it
    bool initialized = false;
    bool firstPaint = true;
    bool loading = false;
    // The configuration named for the load under way: the "Configuration
    // Files" dialog, or the chooser set above.
    std::string ChooseConfiguration();

    std::string loadingConfig;  // the configuration of the load under way
    std::string loadedConfig;   // the configuration the table holds
    std::string reloadName;     // answers the next chooser call instead of the user
};

}  // namespace lorvex
