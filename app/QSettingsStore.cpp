#include "app/QSettingsStore.h"

#include <QByteArray>
#include <QSettings>
#include <QStringDecoder>

namespace kelvandor {
namespace {

QString Key(const std::string& name) {
    return QString::fromStdString(name);
}

bool Written(QSettings& settings) {
    settings.sync();
    return settings.status() == QSettings::NoError;
}

}  // namespace

std::optional<std::uint32_t> CQSettingsStore::ReadNumber(const std::string& name) {
    QSettings settings;
    const QVariant value = settings.value(Key(name));
    if (!value.isValid()) {
        return std::nullopt;
    }
    bool ok = false;
    const qlonglong number = value.toString().trimmed().toLongLong(&ok);
    if (ok && number >= -0x80000000LL && number <= 0xFFFFFFFFLL) {
        return static_cast<std::uint32_t>(number);
    }
    return std::nullopt;
}

std::optional<std::string> CQSettingsStore::ReadText(const std::string& name) {
    QSettings settings;
    const QVariant value = settings.value(Key(name));
    if (!value.isValid()) {
        return std::nullopt;
    }
    if (value.typeId() == QMetaType::QByteArray) {
        return value.toByteArray().toStdString();
    }
    return value.toString().toStdString();
}

bool CQSettingsStore::WriteNumber(const std::string& name, std::uint32_t value) {
    QSettings settings;
    settings.setValue(Key(name), static_cast<qulonglong>(value));
    return Written(settings);
}

bool CQSettingsStore::WriteText(const std::string& name, const std::string& value) {
    QSettings settings;
    const QByteArray bytes = QByteArray::fromStdString(value);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    if (utf8.hasError()) {
        settings.setValue(Key(name), bytes);
    } else {
        settings.setValue(Key(name), text);
    }
    return Written(settings);
}

}  // namespace kelvandor
