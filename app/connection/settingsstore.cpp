#include "connection/settingsstore.h"

#include <QFileInfo>
#include <QSettings>
#include <QString>

std::string settingsNameOf(const std::string& executablePath)
{
    const QFileInfo file(QString::fromStdString(executablePath));
    const QString name = file.completeBaseName();
    // A name that is all extension (".qvr") has nothing else to go by.
    return (name.isEmpty() ? file.fileName() : name).toStdString();
}

std::optional<std::string> MemorySettingsStore::value(const std::string& key) const
{
    auto it = m_values.find(key);
    if (it == m_values.end())
        return std::nullopt;
    return it->second;
}

void MemorySettingsStore::setValue(const std::string& key, const std::string& text)
{
    m_values[key] = text;
    m_order.push_back(key);
}

struct QtSettingsStore::Impl {
    std::unique_ptr<QSettings> settings;
};

namespace {
QString keyPath(const std::string& key)
{
    return QString::fromUtf8(settingskey::kGroup) + u'/' + QString::fromStdString(key);
}
} // namespace

QtSettingsStore::QtSettingsStore(const std::string& applicationName) : m_impl(new Impl)
{
    m_impl->settings = std::make_unique<QSettings>(QSettings::NativeFormat,
                                                   QSettings::UserScope,
                                                   QStringLiteral("Quorvane"),
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
