#include "app/QSettingsStore.h"

#include <QByteArray>
#include <QSettings>
#include <QStringDecoder>

namespace kelvandor {
namespace {

QString Key(const std::string& name) {
    return QString::fromStdString(name);
}

bool Accepted(const QSettings& settings) {
    return settings.status() == QSettings::NoError;
}

}  // namespace

CQSettingsStore::CQSettingsStore() = default;

CQSettingsStore::~CQSettingsStore() = default;

QSettings& CQSettingsStore::Settings() {
    if (!settings_) {
        settings_ = std::make_unique<QSettings>();
    }
    return *settings_;
}

std::optional<std::uint32_t> CQSettingsStore::ReadNumber(const std::string& name) {
    const QVariant value = Settings().value(Key(name));
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
    const QVariant value = Settings().value(Key(name));
    if (!value.isValid()) {
        return std::nullopt;
    }
    if (value.typeId() == QMetaType::QByteArray) {
        return value.toByteArray().toStdString();
    }
    return value.toString().toStdString();
}

bool CQSettingsStore::WriteNumber(const std::string& name, std::uint32_t value) {
    Settings().setValue(Key(name), static_cast<qulonglong>(value));
    return Accepted(Settings());
}

bool CQSettingsStore::WriteText(const std::string& name, const std::string& value) {
    QSettings& settings = Settings();
    const QByteArray bytes = QByteArray::fromStdString(value);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    if (utf8.hasError()) {
        settings.setValue(Key(name), bytes);
    } else {
        settings.setValue(Key(name), text);
    }
    return Accepted(settings);
}

}  // namespace kelvandor
