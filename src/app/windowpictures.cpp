#include "app/windowpictures.h"

#include "app/tfrmmodule.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>

namespace {

struct PictureLanguage
{
    const char *entry;  // menu entry that chooses it
    const char *suffix; // in the file names
};

const PictureLanguage languages[] = {
    { "mnuEnglish", "en" },
    { "mnuSimplified", "zh-cn" },
    { "mnuTraditional", "zh-tw" },
};

bool save(QWidget *window, const QString &folder, const QString &name)
{
    QCoreApplication::processEvents();
    const QString path = QDir(folder).filePath(name);
    if (!window->grab().save(path, "PNG")) {
        QTextStream(stderr) << "cannot write " << path << '\n';
        return false;
    }
    QTextStream(stdout) << path << '\n';
    return true;
}

// "tsFactory" gives "factory".
QString pageName(const QWidget *page)
{
    return page->objectName().mid(2).toLower();
}

} // namespace

int WindowPictures::run(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir store;
    if (!store.isValid())
        return 1;
    qputenv("XDG_CONFIG_DIRS", QFile::encodeName(store.path()));

    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("ZU42vIZ-O5 Test Tools"));
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2) {
        QTextStream(stderr) << "usage: " << args.value(0) << " <folder> [--all-pages]\n";
        return 2;
    }
    const QString folder = args.at(1);
    const bool allPages = args.contains(QStringLiteral("--all-pages"));
    if (!QDir().mkpath(folder))
        return 1;

    TfrmModule window;
    window.show();
    auto *work = window.findChild<QTabWidget *>(QStringLiteral("pcMain"));
    if (!work)
        return 1;

    bool ok = true;
    for (const PictureLanguage &language : languages) {
        window.findChild<QAction *>(QString::fromLatin1(language.entry))->trigger();
        ok = save(&window, folder, QStringLiteral("window-%1.png").arg(QLatin1String(language.suffix))) && ok;
    }

    // The pages as they look once a controller is connected.
    for (const PictureLanguage &language : languages) {
        if (&language != &languages[0] && !allPages)
            continue;
        window.findChild<QAction *>(QString::fromLatin1(language.entry))->trigger();
        work->setEnabled(true);
        for (int i = 0; i < work->count(); ++i) {
            work->setCurrentIndex(i);
            ok = save(&window, folder,
                      QStringLiteral("window-%1-%2.png").arg(QLatin1String(language.suffix), pageName(work->widget(i))))
                && ok;
        }
        work->setEnabled(false);
    }
    return ok ? 0 : 1;
}
