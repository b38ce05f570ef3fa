#include "export/ExportDialog.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <array>
#include <optional>
#include <utility>

#include "ui/DialogText.h"
#include "ui/DialogUnits.h"

namespace lorvex {
namespace {

QPlainTextEdit* MakeBox(QWidget* parent, const char* name, bool scrollsDown) {
    auto* box = new QPlainTextEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    box->setTabChangesFocus(true);
    box->setVerticalScrollBarPolicy(scrollsDown ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return box;
}

QCheckBox* MakeCheck(QWidget* parent, const char* name, const char* text) {
    auto* box = new QCheckBox(QString::fromLatin1(text), parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

QLabel* MakeLabel(QWidget* parent, const char* text) { return new QLabel(QString::fromLatin1(text), parent); }

QString Latin(std::string_view text) { return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())); }

// Each format's name in the settings (as FormatFromName reads it) and the
// dialog's first line while it is chosen.
struct FormatText {
    ExportFormat format;
    const char* name;
    const char* label;
};
constexpr FormatText kFormatTexts[] = {
    {ExportFormat::Delimited, "tsv", "Exports the table contents as a tab-delimited file"},
    {ExportFormat::Csv, "csv", "Exports the table contents as a CSV file"},
    {ExportFormat::Markdown, "markdown", "Exports the table contents as a Markdown file"},
    {ExportFormat::Html, "html", "Exports the table contents as an HTML (escaped) file"},
};

const FormatText& TextOf(ExportFormat format) {
    for (const FormatText& text : kFormatTexts)
        if (text.format == format) return text;
    return kFormatTexts[0];
}

// The settings' names of what is kept besides the format and the folder.
constexpr const char* kFormatKey = "format";
constexpr const char* kFolderKey = "folder";
constexpr const char* kHtmlTableKey = "htmlTable";

}  // namespace

ExportDialog::ExportDialog(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setWindowTitle(QStringLiteral("Export Table"));
    const DialogUnits du;
    setFixedSize(du.X(339), du.Y(184));

    formatLabel = MakeLabel(this, TextOf(ExportFormat::Delimited).label);
    du.Place(formatLabel, 7, 7, 325, 8);

    du.Place(MakeLabel(this, "Save table as..."), 7, 23, 60, 8);
    fileNameEdit = new QLineEdit(this);
    fileNameEdit->setObjectName(QStringLiteral("fileNameEdit"));
    du.Place(fileNameEdit, 70, 21, 208, 12);
    browseButton = new QPushButton(QStringLiteral("Browse..."), this);
    browseButton->setAutoDefault(false);
    du.Place(browseButton, 282, 20, 50, 14);

    includeCollapsedBox = MakeCheck(this, "includeCollapsedBox", "Include collapsed columns");
    du.Place(includeCollapsedBox, 7, 40, 150, 10);
    onlyHighlightedBox = MakeCheck(this, "onlyHighlightedBox", "Export only hilighted rows");
    du.Place(onlyHighlightedBox, 172, 40, 160, 10);

    customDelimitersBox = MakeCheck(this, "customDelimitersBox", "Use custom delimiting text:");
    du.Place(customDelimitersBox, 7, 58, 150, 10);
    du.Place(MakeLabel(this, "column"), 7, 75, 30, 8);
    columnDelimiterEdit = MakeBox(this, "columnDelimiterEdit", false);
    du.Place(columnDelimiterEdit, 38, 72, 120, 28);
    du.Place(MakeLabel(this, "row"), 7, 109, 30, 8);
    rowDelimiterEdit = MakeBox(this, "rowDelimiterEdit", false);
    du.Place(rowDelimiterEdit, 38, 106, 120, 38);

    customHeaderBox = MakeCheck(this, "customHeaderBox", "Use custom Header/Trailer");
    du.Place(customHeaderBox, 172, 58, 160, 10);
    du.Place(MakeLabel(this, "Header"), 172, 75, 28, 8);
    headerEdit = MakeBox(this, "headerEdit", true);
    du.Place(headerEdit, 202, 72, 130, 34);
    du.Place(MakeLabel(this, "Trailer"), 172, 113, 28, 8);
    trailerEdit = MakeBox(this, "trailerEdit", true);
    du.Place(trailerEdit, 202, 110, 130, 34);
    for (QPlainTextEdit* box : {columnDelimiterEdit, rowDelimiterEdit, headerEdit, trailerEdit})
        box->installEventFilter(this);

    htmlButton = new QPushButton(QStringLiteral("As HTML Table"), this);
    htmlButton->setAutoDefault(false);
    du.Place(htmlButton, 7, 151, 70, 14);
    struct FormatChoice {
        QPushButton*& button;
        const char* text;
        ExportFormat format;
        int x, width;
    } choices[] = {{csvButton, "CSV", ExportFormat::Csv, 81, 30},
                   {markdownButton, "Markdown", ExportFormat::Markdown, 115, 40},
                   {escapedHtmlButton, "HTML (escaped)", ExportFormat::Html, 159, 58}};
    for (FormatChoice& choice : choices) {
        choice.button = new QPushButton(QString::fromLatin1(choice.text), this);
        choice.button->setCheckable(true);
        choice.button->setAutoDefault(false);
        du.Place(choice.button, choice.x, 151, choice.width, 14);
        connect(choice.button, &QPushButton::clicked, this, [this, f = choice.format] { OnFormatButton(f); });
    }
    okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setDefault(true);
    du.Place(okButton, 228, 151, 50, 14);
    cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton->setAutoDefault(false);
    du.Place(cancelButton, 282, 151, 50, 14);

    // Below the CSV button it belongs to; off unless CSV is chosen.
    keepFormulasBox = MakeCheck(this, "keepFormulasBox", "Keep formulas in CSV");
    keepFormulasBox->setEnabled(false);
    du.Place(keepFormulasBox, 81, 169, 150, 10);

    connect(htmlButton, &QPushButton::clicked, this, [this] { OnAsHtmlTable(); });
    connect(browseButton, &QPushButton::clicked, this, [this] { OnBrowse(); });
    connect(okButton, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(cancelButton, &QPushButton::clicked, this, [this] { reject(); });

    Suggest(Latin(kDefaultFileName));
    fileNameEdit->setFocus();
}

void ExportDialog::SetConfiguration(std::string_view configName) {
    const std::size_t slash = configName.find_last_of("/\\");
    const std::string_view file = slash == std::string_view::npos ? configName : configName.substr(slash + 1);
    if (file.empty()) return;
    configBase_ = BytesToBoxText(WithEnding(file, ""));
    // One group per name however it is written; percent signs keep the
    // settings' own separators out of it.
    const QByteArray folded = BytesToBoxText(file).toCaseFolded().toUtf8().toPercentEncoding();
    settingsKey_ = Latin(kSettingsGroup) + QLatin1Char('/') + QString::fromLatin1(folded) + QLatin1Char('/');
    Restore();
}

// The check boxes and texts kept as they were at the last OK.
struct ExportDialog::Kept {
    static auto Boxes(ExportDialog& d) {
        return std::array<std::pair<QCheckBox*, const char*>, 5>{{{d.includeCollapsedBox, "includeCollapsed"},
                                                                  {d.onlyHighlightedBox, "onlyHighlighted"},
                                                                  {d.customDelimitersBox, "customDelimiters"},
                                                                  {d.customHeaderBox, "customHeader"},
                                                                  {d.keepFormulasBox, "keepFormulas"}}};
    }
    static auto Texts(ExportDialog& d) {
        return std::array<std::pair<QPlainTextEdit*, const char*>, 4>{{{d.columnDelimiterEdit, "columnDelimiter"},
                                                                       {d.rowDelimiterEdit, "rowDelimiter"},
                                                                       {d.headerEdit, "header"},
                                                                       {d.trailerEdit, "trailer"}}};
    }
};

void ExportDialog::Restore() {
    QSettings settings;
    settings.beginGroup(settingsKey_);
    // Nothing kept yet reads as the defaults: the dialog as it always was.
    for (const auto& [box, key] : Kept::Boxes(*this)) box->setChecked(settings.value(QLatin1String(key)).toBool());
    for (const auto& [box, key] : Kept::Texts(*this))
        box->setPlainText(settings.value(QLatin1String(key)).toString().left(kMaxKeptText));
    htmlPreset_ = settings.value(QLatin1String(kHtmlTableKey)).toBool();
    // A folder since removed, or a damaged entry, leaves the file where it always went.
    const QString folder = settings.value(QLatin1String(kFolderKey)).toString();
    if (folder.endsWith(QLatin1Char('/')) && QDir::isAbsolutePath(folder) && QFileInfo(folder).isDir())
        folder_ = folder;
    Suggest(Suggestion(ExportFormat::Delimited));
    const std::optional<ExportFormat> format =
        FormatFromName(settings.value(QLatin1String(kFormatKey)).toString().toStdString());
    SetFormat(format.value_or(ExportFormat::Delimited));
}

void ExportDialog::Remember(const QString& chosenPath) {
    if (settingsKey_.isEmpty()) return;
    QSettings settings;
    settings.beginGroup(settingsKey_);
    settings.setValue(QLatin1String(kFormatKey), QLatin1String(TextOf(format_).name));
    // A bare name keeps going to the current folder, as it always did.
    const qsizetype slash = chosenPath.lastIndexOf(QLatin1Char('/'));
    QString folder;
    if (slash >= 0) {
        folder = QDir::cleanPath(QDir::current().absoluteFilePath(chosenPath.left(slash + 1)));
        if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    }
    settings.setValue(QLatin1String(kFolderKey), folder);
    for (const auto& [box, key] : Kept::Boxes(*this)) settings.setValue(QLatin1String(key), box->isChecked());
    for (const auto& [box, key] : Kept::Texts(*this)) settings.setValue(QLatin1String(key), box->toPlainText());
    settings.setValue(QLatin1String(kHtmlTableKey), htmlPreset_);
}

QString ExportDialog::Suggestion(ExportFormat format) const {
    if (format != ExportFormat::Delimited) {
        const QString base = configBase_.isEmpty() ? Latin(WithEnding(kDefaultFileName, "")) : configBase_;
        return folder_ + base + Latin(FormatEnding(format));
    }
    const bool presetUsed = htmlPreset_ && (customDelimitersBox->isChecked() || customHeaderBox->isChecked());
    return folder_ + Latin(presetUsed ? kHtmlFileName : kDefaultFileName);
}

void ExportDialog::Suggest(const QString& path) {
    suggested_ = path;
    // A kept folder is a path the user chose: used whole, like a browsed one.
    if (!folder_.isEmpty()) browsedPath_ = path;
    fileNameEdit->setText(path);
}

bool ExportDialog::RunExportDialog(ExportSettings& settings) {
    settings_ = &settings;
    const bool ok = exec() == QDialog::Accepted;
    settings_ = nullptr;
    return ok;
}

void ExportDialog::OnAsHtmlTable() {
    SetFormat(ExportFormat::Delimited);  // the preset is delimited text
    customHeaderBox->setChecked(true);
    customDelimitersBox->setChecked(true);
    columnDelimiterEdit->setPlainText(BytesToBoxText(kHtmlColumn));
    rowDelimiterEdit->setPlainText(BytesToBoxText(kHtmlRow));
    headerEdit->setPlainText(BytesToBoxText(kHtmlHeader));
    trailerEdit->setPlainText(BytesToBoxText(kHtmlTrailer));
    Suggest(folder_ + Latin(kHtmlFileName));
    htmlPreset_ = true;
}

std::string ExportDialog::SettingText(const QString& boxText, std::size_t limit) {
    QString text = boxText;
    text.replace(QLatin1Char('\r'), QString());
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    std::string bytes = BoxTextToBytes(text);
    if (bytes.size() > limit) bytes.resize(limit);
    std::erase(bytes, '\r');
    return bytes;
}

void ExportDialog::OnOK() {
    const bool browsed = !browsedPath_.isEmpty() && fileNameEdit->text() == browsedPath_;
    std::string fileName =
        browsed ? QFile::encodeName(browsedPath_).toStdString() : BoxTextToBytes(fileNameEdit->text());
    if (!browsed && fileName.size() > kMaxFileName) fileName.resize(kMaxFileName);
    Remember(browsed ? browsedPath_ : BytesToBoxText(fileName));
    if (settings_) {
        ExportSettings& s = *settings_;
        s.fileName = fileName;
        s.format = format_;
        s.csvFormulas = format_ == ExportFormat::Csv && keepFormulasBox->isChecked();
        // The preset's HTML only frames the cells while one of its boxes is still used.
        s.escapeHtmlCells = format_ == ExportFormat::Delimited && htmlPreset_ &&
                            (customDelimitersBox->isChecked() || customHeaderBox->isChecked());
        if (customDelimitersBox->isChecked()) {
            s.rowDelimiter = SettingText(rowDelimiterEdit->toPlainText(), kMaxText);
            s.columnDelimiter = SettingText(columnDelimiterEdit->toPlainText(), kMaxText);
        } else {
            s.rowDelimiter = "\n";
            s.columnDelimiter = "\t";
        }
        if (customHeaderBox->isChecked()) {
            s.header = SettingText(headerEdit->toPlainText(), kMaxText);
            s.trailer = SettingText(trailerEdit->toPlainText(), kMaxText);
        } else {
            s.header.clear();
            s.trailer.clear();
        }
        s.onlyHighlighted = onlyHighlightedBox->isChecked();
        s.includeCollapsed = includeCollapsedBox->isChecked();
    }
    accept();
}

void ExportDialog::OnFormatButton(ExportFormat format) {
    SetFormat(format == format_ ? ExportFormat::Delimited : format);
}

void ExportDialog::SetFormat(ExportFormat format) {
    if (format == format_) return;
    const auto ending = [](const QString& name) {
        const std::string bytes = name.toStdString();
        const std::string bare = WithEnding(bytes, "");
        return QString::fromStdString(bytes.substr(bare.size()));
    };
    const QString name = fileNameEdit->text();
    // A name the dialog suggested gives way to the one the new format suggests;
    // a name the user gave only changes its ending.
    const bool suggested = !settingsKey_.isEmpty() && name == suggested_;
    if (format_ == ExportFormat::Delimited) {
        delimitedEnding_ = ending(name);
        delimitedName_ = name;
    }
    if (suggested) {
        Suggest(format == ExportFormat::Delimited ? delimitedName_ : Suggestion(format));
    } else {
        const QString newEnding = format == ExportFormat::Delimited ? delimitedEnding_ : Latin(FormatEnding(format));
        SetFileName(QString::fromStdString(WithEnding(name.toStdString(), newEnding.toStdString())));
    }
    format_ = format;
    formatLabel->setText(QLatin1String(TextOf(format).label));

    csvButton->setChecked(format == ExportFormat::Csv);
    markdownButton->setChecked(format == ExportFormat::Markdown);
    escapedHtmlButton->setChecked(format == ExportFormat::Html);
    // The formats bring their own separators: the delimiter texts do not apply.
    const bool delimited = format == ExportFormat::Delimited;
    for (QWidget* w : std::initializer_list<QWidget*>{customDelimitersBox, customHeaderBox, columnDelimiterEdit,
                                                      rowDelimiterEdit, headerEdit, trailerEdit})
        w->setEnabled(delimited);
    keepFormulasBox->setEnabled(format == ExportFormat::Csv);
}

void ExportDialog::SetFileName(const QString& name) {
    // A browsed path stays whole while only its ending changes.
    if (!browsedPath_.isEmpty() && fileNameEdit->text() == browsedPath_) browsedPath_ = name;
    fileNameEdit->setText(name);
}

void ExportDialog::OnBrowse() {
    const QString start = QFileInfo(QDir::current(), fileNameEdit->text()).absoluteFilePath();
    const QString chosen = chooseSavePath
                               ? chooseSavePath(start)
                               : QFileDialog::getSaveFileName(this, QStringLiteral("Save table as..."), start);
    if (chosen.isEmpty()) return;
    browsedPath_ = chosen;
    fileNameEdit->setText(chosen);
}

bool ExportDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    // Tab moves to the next control; Ctrl+Tab types a TAB into a box.
    if (key->key() == Qt::Key_Tab && (key->modifiers() & Qt::ControlModifier)) {
        if (auto* box = qobject_cast<QPlainTextEdit*>(watched)) {
            box->insertPlainText(QStringLiteral("\t"));
            return true;
        }
    }
    if (watched == trailerEdit) {
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier)) {
                trailerEdit->insertPlainText(QStringLiteral("\n"));
            } else {
                okButton->click();
            }
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace lorvex
