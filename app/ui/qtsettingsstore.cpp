#include "ui/qtsettingsstore.h"

#include <QSettings>
#include <QString>

struct QtSettingsStore::Impl {
    std::unique_ptr<QSettings> settings;
};

namespace {
QString keyPath(const std::string& key)
{
    return QString::fromUtf8(settingskey::kGroup) + u'/' + QString::fromStdString(key);
}
} // namespace

QtSettingsStore::QtSettingsStore(const std::string& applicationName)
    : m_impl(std::make_unique<Impl>())
{
    m_impl->settings = std::make_unique<QSettings>(QSettings::NativeFormat,
                                                   QSettings::UserScope,
                                                   QString::fromLatin1(kOrganization),
                                                   QString::fromStdString(applicationName));
    m_impl->settings->setFallbacksEnabled(false);
}

std::unique_ptr<QtSettingsStore> QtSettingsStore::atFile(const std::string& path)
{
    std::unique_ptr<QtSettingsStore> store(new QtSettingsStore);
    store->m_impl = std::make_unique<Impl>();
    store->m_impl->settings =
        std::make_unique<QSettings>(QString::fromStdString(path), QSettings::IniFormat);
    store->m_impl->settings->setFallbacksEnabled(false);
    return store;
}

QtSettingsStore::~QtSettingsStore() = default;

std::optional<std::string> QtSettingsStore::value(const std::string& key) const
{
    const QVariant v = m_impl->settings->value(keyPath(key));
    if (!v.isValid())
        return std::nullopt;
    return v.toString().toStdString();
}

void QtSettingsStore::setValue(const std::string& key, const std::string& text)
{
    // Always a string, so that "1" is stored and read back as text, not a number.
    m_impl->settings->setValue(keyPath(key), QString::fromStdString(text));
}

void QtSettingsStore::sync()
{
    m_impl->settings->sync();
}

std::string QtSettingsStore::fileName() const
{
    return m_impl->settings->fileName().toStdString();
}
