#include "app/linkfailuretip.h"
#include "i18n/texttable.h"

#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(OpenFailure)

// The banner's tool tip for a link that would not open or went away: in the window's language
// where the text table has the reason.
class LinkFailureTipTest : public QObject
{
    Q_OBJECT
private slots:
    void shouldSayTheReasonInTheWindowsLanguage_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<OpenFailure>("failure");
        QTest::addColumn<QString>("says");
        QTest::newRow("removed, English") << int(TextTable::English) << OpenFailure::DeviceRemoved << "was removed";
        QTest::newRow("removed, Simplified Chinese") << int(TextTable::SimplifiedChinese) << OpenFailure::DeviceRemoved
                                                     << QStringLiteral("被拔出");
        QTest::newRow("removed, Traditional Chinese") << int(TextTable::TraditionalChinese) << OpenFailure::DeviceRemoved
                                                      << QStringLiteral("被拔除");
        // A reason the table does not have stays in the link's words, whatever the language.
        QTest::newRow("busy, Simplified Chinese") << int(TextTable::SimplifiedChinese) << OpenFailure::PortBusy
                                                  << "Port busy";
#ifndef Q_OS_WIN
        QTest::newRow("permission, English") << int(TextTable::English) << OpenFailure::PermissionDenied
                                             << "sudo usermod -aG";
        QTest::newRow("permission, Simplified Chinese") << int(TextTable::SimplifiedChinese)
                                                        << OpenFailure::PermissionDenied << QStringLiteral("没有权限");
        QTest::newRow("permission, Traditional Chinese") << int(TextTable::TraditionalChinese)
                                                         << OpenFailure::PermissionDenied << QStringLiteral("沒有權限");
#endif
    }
    void shouldSayTheReasonInTheWindowsLanguage()
    {
        QFETCH(int, language);
        QFETCH(OpenFailure, failure);
        QFETCH(QString, says);
        // A device of the test's own: the permission text asks the system for its group.
        QTemporaryDir dir;
        const QString device = dir.filePath(QStringLiteral("ttyUSB0"));
        QFile file(device);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        const QString tip = LinkFailureTip::text(failure, device, [language](int id) { return TextTable::text(id, language); });
        QVERIFY2(tip.contains(says), qPrintable(tip));
        QVERIFY2(tip.contains(device), qPrintable(tip));
        QVERIFY2(!tip.contains(QStringLiteral("%1")) && !tip.contains(QStringLiteral("%2")), qPrintable(tip));
    }
};

QTEST_GUILESS_MAIN(LinkFailureTipTest)
#include "linkfailuretiptest.moc"
