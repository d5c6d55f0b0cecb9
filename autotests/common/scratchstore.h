#pragma once

// A settings store of the test's own for as long as it lives: an empty folder the window reads
// its file from and, on Windows, a scratch registry key, so that no test sees another's values
// or the machine's.

#include <QDir>
#include <QTemporaryDir>

#ifdef Q_OS_WIN
#include "registrystore.h"
#endif

class ScratchStore
{
public:
    // alsoSearched: folders looked in after the scratch one, as a system lists several.
    explicit ScratchStore(const QStringList &alsoSearched = {})
    {
        qputenv("XDG_CONFIG_DIRS", (QStringList { m_dir.path() } + alsoSearched).join(QDir::listSeparator()).toLocal8Bit());
    }
    ScratchStore(const ScratchStore &) = delete;
    ScratchStore &operator=(const ScratchStore &) = delete;

    // The folder StoreFile's functions take.
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
#ifdef Q_OS_WIN
    RegistryStore::Scratch m_registry;
#endif
};
