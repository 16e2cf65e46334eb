#pragma once

#include "settings/keys.h"

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
// cannot be read, is not a regular file or is larger than MaxFileSize gives
// every reader its fallback and is never replaced.
class SettingsStore
{
public:
    // The user's own store.
    static SettingsStore &user();
    // The INI file of the user's store on Linux and other systems but Windows:
    // $XDG_CONFIG_HOME/Zdravin.conf.
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

    // Reads the stored settings again (a person may have edited them): cheap,
    // never throws, and an unreadable file gives fallbacks.
    void reload();

    // The settings are a few hundred bytes; a file larger than this is none.
    static constexpr qint64 MaxFileSize = 1 << 20;

    using Values = std::array<std::optional<QString>, KeyCount>;
    class Backend;

private:
    explicit SettingsStore(std::unique_ptr<Backend> backend);
    void change(Key key, const std::optional<QString> &value);

    std::unique_ptr<Backend> backend_;
    Values values_;
};
