#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <filesystem>
#include <tuple>

#include "app/edit/CellEditorDialog.h"
#include "app/edit/ChangesWindow.h"
#include "app/edit/EditCommands.h"
#include "app/filter/FilterBar.h"
#include "app/game/GameShell.h"
#include "app/view/TableConveniences.h"
#include "tests/app/AppTestSupport.h"

namespace lorvex::testkit {
namespace {

namespace fs = std::filesystem;

const char* kEditCfg =
    "hpifolder=units;\nextension=.fbi;\nshowunusedtags=1;\n"
    "[headertext]\n{\nname=Record;\n}\n"
    "[string]\n{\nname=Name;\ntag=name;\n}\n"
    "[numeric]\n{\nname=Cost;\ntag=cost;\ndecimals=2;\n}\n"
    "[symbolic]\n{\nname=Move;\ntag=move;\nsymbol(0)=Ground;\nsymbol(1)=Air;\n}\n"
    "[multibool]\n{\nname=Flags;\ntagfor(Fly)=canfly;\ntagfor(Swim)=canswim;\n}\n"
    "[math]\n{\nname=Double;\nequation=cost (2) *;\ndecimals=1;\n}\n"
    "[boolean]\n{\nname=Builder;\ntag=builder;\n}\n";

// Rows as loaded: delta (more.ufo is read before base.hpi), alpha, beta, gamma.
constexpr int kDelta = 0, kAlpha = 1;

class EditWindow : public WindowTest {
protected:
    using Answer = std::function<void(CellEditorDialog&)>;
    void SetUp() override {
        ASSERT_TRUE(WriteArchive("../base.hpi", {{"units\\a.fbi",
                                                  "[ALPHA]\r\n{\r\n\tName=alpha;\r\n\tCost=10.50; // dear\r\n"
                                                  "\tSight=3;\r\n}\r\n" +
                                                      Unit("BETA", "beta", "2.5")},
                                                 {"units\\b.fbi", Unit("GAMMA", "gamma", "7")}}));
        GameFolder::Write("edit.cfg", kEditCfg);
        OpenAgain();
    }
    // Opens the window when it is not (a way out closed it), the question about unsaved changes answered by `answer`.
    void OpenAgain() {
        if (!window || !window->isVisible()) Open("edit.cfg");
        edits().askUnsaved = [this] { return ++asked, answer; };
    }
    EditCommands& edits() { return *window->Edits(); }
    int Col(const std::string& heading) {
        for (int c = 0; c < Data().ColumnCount(); ++c)
            if (Data().Column(c).heading == heading) return c;
        return -1;
    }
    std::string CellAt(int row, const std::string& heading) { return std::string(Data().Cell(row, Col(heading))); }
    // A record's row wherever a load put it.
    int RowOf(const std::string& record) {
        for (int r = 0; r < Data().RowCount(); ++r)
            if (CellAt(r, "Record") == record) return r;
        return -1;
    }
    // F2 on the cell, the editor answered by `answer` (nothing: the user cancels).
    void Edit(int row, const std::string& heading, Answer answerWith) {
        Data().SetFocusedRow(row);
        window->View()->SetCurrentColumn(Col(heading));
        edits().runEditor = [&](CellEditorDialog& d) {
            opened = &d;
            if (!answerWith) return false;
            answerWith(d);
            d.accept();
            return d.result() == QDialog::Accepted;
        };
        opened = nullptr;
        QApplication::setActiveWindow(window.get());
        window->View()->setFocus();
        QTest::keyClick(window->View(), Qt::Key_F2);
    }
    static Answer Type(const char* text) {
        return [text](CellEditorDialog& d) { d.Line()->setText(text); };
    }
    bool Tinted(int row, const std::string& heading) {
        QColor colour;
        return edits().TintFor(row, Col(heading), &colour) && edits().MarkFor(row, Col(heading));
    }

