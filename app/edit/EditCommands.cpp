#include "app/edit/EditCommands.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPalette>
#include <QPushButton>

#include "app/TableWindow.h"
#include "app/edit/CellEditorDialog.h"
#include "app/edit/ChangesWindow.h"
#include "edit/SaveChanges.h"
#include "load/LoadRun.h"
#include "table/TableListCtrl.h"
#include "table/widget/TableListView.h"
#include "ui/DialogText.h"

namespace lorvex {
namespace {

// How much of the highlight colour an edited cell's background takes: enough
// to see on the base colour of a light or a dark palette, little enough to read.
constexpr int kTintPercent = 30;

QColor Blend(const QColor& base, const QColor& over, int percent) {
    const auto mix = [&](int a, int b) { return (a * (100 - percent) + b * percent) / 100; };
    return QColor(mix(base.red(), over.red()), mix(base.green(), over.green()), mix(base.blue(), over.blue()));
}

std::vector<ChangedFile> ChangedFiles(const EditSession& session) {
    std::vector<ChangedFile> files;
    for (const auto& [source, text] : session.ChangedFiles())
        files.push_back(ChangedFile{source.archivePath, source.entryPath, text});
    return files;
}

}  // namespace

EditCommands::EditCommands(TableWindow& window)
    : window_(window), session_([&window](const RecordSource& source) {
          return ReadRecordText(window.TableLoader().ArchiveFolder(), source);
      }) {
    Loader& loader = window_.TableLoader();
    history_ =
        std::make_unique<EditHistory>(loader.State(), window_.Table().Data(), session_,
                                      [&loader](std::string_view location) { return loader.FindSource(location); });
    QMenu* edit = window_.EditMenu();
    undoAction = edit->addAction(QStringLiteral("&Undo"));
    undoAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    redoAction = edit->addAction(QStringLiteral("&Redo"));
    redoAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    edit->addSeparator();
    editCellAction = edit->addAction(QStringLiteral("Edit &Cell"));
    editCellAction->setShortcut(QKeySequence(Qt::Key_F2));
    saveAction = edit->addAction(QStringLiteral("&Save Changes..."));
    saveAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    changesAction = window_.ViewMenu()->addAction(QStringLiteral("C&hanges"));
    for (QAction* a : {undoAction, redoAction, editCellAction, saveAction}) a->setShortcutContext(Qt::WindowShortcut);
    connect(undoAction, &QAction::triggered, this, [this] { Undo(); });
    connect(redoAction, &QAction::triggered, this, [this] { Redo(); });
    connect(editCellAction, &QAction::triggered, this, [this] { EditFocusedCell(); });
    connect(saveAction, &QAction::triggered, this, [this] { SaveChanges(); });
    connect(changesAction, &QAction::triggered, this, [this] { ShowChanges(); });
    window_.Table().Data().AddObserver(this);
    window_.View()->AddCellTint(this);
    Refresh();
}

EditCommands::~EditCommands() {
    if (window_.View()) window_.View()->RemoveCellTint(this);
    window_.Table().Data().RemoveObserver(this);
}

void EditCommands::Say(const std::string& text) {
    QLabel* status = window_.StatusLabel();
    status->setText(BytesToBoxText(text));
}

void EditCommands::Refresh() {
    cellsStale_ = true;
    undoAction->setEnabled(history_->CanUndo());
    redoAction->setEnabled(history_->CanRedo());
    saveAction->setEnabled(session_.HasUnsavedChanges());
    if (changes_) changes_->Refresh();
    if (window_.View()) window_.View()->viewport()->update();
}

const EditChange* EditCommands::EditedAt(int row, int column) {
    if (!session_.HasUnsavedChanges()) return nullptr;
    if (cellsStale_) {
        cells_.Update(window_.TableLoader().State(), window_.Table().Data(), session_.Changes());
        cellsStale_ = false;
    }
    return cells_.At(row, column);
}

bool EditCommands::TintFor(int row, int column, QColor* colour) {
    if (!EditedAt(row, column)) return false;
    const QPalette& pal = window_.View()->palette();
    *colour = Blend(pal.color(QPalette::Base), pal.color(QPalette::Highlight), kTintPercent);
    return true;
}

bool EditCommands::MarkFor(int row, int column) { return EditedAt(row, column) != nullptr; }

QString EditCommands::TipFor(int row, int column) {
    const EditChange* change = EditedAt(row, column);
    if (!change) return {};
    return QStringLiteral("Was: ") +
           (change->oldValue ? BytesToBoxText(*change->oldValue) : QStringLiteral("(not in the record)"));
}

QString EditCommands::RecordName(int row) const {
    const TableData& data = window_.Table().Data();
    const LoadState& state = window_.TableLoader().State();
    const int location = data.ColumnOfOrigin(state.locationColumn);
    const int line = data.ColumnOfOrigin(state.locationColumn + 1);
    return BytesToBoxText(std::string(data.Cell(row, location)) + "  (line " + std::string(data.Cell(row, line)) + ")");
}

void EditCommands::EditFocusedCell() {
    const int row = window_.Table().Data().FocusedRow();
    const int column = window_.View()->CurrentColumn();
    if (row < 0) return Say("Click the cell to edit first.");
    EditCell(row, column < 0 ? 0 : column);
}

void EditCommands::EditCell(int row, int column) {
    if (window_.TableLoader().State().columnCount <= 0) return;
    const TableData& data = window_.Table().Data();
    if (row < 0 || row >= data.RowCount() || column < 0 || column >= data.ColumnCount()) return;
    if (otherGameRow && otherGameRow(row))
        return Say("This row is the other game's record: only this game's rows can be edited.");
    const int loadColumn = data.Column(column).origin;
    const CellEditor editor = history_->Describe(row, loadColumn);
    if (editor.kind == CellEditKind::NotEditable) return Say(editor.reason);
    const QString what = BytesToBoxText(data.Column(column).heading) + QStringLiteral(" of ") + RecordName(row);
    // What the record's text refuses, the editor shows and stays open.
    CellEditorDialog dialog(&window_.Widget(), what, editor,
                            [&](const CellAnswer& answer) { return history_->CheckAnswer(row, loadColumn, answer); });
    const bool accepted = runEditor ? runEditor(dialog) : dialog.exec() == QDialog::Accepted;
    if (!accepted) return;
    const EditHistory::Result result = history_->EditCell(row, loadColumn, dialog.Answer());
    Refresh();
    window_.ValuesChanged();
    if (!result.done) Say(result.problem);
}

void EditCommands::Undo() {
    if (!history_->Undo()) return;
    Refresh();
    window_.ValuesChanged();
}

void EditCommands::Redo() {
    if (!history_->Redo()) return;
    Refresh();
    window_.ValuesChanged();
}

void EditCommands::ForgetUndo() {
    history_->Clear();
    Refresh();
}

void EditCommands::RemoveRows(bool highlighted) {
    // Hiding the view hands the focus on (to the filter line, text selected,
    // where the next Delete would wipe it): it comes back once the rows are gone.
    const QPointer<QWidget> focused = QApplication::focusWidget();
    window_.View()->hide();
    history_->RemoveRows(highlighted);
    window_.View()->show();
    if (focused) focused->setFocus();
    Refresh();
}

void EditCommands::Saved() {
    session_.MarkSaved();
    // The archives now hold the edits: an undo would put back a value the game
    // no longer reads, with nothing left to save that would make them agree.
    history_->Clear();
    Refresh();
}

void EditCommands::AfterLoad() {
    // Every edit spoke of the rows and texts of the load before.
    history_->Clear();
    session_.Clear();
    cells_.Clear();
    Refresh();
}

void EditCommands::ShowChanges() {
    if (!changes_) {
        changes_ = new ChangesWindow(
            &window_.Widget(), [this] { return session_.Changes(); },
            [this](std::size_t change) {
                const EditHistory::Result result = history_->Revert(change);
                Refresh();
                window_.ValuesChanged();
                if (!result.done) Say(result.problem);
            });
        changes_->setAttribute(Qt::WA_DeleteOnClose);
    }
    changes_->Refresh();
    changes_->show();
    changes_->raise();
}

bool EditCommands::SaveChanges() {
    if (!session_.HasUnsavedChanges()) {
        Say("There are no changes to save.");
        return true;
    }
    SaveWay way = askSaveWay ? askSaveWay() : SaveWay::Cancel;
    if (!askSaveWay) {
        QMessageBox box(QMessageBox::Question, QStringLiteral("Save Changes"),
                        QStringLiteral("Save the changed record files into the archives they came from, or "
                                       "together into a new archive?"),
                        QMessageBox::Cancel, &window_.Widget());
        box.setTextFormat(Qt::PlainText);
        QPushButton* into = box.addButton(QStringLiteral("Into Their Archives"), QMessageBox::AcceptRole);
        QPushButton* fresh = box.addButton(QStringLiteral("As a New Archive..."), QMessageBox::AcceptRole);
        box.exec();
        way = box.clickedButton() == into    ? SaveWay::IntoArchives
              : box.clickedButton() == fresh ? SaveWay::NewArchive
                                             : SaveWay::Cancel;
    }
    const std::string& folder = window_.TableLoader().ArchiveFolder();
    const std::vector<ChangedFile> files = ChangedFiles(session_);
    if (way == SaveWay::IntoArchives) {
        const SaveOutcome outcome = SaveIntoArchives(files, folder);
        if (!outcome.ok) {
            window_.ShowMessage(outcome.message);
            return false;
        }
        Saved();
        Say("Saved into " + std::to_string(outcome.written.size()) + " archive" +
            (outcome.written.size() == 1 ? "" : "s"));
        return true;
    }
    if (way == SaveWay::NewArchive) {
        const QString start = QDir(QFile::decodeName(folder.c_str())).absolutePath();
        const QString target = askNewArchive ? askNewArchive(start)
                                             : QFileDialog::getSaveFileName(
                                                   &window_.Widget(), QStringLiteral("Save Changes as a New Archive"),
                                                   start, QStringLiteral("Archives (*.hpi *.ufo *.ccx)"));
        if (target.isEmpty()) return false;
        const std::filesystem::path path(QFile::encodeName(target).toStdString());
        std::vector<std::string> harvested;  // a load keeps the first copy of a name met in any of these
        for (const std::string& f : window_.TableLoader().State().hpiFolders)
            if (!f.empty()) harvested.push_back(f);
        const NewArchiveOutcome outcome = SaveAsNewArchive(files, path, folder, harvested);
        if (!outcome.ok) {
            window_.ShowMessage(outcome.message);
            return false;
        }
        Saved();
        const std::string shadow = ShadowMessage(outcome.plan, path.filename().string());
        if (!shadow.empty()) window_.ShowMessage(shadow);
        Say("Saved as " + path.filename().string());
        return true;
    }
    return false;
}

bool EditCommands::MayReplaceTable() {
    if (!session_.HasUnsavedChanges()) return true;
    Unsaved answer = Unsaved::Cancel;
    if (askUnsaved) {
        answer = askUnsaved();
    } else {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Lorvex"),
                        QStringLiteral("The table has changes that are not saved."),
                        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, &window_.Widget());
        box.setTextFormat(Qt::PlainText);
        box.setDefaultButton(QMessageBox::Save);
        const int button = box.exec();
        answer = button == QMessageBox::Save      ? Unsaved::Save
                 : button == QMessageBox::Discard ? Unsaved::Discard
                                                  : Unsaved::Cancel;
    }
    if (answer == Unsaved::Save) return SaveChanges();
    return answer == Unsaved::Discard;
}

}  // namespace lorvex
