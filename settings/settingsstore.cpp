#include "settings/settingsstore.h"

#include "platform/errortrap.h"
#include "settings/inifile.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#ifdef Q_OS_WIN
#include <QSettings>
#endif

// Where the values are kept: reads all of them, and persists one change.
class SettingsStore::Backend
{
public:
    virtual ~Backend() = default;
    virtual Values load() = 0;
    // Applies the change (nullopt removes) and returns everything now stored,
    // or throws StepFailed and changes nothing.
    virtual Values change(Key key, const std::optional<QString> &value) = 0;
};

namespace {

// Long enough for another copy of the program to finish its write, ms.
constexpr int LockTimeoutMs = 5000;
// How long to sleep between tries while another copy holds the lock, ms.
constexpr int LockRetryMs = 10;
// A live QLockFile writes its process id into the lock file a moment after
// creating it, so an empty lock file this old was left by a killed copy, ms.
constexpr int EmptyLockStaleMs = 1000;
// Links followed to the file they name, at most (a loop of links ends too).
constexpr int MaxLinks = 40;

// Waits while another copy of the program holds the lock, and only then:
// a folder the user cannot write or a full disk fails at once. QLockFile
// removes the lock of a copy that no longer runs, but one killed between
// creating the lock file and writing into it leaves an empty file, which
// QLockFile would only take for stale after 30 seconds.
bool lock(QLockFile &lock, const QString &lockPath)
{
    const QDeadlineTimer deadline(LockTimeoutMs);
    while (!lock.tryLock(LockRetryMs)) {
        if (lock.error() != QLockFile::LockFailedError || deadline.hasExpired())
            return false;
        const QFileInfo info(lockPath);
        if (info.exists() && info.size() == 0
            && info.lastModified().msecsTo(QDateTime::currentDateTime()) > EmptyLockStaleMs)
            QFile::remove(lockPath);
    }
    return true;
}

// Closes the file descriptor it holds when it goes.
struct Descriptor
{
    explicit Descriptor(int fd)
        : fd(fd)
    { }
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    bool close() { return ::close(std::exchange(fd, -1)) == 0; }

