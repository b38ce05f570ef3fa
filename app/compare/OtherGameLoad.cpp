#include "app/compare/OtherGameLoad.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <utility>

#include "app/TableWindow.h"
#include "app/UserInput.h"
#include "load/LoadRun.h"
#include "platform/GameFolder.h"
#include "table/TableListCtrl.h"
#include "ui/DialogText.h"

namespace lorvex {
namespace {

namespace fs = std::filesystem;

// While the other game loads, the window answers its Cancel button this often.
constexpr qint64 kEventsEveryMs = 50;

// The other game's load: a progress line in the status line and a Cancel
// button beside it. The window takes no other input meanwhile (a command run
// inside the load would change the table it is compared with); Escape cancels.
class OtherGameProgress : public QObject, public LoadView {
public:
    OtherGameProgress(TableWindow& window, QString what) : window_(window), what_(std::move(what)) {}
    ~OtherGameProgress() override { End(); }

    void Begin() {
        QLabel* status = window_.StatusLabel();
        cancel_ = new QPushButton(QStringLiteral("Cancel"), &window_.Widget());
        cancel_->setObjectName(QStringLiteral("compareCancel"));
        cancel_->adjustSize();
        cancel_->move(status->geometry().right() + status->height(),
                      status->geometry().center().y() - cancel_->height() / 2);
        cancel_->show();
        connect(cancel_, &QPushButton::clicked, this, [this] { cancelled_ = true; });
        qApp->installEventFilter(this);
        Show();
        clock_.start();
    }
    void End() {
        qApp->removeEventFilter(this);
        delete cancel_;
        cancel_ = nullptr;
    }

    void SetProgressVisible(bool) override {}
    void SetArchiveLabel(std::string_view text) override { archive_ = BytesToBoxText(text); }
    void SetFileLabel(std::string_view text) override { file_ = BytesToBoxText(text); }
    bool KeepWaiting(std::string_view text) override {
        file_ = BytesToBoxText(text);
        Show();
        QApplication::processEvents(QEventLoop::AllEvents, kWaitStepMs);
        return !cancelled_;
    }
    bool KeepLoading() override {
        if (std::exchange(first_, false) || clock_.elapsed() >= kEventsEveryMs) {
            Show();
            QApplication::processEvents();
            clock_.restart();
        }
        return !cancelled_;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!IsUserInput(event->type(), false) || !watched->isWidgetType() || watched == cancel_ ||
            static_cast<QWidget*>(watched)->window() != &window_.Widget())
            return QObject::eventFilter(watched, event);
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
            cancelled_ = true;
        return true;
    }

private:
    void Show() {
        QLabel* status = window_.StatusLabel();
        status->setText(QStringLiteral("Loading ") + what_ + QStringLiteral(":  ") + archive_ + QStringLiteral(" ") +
                        file_ + QStringLiteral("   (Escape cancels)"));
        status->repaint();
    }

    TableWindow& window_;
    QString what_;
    QString archive_, file_;
    QPushButton* cancel_ = nullptr;
    QElapsedTimer clock_;
    bool cancelled_ = false;
    bool first_ = true;  // the first record file answers at once, however quick the load
};

// The other game's load speaks through the window's messages.
class WindowMessages : public platform::MessageSink {
public:
    explicit WindowMessages(TableWindow& window) : window_(window) {}
    void ShowMessage(std::string_view text) override { window_.ShowMessage(text); }

private:
    TableWindow& window_;
};

}  // namespace

OtherGame LoadOtherGame(TableWindow& window, const QString& folder, const QString& dataLocation,
                        const std::string& config) {
    // Never writable: the other game's folder is only read, its scratch copies go under the data location.
    const QString data =
        dataLocation.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) : dataLocation;
    std::error_code ec;
    const fs::path before = fs::current_path(ec);
    const platform::ComparedGame opened = platform::OpenComparedGame(
        PathOfText(folder), QFile::encodeName(folder).toStdString(), PathOfText(data), before / config);
    if (!opened.game.empty()) fs::current_path(opened.work, ec);
    if (opened.game.empty() || ec) {
        window.ShowMessage(ec ? "Lorvex cannot enter " + opened.work.string() + ": " + ec.message() + "."
                              : opened.problem);
        return {};
    }
    const fs::path work = opened.work;

    OtherGame other{std::make_unique<TableListCtrl>(), -1};
    OtherGameProgress progress(window,
                               BytesToBoxText(config) + QStringLiteral(" from ") + QDir::toNativeSeparators(folder));
    WindowMessages messages(window);
    Loader loader(*other.table, progress, messages);
    loader.SetArchiveFolder(opened.game);
    progress.Begin();
    const LoadEnd end = loader.LoadRun(config);
    progress.End();
    fs::current_path(before, ec);
    window.UpdateStatusLine();
    if (end == LoadEnd::Cancelled) {
        window.StatusLabel()->setText(QStringLiteral("Compare With was cancelled; the table is as it was."));
        return {};
    }
    if (end == LoadEnd::Unreadable) window.ShowMessage("Lorvex cannot read " + (work / config).string() + ".");
    if (end != LoadEnd::Loaded) return {};  // a stopped or refused load has said why
    other.headerTextColumn = loader.State().headerTextColumn;
    return other;
}

}  // namespace lorvex
