#pragma once

#include "store/keys.h"

#include <QString>
#include <array>
#include <memory>
#include <optional>

// The per-user store of the fourteen settings, all kept as exact text.
//
// On Linux it is the INI file $XDG_CONFIG_HOME/Zdravin.conf (section [Path],
// UTF-8), which people edit by hand; on Windows the per-user registry.
// Reads come from an in-memory copy. Every write and removal is persisted at
// once and atomically, under a lock, merged with what other copies of the
// program wrote meanwhile; a write that cannot be persisted throws StepFailed
// and leaves both the file and the in-memory copy as they were. A file that
// cannot be read, is not a regular file or is larger than MaxFileSize is
// never replaced, and is never taken for an empty one: the in-memory copy
// keeps what was last read (nothing, at the start: every reader gets its
// fallback).
class SettingsStore
{
public:
    // The user's own store.
    static SettingsStore &user();
    // The INI file of the user's store on Linux and other systems but Windows:
    // $XDG_CONFIG_HOME/Zdravin.conf, or ~/.config/Zdravin.conf when that
    // variable is unset or no absolute path.
    static QString userFilePath();

    // A store kept in the given INI file (tests, tools).
    explicit SettingsStore(const QString &iniFilePath);
    ~SettingsStore();
    SettingsStore(const SettingsStore &) = delete;
    SettingsStore &operator=(const SettingsStore &) = delete;

    // The stored text, or the fallback when the key is absent.
    QString ReadSetting(Key key, const QString &fallback) const;
    void WriteSetting(Key key, const QString &value);
    // Removing an absent key is no error.
    void RemoveSetting(Key key);

    // What the store last read for the key; nothing when it is absent.
    std::optional<QString> stored(Key key) const;
    // Writes the value only where the file still holds `expected` (nothing:
    // the key is absent), as read under the lock that the write takes, so that
    // what another copy of the program or a person changed meanwhile stays.
    // Returns whether it wrote; throws StepFailed when it cannot tell or write.
    bool WriteSettingIfStill(Key key, const std::optional<QString> &expected, const QString &value);

    // Reads the stored settings again (a person or another copy of the
    // program may have changed them). A file that cannot be read throws
    // StepFailed and leaves the in-memory copy as it was.
    void reload();

    // The settings are a few hundred bytes; a file larger than this is none,
    // and no write makes the file larger.
    static constexpr qint64 MaxFileSize = 1 << 20;

    using Values = std::array<std::optional<QString>, KeyCount>;
    // One change of one key.
    struct Change
    {
        Key key;
        std::optional<QString> value; // nothing: the key is removed
        bool onlyIfStill = false; // made only where the file still holds `expected`
        std::optional<QString> expected; // nothing: the key absent
    };
    class Backend;

private:
    explicit SettingsStore(std::unique_ptr<Backend> backend);
    bool change(const Change &change);

    std::unique_ptr<Backend> backend_;
    Values values_;
};
