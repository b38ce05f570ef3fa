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

}  // namespace

ExportDialog::ExportDialog(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setWindowTitle(QStringLiteral("Export Table"));
    const DialogUnits du;
    setFixedSize(du.X(339), du.Y(184));

    du.Place(MakeLabel(this, "Exports the table contents as a tab-delimited file"), 7, 7, 325, 8);

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

    fileNameEdit->setText(QString::fromLatin1(kDefaultFileName.data(), static_cast<qsizetype>(kDefaultFileName.size())));
    fileNameEdit->setFocus();
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
    fileNameEdit->setText(BytesToBoxText(kHtmlFileName));
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
    if (settings_) {
        ExportSettings& s = *settings_;
        if (!browsedPath_.isEmpty() && fileNameEdit->text() == browsedPath_) {
            s.fileName = QFile::encodeName(browsedPath_).toStdString();
        } else {
            s.fileName = BoxTextToBytes(fileNameEdit->text());
            if (s.fileName.size() > kMaxFileName) s.fileName.resize(kMaxFileName);
        }
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
    if (format_ == ExportFormat::Delimited) delimitedEnding_ = ending(name);
    const std::string_view wanted = FormatEnding(format);
    const QString newEnding = format == ExportFormat::Delimited
                                  ? delimitedEnding_
                                  : QString::fromLatin1(wanted.data(), static_cast<qsizetype>(wanted.size()));
    SetFileName(QString::fromStdString(WithEnding(name.toStdString(), newEnding.toStdString())));
    format_ = format;

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
    const QString chosen = chooseSavePath ? chooseSavePath(start)
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
