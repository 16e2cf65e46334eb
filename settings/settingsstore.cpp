#include "settings/settingsstore.h"

#include "platform/errortrap.h"
#include "settings/inifile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QStandardPaths>

#ifdef Q_OS_WIN
#include <QSettings>
#endif

// Where the values are kept: reads all of them, and persists one change.
class SettingsStore::Backend
{
public:
    virtual ~Backend() = default;
    virtual Values load() = 0;
    // Applies the change (nullopt removes) and returns everything now stored.
    virtual Values change(Key key, const std::optional<QString> &value) = 0;
};

namespace {

constexpr int LockTimeoutMs = 5000;

// The INI file. A change is made under a lock file: the file is read again,
// so that what other copies of the program wrote meanwhile is kept, and the
// whole new file replaces the old one at once, so a crash or kill leaves the
// old file or the new one, never a torn one.
class IniBackend : public SettingsStore::Backend
{
public:
    explicit IniBackend(const QString &path)
        : path_(path)
    {
    }

    SettingsStore::Values load() override { return valuesOf(read()); }

    SettingsStore::Values change(Key key, const std::optional<QString> &value) override
    {
        if (!QDir().mkpath(QFileInfo(path_).absolutePath()))
            fail("cannot create the settings folder");
        QLockFile lock(path_ + QStringLiteral(".lock"));
        if (!lock.tryLock(LockTimeoutMs))
            fail("settings are locked");
        IniFile::Document document = read();
        if (value) {
            IniFile::setValue(document, Store::Section, keyName(key), *value);
        } else if (!IniFile::remove(document, Store::Section, keyName(key))) {
            return valuesOf(document); // nothing to remove: the file stays untouched
        }
        QSaveFile file(path_);
        if (!file.open(QIODevice::WriteOnly) || file.write(IniFile::serialize(document)) < 0 || !file.commit())
            fail("cannot save the settings");
        return valuesOf(document);
    }

private:
    IniFile::Document read() const
    {
        QFile file(path_);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return IniFile::parse(file.readAll());
    }

    static SettingsStore::Values valuesOf(const IniFile::Document &document)
    {
        SettingsStore::Values values;
        for (int i = 0; i < KeyCount; ++i)
            values[i] = IniFile::value(document, Store::Section, keyName(Key(i)));
        return values;
    }

    QString path_;
};

#ifdef Q_OS_WIN
// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\Zdravin\Path, where
// the settings of this program have always lived on Windows.
class RegistryBackend : public SettingsStore::Backend
{
public:
    RegistryBackend()
        : settings_(QStringLiteral("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\") + Store::AppName,
                    QSettings::NativeFormat)
    {
        settings_.setFallbacksEnabled(false);
    }

    SettingsStore::Values load() override
    {
        SettingsStore::Values values;
        settings_.sync();
        for (int i = 0; i < KeyCount; ++i) {
            const QString name = path(Key(i));
            if (settings_.contains(name))
                values[i] = settings_.value(name).toString();
        }
        return values;
    }

    SettingsStore::Values change(Key key, const std::optional<QString> &value) override
    {
        if (value)
            settings_.setValue(path(key), *value);
        else
            settings_.remove(path(key));
        settings_.sync();
        if (settings_.status() != QSettings::NoError)
            fail("cannot save the settings");
        return load();
    }

private:
    static QString path(Key key) { return Store::Section + u'/' + keyName(key); }

    QSettings settings_;
};
#endif

} // namespace

SettingsStore &SettingsStore::user()
{
#ifdef Q_OS_WIN
    static SettingsStore store(QString{});
#else
    static SettingsStore store(userFilePath());
#endif
    return store;
}

QString SettingsStore::userFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u'/' + Store::AppName
        + QStringLiteral(".conf");
}

SettingsStore::SettingsStore(const QString &iniFilePath)
{
#ifdef Q_OS_WIN
    if (iniFilePath.isEmpty())
        backend_ = std::make_unique<RegistryBackend>();
    else
#endif
        backend_ = std::make_unique<IniBackend>(iniFilePath);
    reload();
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::ReadSetting(Key key, const QString &fallback) const
{
    const std::optional<QString> &value = values_[keyIndex(key)];
    return value ? *value : fallback;
}

void SettingsStore::WriteSetting(Key key, const QString &value)
{
    change(key, value);
}

void SettingsStore::RemoveSetting(Key key)
{
    change(key, std::nullopt);
}

void SettingsStore::reload()
{
    values_ = backend_->load();
}

// Only a change that reached the disk reaches the in-memory copy.
void SettingsStore::change(Key key, const std::optional<QString> &value)
{
    values_ = backend_->change(key, value);
}
