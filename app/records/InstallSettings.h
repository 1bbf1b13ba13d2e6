#pragma once

#include <QString>

#include <memory>

class QSettings;

// The installer's persistent values under one settings key. The key's first segment
// names the organisation, the second the application, and whatever follows becomes
// the group prefix under which every value name is stored. The store is the
// system-scope one, so the values belong to the machine rather than to the user (for
// root always "/etc/xdg/<organisation>/<application>.conf"), except in a user-mode
// installation, which keeps them in the user's own settings file.
class InstallSettings
{
public:
    // key: already expanded, for example "Corvane/<product>/Installer/4.52a".
    explicit InstallSettings(const QString &key);
    virtual ~InstallSettings();

    InstallSettings(const InstallSettings &) = delete;
    InstallSettings &operator=(const InstallSettings &) = delete;

    QSettings &settings() const { return *m_settings; }
    // The segments after organisation and application, followed by "/"; empty when
    // the key has no further segments.
    const QString &prefix() const { return m_prefix; }
    QString path(const QString &name) const { return m_prefix + name; }

    // The three parts a key is made of, for callers that only need to know them.
    static QString organisation(const QString &key);
    static QString application(const QString &key);
    static QString prefix(const QString &key);

private:
    std::unique_ptr<QSettings> m_settings;
    QString m_prefix;
};
