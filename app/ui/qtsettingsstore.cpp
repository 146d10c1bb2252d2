#include "ui/qtsettingsstore.h"

#include <QSettings>
#include <QString>

struct QtSettingsStore::Impl {
    std::unique_ptr<QSettings> settings;
    QString group;
    QString keyPath(const std::string& key) const
    {
        return group + u'/' + QString::fromStdString(key);
    }
};

QtSettingsStore::QtSettingsStore(const std::string& applicationName, const std::string& group)
    : m_impl(std::make_unique<Impl>())
{
    m_impl->group = QString::fromStdString(group);
    m_impl->settings = std::make_unique<QSettings>(QSettings::NativeFormat,
                                                   QSettings::UserScope,
                                                   QString::fromLatin1(kOrganization),
                                                   QString::fromStdString(applicationName));
    m_impl->settings->setFallbacksEnabled(false);
}

std::unique_ptr<QtSettingsStore> QtSettingsStore::atFile(const std::string& path,
                                                         const std::string& group)
{
    std::unique_ptr<QtSettingsStore> store(new QtSettingsStore);
    store->m_impl = std::make_unique<Impl>();
    store->m_impl->group = QString::fromStdString(group);
    store->m_impl->settings =
        std::make_unique<QSettings>(QString::fromStdString(path), QSettings::IniFormat);
    store->m_impl->settings->setFallbacksEnabled(false);
    return store;
}

QtSettingsStore::~QtSettingsStore() = default;

std::optional<std::string> QtSettingsStore::value(const std::string& key) const
{
    const QVariant v = m_impl->settings->value(m_impl->keyPath(key));
    if (!v.isValid())
        return std::nullopt;
    return v.toString().toStdString();
}

void QtSettingsStore::setValue(const std::string& key, const std::string& text)
{
    // Always a string, so that "1" is stored and read back as text, not a number.
    m_impl->settings->setValue(m_impl->keyPath(key), QString::fromStdString(text));
}

void QtSettingsStore::sync()
{
    m_impl->settings->sync();
}

std::string QtSettingsStore::fileName() const
{
    return m_impl->settings->fileName().toStdString();
}
