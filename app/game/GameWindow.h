#pragma once
// What opening games needs of the main window: its menu entries, who names
// its configurations, where it reads archives, and its loads.
#include <string>

class QAction;
class QMenu;
class QWidget;

namespace lorvex {

class ConfigChooser;
struct LoadReport;

class GameWindow {
public:
    virtual ~GameWindow() = default;
    virtual QWidget& Widget() = 0;
    virtual QAction* OpenGameAction() const = 0;
    virtual QMenu* GameMenu() const = 0;
    virtual QMenu* RecentGamesMenu() const = 0;
    virtual void SetChooser(ConfigChooser* chooser) = 0;
    virtual void SetArchiveFolder(std::string folder) = 0;
    virtual const std::string& ArchiveFolder() const = 0;
    virtual void LoadRun() = 0;
    virtual bool Loading() const = 0;
    virtual const LoadReport& LastLoad() const = 0;
};

}  // namespace lorvex
