#include "app/layout/LayoutKeeper.h"

#include <QSettings>

namespace lorvex {
namespace {

QString SettingsKey(const std::string& key) {
    return QString::fromLatin1(LayoutKeeper::kGroup) + QString::fromStdString(key);
}

}  // namespace

void LayoutKeeper::Loaded(const std::string& configName) {
    key_ = LayoutKey(configName, table_.Data());
    original_ = CaptureLayout(table_.Data());
    const QByteArray stored = QSettings().value(SettingsKey(key_)).toByteArray();
    ColumnLayout layout;
    saved_ = !stored.isEmpty() && DecodeLayout(std::string_view(stored.constData(), stored.size()), &layout);
    if (saved_) ApplyLayout(table_, layout);
}

void LayoutKeeper::Save() {
    if (key_.empty()) return;
    const ColumnLayout now = CaptureLayout(table_.Data());
    if (!saved_ && now == original_) return;
    const std::string text = EncodeLayout(now);
    QSettings().setValue(SettingsKey(key_), QByteArray(text.data(), static_cast<qsizetype>(text.size())));
    saved_ = true;
}

void LayoutKeeper::Reset() {
    if (!key_.empty()) ApplyLayout(table_, original_);
}

}  // namespace lorvex
