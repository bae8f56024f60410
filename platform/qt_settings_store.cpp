#include "platform/qt_settings_store.h"

#include <QFile>
#include <QSettings>
#include <QString>
#include <QVariant>

#include "common/cp932.h"

namespace lumora::platform {

struct QtSettingsStore::Impl {
    QSettings settings;
    Impl(const std::string& org, const std::string& app)
        : settings(QString::fromStdString(org), QString::fromStdString(app)) {}

    QString key(const std::string& section, const std::string& name) const {
        QString escaped = QString::fromStdString(escape_name(name));
        if (section.empty()) return escaped;
        return QString::fromStdString(escape_name(section)) + "/" + escaped;
    }
};

QtSettingsStore::QtSettingsStore(const std::string& organisation, const std::string& application)
    : impl_(std::make_unique<Impl>(organisation, application)) {}

QtSettingsStore::~QtSettingsStore() = default;

std::string QtSettingsStore::escape_name(const std::string& name) {
    std::string out;
    for (char c : name) {
        switch (c) {
            case '%': out += "%25"; break;
            case '/': out += "%2F"; break;
            case '\\': out += "%5C"; break;
            default: out += c;
        }
    }
    return out;
}

bool QtSettingsStore::exists() const {
    return QFile::exists(impl_->settings.fileName()) || !impl_->settings.allKeys().isEmpty();
}

std::optional<std::string> QtSettingsStore::read_string(const std::string& section, const std::string& name) const {
    QVariant v = impl_->settings.value(impl_->key(section, name));
    if (!v.isValid()) return std::nullopt;
    // Text that was not UTF-8 (Shift-JIS paths, say) is kept as raw bytes.
    if (v.typeId() == QMetaType::QByteArray) return v.toByteArray().toStdString();
    return v.toString().toStdString();
}

std::optional<uint32_t> QtSettingsStore::read_number(const std::string& section, const std::string& name) const {
    QVariant v = impl_->settings.value(impl_->key(section, name));
    if (!v.isValid()) return std::nullopt;
    bool ok = false;
    qlonglong n = v.toString().trimmed().toLongLong(&ok);
    if (!ok || n < INT32_MIN || n > UINT32_MAX) return std::nullopt;
    return static_cast<uint32_t>(n);
}

bool QtSettingsStore::write_string(const std::string& section, const std::string& name, const std::string& value) {
    if (cp932::is_valid_utf8(value))
        impl_->settings.setValue(impl_->key(section, name), QString::fromStdString(value));
    else
        impl_->settings.setValue(impl_->key(section, name), QByteArray::fromStdString(value));
    return impl_->settings.status() == QSettings::NoError;
}

bool QtSettingsStore::write_number(const std::string& section, const std::string& name, uint32_t value) {
    impl_->settings.setValue(impl_->key(section, name), static_cast<qulonglong>(value));
    return impl_->settings.status() == QSettings::NoError;
}

bool QtSettingsStore::flush() {
    impl_->settings.sync();
    return impl_->settings.status() == QSettings::NoError;
}

}  // namespace lumora::platform
