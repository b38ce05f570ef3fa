// Game > Export Changelog...: the comparison as Markdown, of this game's rows
// as the window shows them.
#include <QDir>
#include <QFileDialog>

#include "app/TableWindow.h"
#include "app/compare/CompareCommands.h"
#include "app/compare/OtherGameLoad.h"
#include "export/Changelog.h"
#include "export/ExportWriter.h"
#include "load/LoadRun.h"
#include "platform/SaveFile.h"
#include "table/TableListCtrl.h"

namespace lorvex {

bool CompareCommands::ExportChangelog() {
    if (!decorated_) {
        Say("Compare with another game first: Game > Compare With Game Folder...");
        return false;
    }
    // The changelog speaks of this game's rows as they are now (order, filter,
    // columns shown): a copy without the Change column and the other game's rows.
    const TableData& data = window_.Table().Data();
    TableListCtrl mine;
    TableData& copy = mine.Data();
    std::vector<int> kept;
    for (int c = 0; c < data.ColumnCount(); ++c) {
        if (data.Column(c).origin == kChangeOrigin) continue;
        const int at =
            copy.InsertColumn(copy.ColumnCount(), data.Column(c).heading, data.Column(c).align, data.ColumnWidth(c));
        copy.SetColumnOrigin(at, data.Column(c).origin);
        kept.push_back(c);
    }
    for (int r = 0; r < data.RowCount(); ++r) {
        if (IsOtherGameRow(r)) continue;
        const int row = copy.AppendRow({});
        if (row < 0) break;
        for (std::size_t k = 0; k < kept.size(); ++k) copy.SetCell(row, static_cast<int>(k), data.Cell(r, kept[k]));
        copy.SetHidden(row, data.IsHidden(r));
    }
    TableComparison changes;
    std::string error;
    const int headerText = copy.ColumnOfOrigin(window_.TableLoader().State().headerTextColumn);
    if (!changes.Compare(SideOf(mine, headerText), SideOf(*other_, otherHeaderText_), options_, &error)) {
        window_.ShowMessage(error);
        return false;
    }
    std::vector<int> shown;  // collapsed columns are left out, as an export leaves them
    for (int c = 0; c < copy.ColumnCount(); ++c)
        if (copy.ColumnWidth(c) > TableListCtrl::kCollapsedLimit) shown.push_back(c);
    const std::vector<std::size_t> columns = OutputColumns(changes, shown, false);

    const QString suggested = QDir::current().absoluteFilePath(QFile::decodeName(QByteArray::fromStdString(
        std::filesystem::path(window_.LoadedConfiguration()).stem().string() + " changes.md")));
    const QString target = askChangelogFile
                               ? askChangelogFile(suggested)
                               : QFileDialog::getSaveFileName(&window_.Widget(), QStringLiteral("Export Changelog"),
                                                              suggested, QStringLiteral("Markdown (*.md)"));
    if (target.isEmpty()) return false;
    const platform::SaveResult saved = platform::SaveFile(PathOfText(target), [&](std::FILE* out) {
        return WritePiecesTo(out, [&](const PieceSink& sink) { WriteChangelog(changes, columns, sink); });
    });
    if (!saved.ok) {
        window_.ShowMessage("Unable to Create File " + PathOfText(target).string() + " (" + saved.error +
                            "); nothing was changed.");
        return false;
    }
    Say("Wrote the changelog to " + saved.path);
    return true;
}

}  // namespace lorvex
