#include "store/settingsstore.h"

#include "platform/errortrap.h"
#include "platform/filelock.h"
#include "store/inifile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <cerrno>
#include <dirent.h>
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
    // Nothing when the values cannot be read.
    virtual std::optional<Values> load() = 0;
    // Makes the change unless it is made only where the file still holds a
    // text and the file holds another; returns whether it made it, with
    // everything now stored in `now`. Throws StepFailed and changes nothing
    // when it cannot.
    virtual bool change(const Change &change, Values &now) = 0;
};

namespace {

// Every copy of the program changes the file only under the lock on
// `Zdravin.conf.lock` beside it, and waits for it at most long enough for
// another copy to finish its write, ms.
//
// Older versions of the program used QLockFile on the same path, which
// creates the file exclusively, holds flock and fcntl locks on it and removes
// it when done; it removes a lock left behind only when it can take those
// locks itself. So an older and a newer copy running at once wait for each
// other: the newer one for the older one's flock, the older one for the
// file to go.
constexpr int LockTimeoutMs = 5000;
// Links followed to the file they name, at most (a loop of links ends too).
constexpr int MaxLinks = 40;

QByteArray encoded(const QString &path)
{
    return QFile::encodeName(path);
}

// Nothing for a file that does not exist yet; nullopt for one that cannot be
// read or is no settings file at all: a folder, a FIFO, a device, a file over
// the size limit. Reads at most the limit and one byte, and never waits.
std::optional<QByteArray> read(const QString &path)
{
    const QByteArray name = encoded(path);
    auto absent = [] { return errno == ENOENT || errno == ENOTDIR; };
    struct stat info = {};
    if (::stat(name.constData(), &info) != 0)
        return absent() ? std::optional(QByteArray()) : std::nullopt;
    if (!S_ISREG(info.st_mode) || info.st_size > SettingsStore::MaxFileSize)
        return std::nullopt; // opening a FIFO would wait for a writer, a device never ends
    // Non-blocking and checked again, in case the path became one of those meanwhile.
    const Descriptor file(openFile(name, O_RDONLY | O_NONBLOCK));
    if (file.fd < 0)
        return absent() ? std::optional(QByteArray()) : std::nullopt;
    if (::fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    // One byte more than the file holds tells a file that grew meanwhile.
    QByteArray bytes(qsizetype(std::min<qint64>(info.st_size, SettingsStore::MaxFileSize)) + 1, Qt::Uninitialized);
    qsizetype size = 0;
    for (;;) {
        if (size == bytes.size()) {
            if (size > SettingsStore::MaxFileSize)
                return std::nullopt;
            bytes.resize(std::min<qsizetype>(2 * size, SettingsStore::MaxFileSize + 1));
        }
        const ssize_t count = ::read(file.fd, bytes.data() + size, size_t(bytes.size() - size));
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return std::nullopt; // EIO, ESTALE: what the file holds is not known
        if (count == 0)
            break;
        size += count;
    }
    bytes.truncate(size);
    return bytes;
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
// always, an ordinary user only a group of their own. Where it may not, the
// file becomes the user's own, as every file they write.
bool keepOwner(int fd, const struct stat &old)
{
    if (::fchown(fd, old.st_uid, old.st_gid) == 0)
        return true;
    return errno == EPERM && (::fchown(fd, uid_t(-1), old.st_gid) == 0 || errno == EPERM);
}

// A new file is written beside the file it replaces, under a name that tells
// it is one: ".Zdravin.conf.<7 random letters or digits>.new".
QString temporaryName(const QString &fileName, quint32 random)
{
    return u'.' + fileName + u'.' + QString::number(random, 36).rightJustified(7, u'0') + QStringLiteral(".new");
}

// Removes the new files that copies of the program killed while writing left
// beside the file. Every copy writes one only while it holds the lock, so
// under the lock none of them is anyone's work in progress.
void removeLeftovers(const QString &folder, const QString &fileName)
{
    const QRegularExpression leftover(QRegularExpression::anchoredPattern(
        QStringLiteral("\\.") + QRegularExpression::escape(fileName) + QStringLiteral("\\.[0-9a-z]{7}\\.new")));
    DIR *dir = ::opendir(encoded(folder).constData());
    if (!dir)
        return;
    while (const dirent *entry = ::readdir(dir)) {
        if (leftover.match(QFile::decodeName(entry->d_name)).hasMatch())
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

// Replaces the file (or creates it, when `old` is null) by one holding the
// bytes, all or nothing: a new file beside it gets the old one's mode and,
// where the process may set them, owner and group, and is renamed over the
// old one only once every byte is written and flushed to the disk; then the
// folder is flushed, so that the rename itself survives a power cut. A nearly
// full disk takes part of a write and refuses the rest, so every step is
// checked.
bool replaceFile(const QString &path, const QByteArray &bytes, const struct stat *old)
{
    const QFileInfo info(path);
    const QByteArray name = encoded(path);
    QByteArray temporary;
    Descriptor file;
    while (file.fd < 0) {
        temporary
            = encoded(info.dir().filePath(temporaryName(info.fileName(), QRandomGenerator::global()->generate())));
        file.fd = openFile(temporary, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, old ? 0600 : 0666);
        if (file.fd < 0 && errno != EEXIST)
            return false;
    }
    const bool replaced = (!old || (keepOwner(file.fd, *old) && ::fchmod(file.fd, old->st_mode & 07777) == 0))
        && writeAll(file.fd, bytes) && ::fsync(file.fd) == 0 && file.close()
        && ::rename(temporary.constData(), name.constData()) == 0;
    if (!replaced) {
        ::unlink(temporary.constData());
        return false;
    }
    // The file is replaced whatever this says: a folder that cannot be flushed
    // is flushed by the system later.
    const Descriptor folder(openFile(encoded(info.absolutePath()), O_RDONLY | O_DIRECTORY));
    if (folder.fd >= 0)
        ::fsync(folder.fd);
    return true;
}

// The INI file. A change is made under a lock: the file is read again, so
// that what other copies of the program wrote meanwhile is kept, and the
// whole new file replaces the old one in one rename, so that a crash, a kill
// or a full disk leaves the old file or the new one, never a torn one. Only a
// regular file is ever read or replaced.
class IniBackend : public SettingsStore::Backend
{
public:
    explicit IniBackend(const QString &path)
        : path_(path)
    { }

    std::optional<SettingsStore::Values> load() override
    {
        const std::optional<File> file = parsed(read(path_));
        if (!file)
            return std::nullopt;
        return file->values;
    }

    bool change(const SettingsStore::Change &change, SettingsStore::Values &now) override
    {
        const QString name = keyName(change.key);
        // Removing what the file does not hold needs no folder, no lock and no write.
        if (!change.value) {
            const std::optional<File> before = parsed(read(path_));
            if (!before)
                fail("cannot read the settings");
            if (!before->values[keyIndex(change.key)]) {
                now = before->values;
                return !change.onlyIfStill || !change.expected;
            }
        }
        const QString target = linkTarget(path_);
        // A file that cannot be read is never replaced (that would lose what it
        // holds), and one that is no settings file at all gets no lock beside it.
        struct stat old = {};
        const QByteArray targetName = encoded(target);
        if (::stat(targetName.constData(), &old) == 0
                ? !S_ISREG(old.st_mode) || old.st_size > SettingsStore::MaxFileSize
                : errno != ENOENT)
            fail("no settings file, or one that cannot be read");
        const QString folder = QFileInfo(target).absolutePath();
        if (!QDir().mkpath(folder))
            fail("cannot create the settings folder");
        const FileLock lock(target + QStringLiteral(".lock"), LockTimeoutMs);
        const std::optional<File> file = parsed(read(target));
        if (!file)
            fail("cannot read the settings");
        now = file->values;
        if (change.onlyIfStill && now[keyIndex(change.key)] != change.expected)
            return false;
        IniFile::Document document = file->document;
        const bool changed = change.value ? IniFile::setValue(document, Store::Section, name, *change.value)
                                          : IniFile::remove(document, Store::Section, name);
        if (!changed)
            return true;
        const QByteArray bytes = IniFile::serialize(document);
        if (bytes.size() > SettingsStore::MaxFileSize)
            fail("the settings would grow too large to be read"); // as a full disk
        const bool replacing = ::stat(targetName.constData(), &old) == 0;
        if (!replacing && errno != ENOENT)
            fail("cannot read the settings");
        // Replacing a file takes only a writable folder; a read-only file is
        // left alone, as an editor leaves it.
        if (replacing && ::faccessat(AT_FDCWD, targetName.constData(), W_OK, AT_EACCESS) != 0)
            fail("the settings file is read-only");
        removeLeftovers(folder, QFileInfo(target).fileName());
        if (!replaceFile(target, bytes, replacing ? &old : nullptr))
            fail("cannot save the settings");
        now[keyIndex(change.key)] = change.value;
        last_ = File { bytes, document, now };
        return true;
    }

private:
    // What a file holds, read.
    struct File
    {
        QByteArray bytes;
        IniFile::Document document;
        SettingsStore::Values values;
    };

    // A file found as this copy last read or wrote it is not parsed again: the
    // writes of one OK find it so, one after the other.
    std::optional<File> parsed(const std::optional<QByteArray> &bytes)
    {
        if (bytes && (!last_ || last_->bytes != *bytes)) {
            const IniFile::Document document = IniFile::parse(*bytes);
            last_ = File { *bytes, document, valuesOf(document) };
        }
        return bytes ? last_ : std::nullopt;
    }

    static SettingsStore::Values valuesOf(const IniFile::Document &document)
    {
        QStringList names;
        for (Key key : AllKeys)
            names.append(keyName(key));
        const QList<std::optional<QString>> found = IniFile::values(document, Store::Section, names);
        SettingsStore::Values values;
        std::copy(found.begin(), found.end(), values.begin());
        return values;
    }

    QString path_;
    std::optional<File> last_;
};

#ifdef Q_OS_WIN
// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\Zdravin\Path, where
// the program has always kept its settings on Windows. A new QSettings for
// every access: its status() keeps the first error for good, and a fresh one
// sees what other copies of the program wrote.
class RegistryBackend : public SettingsStore::Backend
{
public:
    std::optional<SettingsStore::Values> load() override
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

    bool change(const SettingsStore::Change &change, SettingsStore::Values &now) override
    {
        now = *load();
        if (change.onlyIfStill && now[keyIndex(change.key)] != change.expected)
            return false;
        const std::unique_ptr<QSettings> settings = open();
        if (change.value)
            settings->setValue(keyName(change.key), *change.value);
        else
            settings->remove(keyName(change.key));
        settings->sync();
        if (settings->status() != QSettings::NoError)
            fail("cannot save the settings");
        now = *load();
        return true;
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
    // A relative XDG_CONFIG_HOME is no setting at all (XDG Base Directory):
    // it would name another folder in every folder the program starts in.
    const QString configHome = QFile::decodeName(qgetenv("XDG_CONFIG_HOME"));
    const QString folder
        = QDir::isAbsolutePath(configHome) ? configHome : QDir::homePath() + QStringLiteral("/.config");
    return folder + u'/' + Store::AppName + QStringLiteral(".conf");
}

SettingsStore::SettingsStore(const QString &iniFilePath)
    : SettingsStore(std::make_unique<IniBackend>(iniFilePath))
{ }

SettingsStore::SettingsStore(std::unique_ptr<Backend> backend)
    : backend_(std::move(backend))
{
    // A file that cannot be read gives every reader its fallback.
    if (const std::optional<Values> values = backend_->load())
        values_ = *values;
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::ReadSetting(Key key, const QString &fallback) const
{
    return stored(key).value_or(fallback);
}

std::optional<QString> SettingsStore::stored(Key key) const
{
    return values_[keyIndex(key)];
}

void SettingsStore::WriteSetting(Key key, const QString &value)
{
    change({ key, value, false, std::nullopt });
}

void SettingsStore::RemoveSetting(Key key)
{
    change({ key, std::nullopt, false, std::nullopt });
}

bool SettingsStore::WriteSettingIfStill(Key key, const std::optional<QString> &expected, const QString &value)
{
    return change({ key, value, true, expected });
}

void SettingsStore::reload()
{
    const std::optional<Values> values = backend_->load();
    if (!values)
        fail("cannot read the settings");
    values_ = *values;
}

// Only what the file holds reaches the in-memory copy.
bool SettingsStore::change(const Change &change)
{
    Values now = values_;
    const bool made = backend_->change(change, now);
    values_ = now;
    return made;
}
