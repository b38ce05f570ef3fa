#include "app/ExportCommand.h"

#include <QFile>
#include <QLabel>

#include "export/ExportDialog.h"
#include "export/ExportWriter.h"
#include "platform/MessageSink.h"
#include "table/widget/PlainTip.h"

namespace lorvex {

void RunExportCommand(QWidget* window, const TableListCtrl& table, const std::string& configName, QLabel* status,
                      platform::MessageSink& messages) {
    ExportSettings settings;
    ExportDialog dialog(window);
    dialog.SetConfiguration(configName);  // what was chosen last for this configuration
    if (!dialog.RunExportDialog(settings)) return;
    std::string written;
    if (!WriteExport(table, settings, &written)) return messages.ShowMessage("Unable to Create File");
    // Says where the file went until the status line is next refreshed.
    const QString path = QFile::decodeName(written.c_str());
    status->setText(
        status->fontMetrics().elidedText(QStringLiteral("Exported to ") + path, Qt::ElideMiddle, status->width()));
    status->setToolTip(PlainTip(path));
}

}  // namespace lorvex
