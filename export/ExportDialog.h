#pragma once
// "Export Table": asks for the export's file name, delimiters, header and
// trailer and which columns and rows to write. Lives for one export only; what
// it was last left at is kept per configuration in the program's settings.
#include <QDialog>
#include <functional>
#include <string>
#include <string_view>

#include "export/ExportWriter.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace lorvex {

class ExportDialog : public QDialog {
public:
    explicit ExportDialog(QWidget* parent = nullptr);

    // The loaded configuration (its file name, or a path to it): the dialog
    // starts as the last OK for it left it, and the formats suggest its name.
    // Without one (the default) nothing is kept and the dialog starts as new.
    void SetConfiguration(std::string_view configName);

    // Runs the dialog modally; on OK fills settings and returns true.
    bool RunExportDialog(ExportSettings& settings);

    // Fills in the texts that make an HTML table; the dialog stays open.
    void OnAsHtmlTable();
    // Fills the settings from the controls, then closes with OK.
    void OnOK();
    // "CSV", "Markdown" or "HTML (escaped)": that format, with its ending on the
    // file name; pressed again, back to the delimited text and its ending.
    void OnFormatButton(ExportFormat format);
    // "Browse...": picks the file in the save dialog; the chosen path is kept whole.
    void OnBrowse();
    ExportFormat Format() const { return format_; }

    // Stands in for the save dialog (given the path to start from, returns the
    // chosen path or an empty text), so that tests need no user at the keyboard.
    std::function<QString(const QString&)> chooseSavePath;

    // The preset texts, as the boxes hold them (CR LF line breaks).
    static constexpr std::string_view kHtmlColumn = " </TD><TD> ";
    static constexpr std::string_view kHtmlRow = " </TD>\r\n         </TR><TR>\r\n            <TD> ";
    static constexpr std::string_view kHtmlHeader =
        "<HTML>\r\n   <BODY>\r\n      <TABLE border=\"1\">\r\n         <TR>\r\n            <TD> ";
    static constexpr std::string_view kHtmlTrailer =
        " </TD>\r\n         </TR>\r\n      </TABLE>\r\n   </BODY>\r\n</HTML>\r\n";
    static constexpr std::string_view kDefaultFileName = "DavuveRadev.dat";
    static constexpr std::string_view kHtmlFileName = "DavuveRadev.html";
    static constexpr std::size_t kMaxFileName = 63;
    static constexpr std::size_t kMaxText = 127;

    // A box's text as the settings take it: line breaks as CR LF, cut to at
    // most limit characters, then every CR removed.
    static std::string SettingText(const QString& boxText, std::size_t limit);

    // Where the program's settings keep each configuration's last export.
    static constexpr std::string_view kSettingsGroup = "exportDialog";
    // A damaged settings file can hold any length; a box never needs more than this.
    static constexpr qsizetype kMaxKeptText = 4 * static_cast<qsizetype>(kMaxText);

    QLabel* formatLabel = nullptr;  // names the format chosen

    QLineEdit* fileNameEdit = nullptr;
    QCheckBox* includeCollapsedBox = nullptr;
    QCheckBox* onlyHighlightedBox = nullptr;
    QCheckBox* customDelimitersBox = nullptr;
    QCheckBox* customHeaderBox = nullptr;
    QPlainTextEdit* columnDelimiterEdit = nullptr;
    QPlainTextEdit* rowDelimiterEdit = nullptr;
    QPlainTextEdit* headerEdit = nullptr;
    QPlainTextEdit* trailerEdit = nullptr;
    QPushButton* htmlButton = nullptr;
    QPushButton* csvButton = nullptr;
    QPushButton* markdownButton = nullptr;
    QPushButton* escapedHtmlButton = nullptr;
    QPushButton* browseButton = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;
    QCheckBox* keepFormulasBox = nullptr;  // usable while CSV is the format

protected:
    // The trailer box does not take Enter as a line break: Enter presses OK,
    // Shift+Enter or Ctrl+Enter types the line break.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetFormat(ExportFormat format);
    void SetFileName(const QString& name);
    // Puts path in the box as the dialog's own suggestion, which a format may replace.
    void Suggest(const QString& path);
    // The name a format suggests, in the kept folder.
    QString Suggestion(ExportFormat format) const;
    // The last OK's choices for the configuration, and keeping them at OK.
    struct Kept;
    void Restore();
    void Remember(const QString& chosenPath);

    ExportSettings* settings_ = nullptr;
    ExportFormat format_ = ExportFormat::Delimited;
    QString delimitedEnding_;  // the file name's ending before a format replaced it
    QString browsedPath_;      // the path the save dialog gave, while the box still holds it
    bool htmlPreset_ = false;  // "As HTML Table" filled the boxes: the cells go inside HTML
    QString settingsKey_;      // the configuration's group in the settings; empty keeps nothing
    QString configBase_;       // the configuration's name without its ending
    QString folder_;           // the kept folder, with its closing slash, or empty
    QString suggested_;        // the box's text while it is still the dialog's suggestion
    QString delimitedName_;    // the box's text before a format replaced it
};

}  // namespace lorvex
