#pragma once

#include <QList>
#include <QString>

#include <sys/types.h>

// After a run under sudo, the settings folders the run created below the invoking
// user's ~/.config belong to root; they are handed back to that user. Only what this
// run created is handed back, only below the home folder of SUDO_UID's password entry
// (never $HOME, which the caller may have pointed anywhere), and every step is taken
// from that folder by descriptor without following a link, so a link planted at one of
// the names hands nothing of root's to the user.
class SudoOwnershipRepair
{
public:
    // Reads SUDO_UID and SUDO_GID (nothing is done unless both are set) and notes which
    // of the names exist before the run: ".config", ".config/<company>", the
    // company folder's path followed directly by product, and the settings file
    // ".config/<company>/<product>.conf".
    SudoOwnershipRepair(const QString &company, const QString &product);

    // Hands each name the run created, and root owns now, to the user. Failures are
    // ignored.
    void repair() const;

private:
    struct Entry
    {
        QString below; // the path below the home folder
        bool folder;
        bool existedBefore;
    };

    bool exists(const Entry &entry) const;
    void handBack(const Entry &entry) const;

    bool m_active = false;
    uid_t m_user = 0;
    gid_t m_group = 0;
    QString m_home;
    QList<Entry> m_entries;
};
