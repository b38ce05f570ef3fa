#include "app/compare/CompareCommands.h"

#include <QAction>
#include <QActionGroup>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <utility>

#include "app/TableWindow.h"
#include "app/compare/OtherGameLoad.h"
#include "table/TableListCtrl.h"
#include "table/widget/TableListView.h"
#include "ui/DialogText.h"

namespace lorvex {

CompareCommands::CompareCommands(TableWindow& window) : window_(window) {
    QMenu* game = window_.GameMenu();
    game->addSeparator();
    compareAction = game->addAction(QStringLiteral("Compare &With Game Folder..."));
    matchMenu = game->addMenu(QStringLiteral("&Match Rows By"));
    changelogAction = game->addAction(QStringLiteral("Export Change&log..."));
    compareOffAction = game->addAction(QStringLiteral("Compare &Off"));
    connect(compareAction, &QAction::triggered, this, [this] {
        const QString folder = askOtherGame ? askOtherGame()
                                            : QFileDialog::getExistingDirectory(
                                                  &window_.Widget(), QStringLiteral("Compare With Game Folder"));
        CompareWith(folder);
    });
    connect(compareOffAction, &QAction::triggered, this, [this] { CompareOff(); });
    connect(changelogAction, &QAction::triggered, this, [this] { ExportChangelog(); });
    connect(matchMenu, &QMenu::aboutToShow, this, [this] { FillMatchMenu(); });
    FillMatchMenu();

    numbersMenu = window_.ViewMenu()->addMenu(QStringLiteral("Compared &Numbers"));
    auto* numbers = new QActionGroup(numbersMenu);
    const std::pair<const char*, NumberStyle> styles[] = {{"This Game's Value", NumberStyle::Value},
                                                          {"Difference: 150 (+30)", NumberStyle::Difference},
                                                          {"Percent: +25%", NumberStyle::Percent}};
    for (const auto& [text, style] : styles) {
        QAction* a = numbersMenu->addAction(QString::fromLatin1(text));
        a->setCheckable(true);
        a->setChecked(style == numberStyle_);
        numbers->addAction(a);
        connect(a, &QAction::triggered, this, [this, s = style] { SetNumberStyle(s); });
    }
    window_.Table().Data().AddObserver(this);
    window_.View()->AddCellTint(this);
    Refresh();
}

CompareCommands::~CompareCommands() {
    if (window_.View()) window_.View()->RemoveCellTint(this);
    window_.Table().Data().RemoveObserver(this);
}

void CompareCommands::Say(const std::string& text) { window_.StatusLabel()->setText(BytesToBoxText(text)); }

void CompareCommands::Refresh() {
    changelogAction->setEnabled(decorated_);
    compareOffAction->setEnabled(Comparing());
    rowsStale_ = true;
    if (window_.View()) window_.View()->viewport()->update();
}

void CompareCommands::FillMatchMenu() {
    matchMenu->clear();
    auto* group = new QActionGroup(matchMenu);
    const auto add = [&](const QString& text, const std::string& heading) {
        QAction* a = matchMenu->addAction(text);
        a->setCheckable(true);
        a->setChecked(heading == options_.matchHeading);
        group->addAction(a);
        connect(a, &QAction::triggered, this, [this, heading] { MatchBy(heading); });
    };
    add(QStringLiteral("Record File and Block"), {});
    matchMenu->addSeparator();
    const TableData& data = window_.Table().Data();
    for (int c = 0; c < data.ColumnCount(); ++c)
        if (data.Column(c).origin != kChangeOrigin)
            add(BytesToBoxText(data.Column(c).heading).replace(u'&', QStringLiteral("&&")), data.Column(c).heading);
}

bool CompareCommands::CompareWith(const QString& folder) {
    if (folder.isEmpty() || loadingOther_) return false;
    const std::string config = window_.LoadedConfiguration();
    if (config.empty()) {
        window_.ShowMessage("Load a configuration first: the other game is loaded with the same one.");
        return false;
    }
    loadingOther_ = true;
    OtherGame other = LoadOtherGame(window_, folder, dataLocation, config);
    loadingOther_ = false;
    if (!other.table) return false;  // the comparison before stays on

    Strip();
    other_ = std::move(other.table);
    otherHeaderText_ = other.headerTextColumn;
    otherConfig_ = config;
    otherGame_ = folder;
    std::string error;
    if (!Decorate(&error)) {
        // The match column is missing from the other game: back to record file and block.
        window_.ShowMessage(error + "; rows are matched by record file and block instead.");
        options_ = MatchOptions{};
        Decorate(nullptr);
    }
    Refresh();
    window_.UpdateStatusLine();
    return true;
}

void CompareCommands::CompareOff() {
    Strip();
    other_.reset();
    diff_ = TableComparison{};
    Refresh();
    window_.UpdateStatusLine();
}

void CompareCommands::BeforeLoad() {
    Strip();
    Refresh();
}

void CompareCommands::AfterLoad(bool replaced) {
    // The window has applied the kept column layout (found without the Change
    // column) and applies the filter after this call.
    CompareAgain(replaced);
}

void CompareCommands::CompareAgain(bool replaced) {
    if (decorated_ || loadingOther_) return;
    if (replaced && !pendingFolder_.isEmpty()) {
        const QString folder = std::exchange(pendingFolder_, QString());
        CompareWith(folder);
        return;
    }
    if (!other_) return;
    if (window_.LoadedConfiguration() != otherConfig_) {
        const std::string compared = otherConfig_;
        CompareOff();
        Say("The comparison is off: it was made with " + compared + ".");
        return;
    }
    std::string error;
    if (!Decorate(&error)) {
        window_.ShowMessage(error + "; the comparison is off.");
        CompareOff();
        return;
    }
    Refresh();
    window_.UpdateStatusLine();
}

void CompareCommands::MatchBy(const std::string& heading) {
    const MatchOptions before = options_;
    options_.matchHeading = heading;
    if (!decorated_) return;
    Strip();
    std::string error;
    if (!Decorate(&error)) {
        window_.ShowMessage(error + "; rows stay matched as they were.");
        options_ = before;
        Decorate(nullptr);
    }
    Refresh();
    window_.UpdateStatusLine();
}

void CompareCommands::SetNumberStyle(NumberStyle style) {
    numberStyle_ = style;
    UnfitShownChanges();
    FitShownChanges();
    if (window_.View()) window_.View()->viewport()->update();
}

}  // namespace lorvex
