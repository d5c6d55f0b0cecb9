// The desktop finds the tool's entry and icon by the application id the program declares, and
// the window carries the icon: the installed theme's when there is one, the program's own
// drawing when it runs from the build folder.
#include "app/programidentity.h"
#include "zu42version.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

namespace {

// An icon theme as a desktop installs it: hicolor with its index, and the application's icon in
// one size when installed is true.
void writeTheme(const QString &root, bool installed)
{
    QDir(root).mkpath(QStringLiteral("hicolor/48x48/apps"));
    QFile index(root + QStringLiteral("/hicolor/index.theme"));
    QVERIFY(index.open(QIODevice::WriteOnly));
    index.write("[Icon Theme]\nName=Hicolor\nDirectories=48x48/apps\n\n"
                "[48x48/apps]\nSize=48\nContext=Applications\nType=Threshold\n");
    index.close();
    if (installed) {
        // A plain red square, which no part of the drawing is.
        QImage red(48, 48, QImage::Format_ARGB32);
        red.fill(Qt::red);
        QVERIFY(red.save(root + QStringLiteral("/hicolor/48x48/apps/" ZU42_APP_ID ".png")));
    }
}

} // namespace

class ProgramIdentityTest : public QObject
{
    Q_OBJECT

private slots:
    void shouldDeclareTheProgramToTheDesktop()
    {
        ProgramIdentity::declare(QStringLiteral("zu42tool"));
        QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("zu42tool"));
        QCOMPARE(QCoreApplication::applicationVersion(), QStringLiteral(ZU42_VERSION));
        // The installed desktop entry is <id>.desktop; the desktop matches the window to it by this.
        QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral(ZU42_APP_ID));
        QCOMPARE(QGuiApplication::desktopFileName(), ProgramIdentity::applicationId());
    }

    void shouldTakeTheIconFromTheThemeElseFromTheProgram_data()
    {
        QTest::addColumn<bool>("installed");
        QTest::newRow("installed in the theme") << true;
        QTest::newRow("run from the build folder") << false;
    }
    void shouldTakeTheIconFromTheThemeElseFromTheProgram()
    {
        QFETCH(bool, installed);
        QTemporaryDir icons;
        QVERIFY(icons.isValid());
        writeTheme(icons.path(), installed);
        // What a desktop's platform theme gives; the offscreen platform names no theme.
        QIcon::setThemeSearchPaths({ icons.path() });
        QIcon::setThemeName(QStringLiteral("hicolor"));

        ProgramIdentity::setWindowIcon();
        const QIcon icon = QApplication::windowIcon();
        QCOMPARE(icon.name(), installed ? QStringLiteral(ZU42_APP_ID) : QString());
        const QImage image = icon.pixmap(48, 48).toImage();
        QVERIFY(!image.isNull());
        // The middle of the lamp: red from the theme, the lit green of the drawing otherwise
        // (which shows that the drawing is in the program and can be drawn).
        const QColor lamp = image.pixelColor(image.width() * 49 / 128, image.height() * 90 / 128);
        if (installed) {
            QCOMPARE(lamp, QColor(Qt::red));
        } else {
            QVERIFY2(lamp.green() > 150 && lamp.red() < 150 && lamp.blue() < 150, qPrintable(lamp.name()));
        }
        QWidget window;
        QCOMPARE(window.windowIcon().cacheKey(), icon.cacheKey());
    }
};

QTEST_MAIN(ProgramIdentityTest)
#include "programidentitytest.moc"