    int fd;
};

// Nothing for a file that does not exist yet; nullopt for one that cannot be
// read or is no settings file at all: a folder, a FIFO, a device, a file over
// the size limit. Reads at most the limit and one byte, and never waits.
std::optional<IniFile::Document> read(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    auto absent = [] { return errno == ENOENT || errno == ENOTDIR; };
    struct stat info = {};
    if (::stat(name.constData(), &info) != 0)
        return absent() ? std::optional(IniFile::Document {}) : std::nullopt;
    if (!S_ISREG(info.st_mode) || info.st_size > SettingsStore::MaxFileSize)
        return std::nullopt; // opening a FIFO would wait for a writer, a device never ends
    // Non-blocking and checked again, in case the path became one of those meanwhile.
    const Descriptor file(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.fd < 0)
        return absent() ? std::optional(IniFile::Document {}) : std::nullopt;
    if (::fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    QByteArray bytes;
    char buffer[16 * 1024];
    while (bytes.size() <= SettingsStore::MaxFileSize) {
        const ssize_t count = ::read(file.fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return std::nullopt;
        if (count == 0)
            return IniFile::parse(bytes);
        bytes.append(buffer, count);
    }
    return std::nullopt;
}

// The file a path names, after links: a change is written there, so that a
// link to the settings file stays a link.
QString linkTarget(const QString &path)
{
    QString target = path;
    for (int i = 0; i < MaxLinks && QFileInfo(target).isSymLink(); ++i)
        target = QFileInfo(target).symLinkTarget();
    return target;
}

bool writeAll(int fd, QByteArrayView bytes)
{
    while (!bytes.isEmpty()) {
        const ssize_t count = ::write(fd, bytes.data(), size_t(bytes.size()));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false; // a full disk: the write that follows a short one says so
        bytes = bytes.sliced(count);
    }
    return true;
}

// Gives a new file the old one's owner and group where the process may: root
// always, an ordinary user only a group of their own.
void keepOwner(int fd, const struct stat &old)
{
    if (::fchown(fd, old.st_uid, old.st_gid) != 0 && ::fchown(fd, uid_t(-1), old.st_gid) != 0)
        return; // the file is the user's own, as every file they write
}

// Replaces the file (or creates it, when `old` is null) by one holding the
// bytes, all or nothing: a new file beside it gets the old one's mode and,
// where the process may set them, owner and group, and is renamed over the
// old one only once every byte is written and flushed to the disk. A nearly
// full disk takes part of a write and refuses the rest, so every step is
// checked.
bool replaceFile(const QString &path, const QByteArray &bytes, const struct stat *old)
{
    const QByteArray name = QFile::encodeName(path);
    QByteArray temporary;
    Descriptor file(-1);
    while (file.fd < 0) {
        temporary = name + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        file.fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, old ? 0600 : 0666);
        if (file.fd < 0 && errno != EEXIST)
            return false;
    }
    if (old)
        keepOwner(file.fd, *old);
    const bool replaced = (!old || ::fchmod(file.fd, old->st_mode & 07777) == 0) && writeAll(file.fd, bytes)
        && ::fsync(file.fd) == 0 && file.close() && ::rename(temporary.constData(), name.constData()) == 0;
    if (!replaced)
        ::unlink(temporary.constData());
    return replaced;
}

// The INI file. A change is made under a lock file: the file is read again,
// so that what other copies of the program wrote meanwhile is kept, and the
// whole new file replaces the old one in one rename, so that a crash, a kill
// or a full disk leaves the old file or the new one, never a torn one. A lock
// left by a killed copy does not block: see lock() above. Only a regular file
// is ever read or replaced.
class IniBackend : public SettingsStore::Backend
{
public:
    explicit IniBackend(const QString &path)
        : path_(path)
    { }

    SettingsStore::Values load() override
    {
        const std::optional<IniFile::Document> document = read(path_);
        return document ? valuesOf(*document) : SettingsStore::Values {};
    }

    SettingsStore::Values change(Key key, const std::optional<QString> &value) override
    {
        // A file that cannot be read is never replaced (that would lose what it
        // holds), and one that is no settings file at all gets no lock beside it.
        const std::optional<IniFile::Document> now = read(path_);
        if (!now)
            fail("cannot read the settings");
        // Removing what the file does not hold needs no folder, no lock and no write.
        if (!value && !IniFile::value(*now, Store::Section, keyName(key)))
            return valuesOf(*now);
        const QString target = linkTarget(path_);
        if (!QDir().mkpath(QFileInfo(target).absolutePath()))
            fail("cannot create the settings folder");
        const QString lockPath = target + QStringLiteral(".lock");
        QLockFile fileLock(lockPath);
        if (!lock(fileLock, lockPath))
            fail("the settings are locked");
        std::optional<IniFile::Document> document = read(target);
        if (!document)
            fail("cannot read the settings");
        const bool changed = value ? IniFile::setValue(*document, Store::Section, keyName(key), *value)
                                   : IniFile::remove(*document, Store::Section, keyName(key));
        if (changed) {
            const QByteArray name = QFile::encodeName(target);
            struct stat old = {};
            const bool exists = ::stat(name.constData(), &old) == 0;
            // Replacing a file takes only a writable folder; a read-only file is
            // left alone, as an editor leaves it.
            if (exists && ::faccessat(AT_FDCWD, name.constData(), W_OK, AT_EACCESS) != 0)
                fail("the settings file is read-only");
            if (!replaceFile(target, IniFile::serialize(*document), exists ? &old : nullptr))
                fail("cannot save the settings");
        }
        return valuesOf(*document);
    }

private:
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
// the program has always kept its settings on Windows. A new QSettings for
// every access: its status() keeps the first error for good, and a fresh one
// sees what other copies of the program wrote.
class RegistryBackend : public SettingsStore::Backend
{
public:
    SettingsStore::Values load() override
    {
        const std::unique_ptr<QSettings> settings = open();
        SettingsStore::Values values;
        for (int i = 0; i < KeyCount; ++i) {
            const QString name = keyName(Key(i));
            if (settings->contains(name))
                values[i] = settings->value(name).toString();
        }
        return values;
    }

    SettingsStore::Values change(Key key, const std::optional<QString> &value) override
    {
        const std::unique_ptr<QSettings> settings = open();
        if (value)
            settings->setValue(keyName(key), *value);
        else
            settings->remove(keyName(key));
        settings->sync();
        if (settings->status() != QSettings::NoError)
            fail("cannot save the settings");
        return load();
    }

private:
    static std::unique_ptr<QSettings> open()
    {
        auto settings = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
            QStringLiteral("VB and VBA Program Settings"), Store::AppName);
        settings->setFallbacksEnabled(false);
        settings->beginGroup(Store::Section);
        return settings;
    }
};
#endif

} // namespace

SettingsStore &SettingsStore::user()
{
#ifdef Q_OS_WIN
    static SettingsStore store(std::make_unique<RegistryBackend>());
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
    : SettingsStore(std::make_unique<IniBackend>(iniFilePath))
{ }

SettingsStore::SettingsStore(std::unique_ptr<Backend> backend)
    : backend_(std::move(backend))
{
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