    CellEditorDialog* opened = nullptr;
    EditCommands::Unsaved answer = EditCommands::Unsaved::Cancel;
    int asked = 0;
};

TEST_F(EditWindow, EachColumnKindOpensItsEditorOrSaysWhy) {
    struct Case {
        const char* why;
        const char* heading;
        Answer answer;       // null: no editor may open
        const char* cell;    // the cell afterwards
        const char* status;  // a part of the status line, or ""
    };
    const Case cases[] = {
        {"the editor starts from the value as written, not the rounded cell", "Cost",
         [](CellEditorDialog& d) {
             EXPECT_EQ(d.Line()->text(), "10.50");
             d.Line()->setText("12.25");
         },
         "12.25", ""},
        {"the equation follows the edit at once", "Double", nullptr, "24.5", "computed by its equation"},
        {"a text", "Name", Type("alpha prime"), "alpha prime", ""},
        {"a symbol is a choice that writes its number", "Move",
         [](CellEditorDialog& d) {
             ASSERT_TRUE(d.Choices());
             EXPECT_EQ(d.Choices()->count(), 2);
             d.Choices()->setCurrentIndex(1);
         },
         "Air", ""},
        {"flags are a checklist", "Flags",
         [](CellEditorDialog& d) {
             ASSERT_TRUE(d.Flags());
             d.Flags()->item(1)->setCheckState(Qt::Checked);
         },
         "Swim", ""},
        {"a boolean is a choice of its two texts", "Builder",
         [](CellEditorDialog& d) { d.Choices()->setCurrentIndex(1); }, "X", ""},
        {"an unclaimed key's column", "Sight", Type("5"), "5", ""},
        {"the block name is no value", "Record", nullptr, "ALPHA", "block header"},
        {"nor where the record was found", "Located In", nullptr, "base.hpi  ::  a.fbi", "Located In"},
        {"nor its line", "Line #", nullptr, "1", "Line #"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        window->StatusLabel()->clear();
        Edit(kAlpha, c.heading, c.answer);
        EXPECT_EQ(opened != nullptr, c.answer != nullptr);
        EXPECT_EQ(CellAt(kAlpha, c.heading), c.cell);
        EXPECT_TRUE(window->StatusLabel()->text().contains(QString::fromLatin1(c.status)))
            << window->StatusLabel()->text().toStdString();
        if (c.answer) {
            EXPECT_TRUE(Tinted(kAlpha, c.heading));
            EXPECT_TRUE(edits().TipFor(kAlpha, Col(c.heading)).startsWith("Was: "));
        }
    }
    EXPECT_EQ(edits().TipFor(kAlpha, Col("Cost")), "Was: 10.50");
    EXPECT_EQ(edits().TipFor(kAlpha, Col("Move")), "Was: (not in the record)");
    EXPECT_FALSE(Tinted(kAlpha + 1, "Cost")) << "the other record of the file is not edited";
    EXPECT_FALSE(Tinted(kAlpha, "Double")) << "an equation is not an edited value";

    // A number editor keeps itself open on what is no number, and says why.
    Edit(kDelta, "Cost", [](CellEditorDialog& d) { d.Line()->setText("abc"); });
    ASSERT_TRUE(opened);
    EXPECT_EQ(CellAt(kDelta, "Cost"), "0.5");
    EXPECT_FALSE(Tinted(kDelta, "Cost"));
}

TEST_F(EditWindow, ChangesListsEveryEditAndRevertsOne) {
    Edit(kAlpha, "Cost", Type("11"));
    Edit(kDelta, "Name", Type("delta two"));
    edits().changesAction->trigger();
    ChangesWindow* changes = edits().Changes();
    ASSERT_TRUE(changes);
    QTableWidget* list = changes->Table();
    ASSERT_EQ(list->rowCount(), 2);
    const auto row = [&](int r) {
        QStringList texts;
        for (int c = 0; c < list->columnCount(); ++c) texts << list->item(r, c)->text();
        return texts.join('|').toStdString();
    };
    EXPECT_EQ(row(0), "ALPHA|cost|10.50|11|units\\a.fbi|..\\base.hpi");
    EXPECT_EQ(row(1), "DELTA|name|delta|delta two|units\\c.fbi|..\\more.ufo");
    list->setCurrentCell(0, 0);
    changes->RevertButton()->click();
    EXPECT_EQ(list->rowCount(), 1);
    EXPECT_EQ(CellAt(kAlpha, "Cost"), "10.5");
    EXPECT_FALSE(Tinted(kAlpha, "Cost"));
    EXPECT_TRUE(Tinted(kDelta, "Name"));
    // Reverting is undone like an edit.
    edits().undoAction->trigger();
    EXPECT_EQ(CellAt(kAlpha, "Cost"), "11");
    EXPECT_EQ(list->rowCount(), 2);
}

TEST_F(EditWindow, UndoAndRedoTakeEditsAndRemovalsInTurn) {
    Edit(kAlpha, "Cost", Type("11"));
    Data().SelectAll(false);
    Data().SetSelected(kDelta, true);
    window->Menu().removeHighlighted->trigger();
    ASSERT_EQ(Data().RowCount(), 3);
    EXPECT_EQ(CellAt(0, "Cost"), "11") << "alpha moved up";
    const std::string removed = Lit(3, 0);
    EXPECT_EQ(Status(), removed);

    edits().undoAction->trigger();
    ASSERT_EQ(Data().RowCount(), 4);
    EXPECT_EQ(CellAt(kDelta, "Name"), "delta");
    EXPECT_TRUE(Data().IsSelected(kDelta)) << "the row comes back highlighted";
    EXPECT_EQ(Status(), Lit(4, 1));
    edits().undoAction->trigger();
    EXPECT_EQ(CellAt(kAlpha, "Cost"), "10.5");
    EXPECT_FALSE(edits().undoAction->isEnabled());
    EXPECT_FALSE(edits().HasUnsavedChanges());

    edits().redoAction->trigger();
    edits().redoAction->trigger();
    EXPECT_EQ(Data().RowCount(), 3);
    EXPECT_EQ(CellAt(0, "Cost"), "11");
    EXPECT_FALSE(edits().redoAction->isEnabled());
}

// The filter follows an edit at once, and its undo.
TEST_F(EditWindow, AnOpenFilterFollowsEditsAndUndo) {
    FilterBar* filter = window->Conveniences()->Filter();
    filter->Open();
    filter->line->setText(QStringLiteral("Cost > 10"));
    filter->Apply();
    ASSERT_FALSE(Data().IsHidden(kAlpha));
    Edit(kAlpha, "Cost", Type("5"));
    EXPECT_TRUE(Data().IsHidden(kAlpha)) << "alpha no longer holds for the filter";
    edits().undoAction->trigger();
    EXPECT_FALSE(Data().IsHidden(kAlpha));
    filter->Close();
}

TEST_F(EditWindow, EveryWayOutAsksAboutUnsavedChangesAndCancelKeepsThem) {
    const auto escape = [this] {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &key);
    };
    struct Way {
        const char* why;
        std::function<void()> go;
        bool ends;  // the window goes; otherwise the table is loaded again
    };
    const Way ways[] = {
        {"Select Configuration File", [this] { Load("edit.cfg"); }, false},
        {"Reload (F5)", [this] { window->Conveniences()->reloadAction->trigger(); }, false},
        {"another game: a load from other archives",
         [this] {
             window->SetArchiveFolder("..");
             window->LoadRun();
         },
         false},
        {"closing the window", [this] { window->close(); }, true},
        {"Escape", escape, true},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.why);
        OpenAgain();
        asked = 0;
        way.go();  // nothing changed: nobody is asked
        EXPECT_EQ(asked, 0);
        OpenAgain();
        Edit(kAlpha, "Cost", Type("11"));
        answer = EditCommands::Unsaved::Cancel;
        way.go();
        EXPECT_EQ(asked, 1);
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(CellAt(kAlpha, "Cost"), "11");
        EXPECT_TRUE(edits().HasUnsavedChanges());
        answer = EditCommands::Unsaved::Discard;
        way.go();
        EXPECT_EQ(asked, 2);
        EXPECT_EQ(window->isVisible(), !way.ends);
        if (!way.ends) {
            EXPECT_EQ(CellAt(kAlpha, "Cost"), "10.5") << "discarded and loaded again";
            EXPECT_FALSE(edits().HasUnsavedChanges());
        }
    }
}

// Opening another game goes through the game shell: it asks before it
// leaves this game, and Cancel leaves the game, its folder and the edits.
TEST_F(EditWindow, OpeningAnotherGameAsksAndCancelKeepsThisGame) {
    const fs::path other = game.Root() / "other";
    fs::create_directories(other / "Lorvex");
    ASSERT_TRUE(WriteArchive((other / "base.hpi").string(), {{"units\\a.fbi", Unit("ALPHA", "other alpha", "99")}}));
    GameFolder::Write(other / "Lorvex" / "edit.cfg", kEditCfg);
    QSettings settings;
    game::GameShell shell(*window, settings, [](const QString& m) { ADD_FAILURE() << m.toStdString(); },
                          QString::fromStdString((game.Root() / "data").string()), {});
    shell.SetChooser(&chooser);
    chooser.name = "edit.cfg";
    Edit(kAlpha, "Cost", Type("11"));
    const fs::path here = fs::current_path();
    answer = EditCommands::Unsaved::Cancel;
    shell.SwitchToGame(QString::fromStdString(other.string()));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(fs::current_path(), here) << "still this game's folder";
    EXPECT_EQ(CellAt(kAlpha, "Cost"), "11");
    answer = EditCommands::Unsaved::Discard;
    shell.SwitchToGame(QString::fromStdString(other.string()));
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(CellAt(0, "Name"), "other alpha");
    EXPECT_FALSE(edits().HasUnsavedChanges());
}

TEST_F(EditWindow, BothSavesThenAReloadShowsTheNewValues) {
    const std::string before = GameFolder::Read("../more.ufo");
    Edit(kAlpha, "Cost", Type("11"));
    Edit(kDelta, "Cost", Type("0.75"));
    edits().askSaveWay = [] { return EditCommands::SaveWay::IntoArchives; };
    edits().saveAction->trigger();
    EXPECT_FALSE(edits().HasUnsavedChanges());
    EXPECT_FALSE(edits().undoAction->isEnabled()) << "an undo would show a value the archive no longer holds";
    edits().Undo();
    EXPECT_EQ(CellAt(kAlpha, "Cost"), "11");
    EXPECT_TRUE(fs::exists("../base.hpi.bak"));
    EXPECT_EQ(GameFolder::Read("../more.ufo.bak"), before) << "the original kept once";
    EXPECT_TRUE(messages.texts.empty());
    window->Conveniences()->reloadAction->trigger();
    EXPECT_EQ(asked, 0) << "saved: nothing to ask";
    EXPECT_EQ(CellAt(kAlpha, "Cost"), "11");
    EXPECT_EQ(CellAt(kDelta, "Cost"), "0.75");

    // As a new archive read before the others: a reload shows it.
    Edit(RowOf("ALPHA"), "Name", Type("alpha new"));
    edits().askSaveWay = [] { return EditCommands::SaveWay::NewArchive; };
    edits().askNewArchive = [](const QString&) { return QStringLiteral("../aa.ccx"); };
    edits().saveAction->trigger();
    EXPECT_TRUE(messages.texts.empty()) << "nothing shadows a .ccx: "
                                        << (messages.texts.empty() ? "" : messages.texts[0]);
    EXPECT_EQ(GameFolder::Read("../base.hpi.bak").empty(), false);
    window->Conveniences()->reloadAction->trigger();
    EXPECT_EQ(CellAt(RowOf("ALPHA"), "Name"), "alpha new");
    EXPECT_EQ(CellAt(RowOf("ALPHA"), "Located In"), "aa.ccx  ::  a.fbi");

    // Read after the archive that holds the file: the save says so.
    Edit(RowOf("ALPHA"), "Name", Type("shadowed"));
    edits().askNewArchive = [](const QString&) { return QStringLiteral("../zz.hpi"); };
    edits().saveAction->trigger();
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_NE(messages.texts[0].find("aa.ccx"), std::string::npos) << messages.texts[0];
}

// The demo game in the window: an edit re-reads one record file, and every
// other row keeps every cell (flag columns too, whose state the parser keeps
// between records).
class DemoEditWindow : public WindowTest {
protected:
    void SetUp() override {
        for (const auto& e : fs::directory_iterator(LORVEX_DEMO_GAME))
            if (e.is_regular_file() && e.path().extension() != ".cfg")
                fs::copy_file(e.path(), fs::path("..") / e.path().filename(), fs::copy_options::overwrite_existing);
        fs::copy_file(fs::path(LORVEX_DEMO_CONFIG) / "units.cfg", "demo.cfg");
        Open("demo.cfg");
    }
};

TEST_F(DemoEditWindow, AnEditChangesNoOtherRow) {
    std::vector<std::string> before;
    for (int r = 0; r < Data().RowCount(); ++r) before.push_back(RowText(Data(), r));
    EditCommands& edits = *window->Edits();
    for (const auto& [row, column, value] : {std::tuple{1, 4, "9.5"}, {3, 5, "4000"}, {7, 6, "7.5"}}) {
        edits.runEditor = [&](CellEditorDialog& d) {
            d.Line()->setText(value);
            return true;
        };
        edits.EditCell(row, column);
        EXPECT_EQ(std::string(Data().Cell(row, column)), value);
        for (int r = 0; r < Data().RowCount(); ++r)
            if (r != 1 && r != 3 && r != 7) {
                EXPECT_EQ(RowText(Data(), r), before[static_cast<std::size_t>(r)]) << r;
            }
    }
}

}  // namespace
}  // namespace lorvex::testkit
