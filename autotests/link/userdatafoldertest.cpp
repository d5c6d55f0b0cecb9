// Where every program of the tool keeps its records and its traffic log: the folder the user's
// environment names (XDG_DATA_HOME on Linux, LOCALAPPDATA on Windows), in whatever form it
// comes, and Qt's own folder when it names none that can be used.
#include "datahome.h"
#include "link/userdatafolder.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

class UserDataFolderTest : public QObject
{
    Q_OBJECT

    QByteArray m_saved;
    bool m_wasSet = false;

private slots:
    void initTestCase()
    {
        m_wasSet = qEnvironmentVariableIsSet(DataHome::variable().toLatin1().constData());
        m_saved = qgetenv(DataHome::variable().toLatin1().constData());
    }

    void cleanup()
    {
        if (m_wasSet)
            qputenv(DataHome::variable().toLatin1().constData(), m_saved);
        else
            DataHome::unset();
    }

    void shouldTakeTheFolderTheEnvironmentNames_data()
    {
        QTest::addColumn<QString>("value"); // "" unsets the variable; "@" is a folder of the test's own
        QTest::addColumn<QString>("expected"); // "*" Qt's generic data folder (the variable unset)
        QTest::newRow("a folder of its own") << "@" << "@/zu42tools";
        QTest::newRow("with a separator at its end") << "@/" << "@/zu42tools";
        QTest::newRow("not set") << "" << "*/zu42tools";
#ifdef Q_OS_WIN
        QTest::newRow("as Windows writes it") << "C:\\Users\\Li Wei\\AppData\\Local" << "C:/Users/Li Wei/AppData/Local/zu42tools";
        QTest::newRow("with dots in it") << "C:\\Users\\.\\Li Wei\\..\\Wang\\AppData\\Local\\" << "C:/Users/Wang/AppData/Local/zu42tools";
        // A relative folder would move with the program's working folder: the records would
        // scatter over whatever folder each program was started from.
        QTest::newRow("a relative folder") << "AppData\\Local" << "*/zu42tools";
        QTest::newRow("only a drive") << "C:" << "*/zu42tools";
        QTest::newRow("no drive") << "\\Users\\Wang\\AppData\\Local" << "*/zu42tools";
        QTest::newRow("a network share") << "\\\\server\\home\\wang" << "//server/home/wang/zu42tools";
#endif
    }

    void shouldTakeTheFolderTheEnvironmentNames()
    {
        QFETCH(QString, value);
        QFETCH(QString, expected);
        QTemporaryDir own;
        value.replace(QLatin1Char('@'), own.path());
        expected.replace(QLatin1Char('@'), own.path());
        if (value.isEmpty()) {
            DataHome::unset();
            // Qt's folder, asked for only once the variable is gone (on Linux it is the variable).
            expected.replace(QLatin1Char('*'), QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
        } else {
            DataHome::set(value);
            if (expected.startsWith(QLatin1Char('*'))) {
                DataHome::unset();
                expected.replace(QLatin1Char('*'), QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
                DataHome::set(value);
            }
        }
        QCOMPARE(UserDataFolder::path(), expected);
    }
};

QTEST_GUILESS_MAIN(UserDataFolderTest)
#include "userdatafoldertest.moc"
