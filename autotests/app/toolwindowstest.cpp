// The Tools menu's windows as the language switch leaves them: every text they show from the
// text table in the language chosen, their font with a Latin sans-serif face first and the
// Chinese characters from the language's face, the monitor's time never cut off.
#include "app/toollook.h"
#include "app/trafficmonitorwindow.h"
#include "app/trafficrowdelegate.h"
#include "datahome.h"
#include "i18n/texttable.h"
#include "storefile.h"
#include "visibletexts.h"
#include "windowharness.h"

#include <QAction>
#include <QFontDatabase>
#include <QHeaderView>
#include <QPainter>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextLayout>

namespace {

const char *const languageEntries[TextTable::ColumnCount] = { "mnuEnglish", "mnuSimplified", "mnuTraditional" };

// The window the Tools menu (or a profile that cannot be read) opens.
QWidget *openWindow(WindowHarness &h, const QString &window)
{
    if (window == QLatin1String("frmProfileReport"))
        h.window->loadProfile(QStringLiteral("/zu42-no-such-folder/profile.json"));
    else if (window == QLatin1String("frmJig"))
        h.find<QAction>("mnuJig")->trigger();
    else if (window == QLatin1String("frmRecords"))
        h.find<QAction>("mnuRecords")->trigger();
    else
        h.find<QAction>(window == QLatin1String("frmMonitor") ? "mnuMonitor" : "mnuBusScan")->trigger();
    for (QWidget *top : QApplication::topLevelWidgets())
        if (top->objectName() == window && top->isVisible())
            return top;
    return nullptr;
}

// Opened in one language, then switched to `language` from the main window's menu.
void switchTo(WindowHarness &h, int language)
{
    if (language == TextTable::English)
        h.find<QAction>(languageEntries[TextTable::TraditionalChinese])->trigger();
    h.find<QAction>(languageEntries[language])->trigger();
}

// The id of the message that reads `text` in the column, -1 when none does.
int idOf(const QString &text, int language)
{
    for (int id = 0; id < TextTable::MessageCount; ++id)
        if (TextTable::text(id, language) == text)
            return id;
    return -1;
}

// The faces QTextLayout draws text with in font.
QStringList facesDrawing(const QString &text, const QFont &font)
{
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    QStringList faces;
    for (const QGlyphRun &run : layout.glyphRuns())
        faces.append(run.rawFont().familyName());
    return faces;
}

// A table that hands out the options it draws its cells with.
class CellTable : public QTableView
{
public:
    QStyleOptionViewItem cellOption()
    {
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        return option;
    }
};

// The first cell of `view` drawn by the delegate, cellWidth pixels wide, on a canvas of canvasWidth.
QImage drawnCell(TrafficRowDelegate &delegate, CellTable &view, int cellWidth, int canvasWidth)
{
    QStyleOptionViewItem option = view.cellOption();
    option.rect = QRect(0, 0, cellWidth, option.fontMetrics.height() + 6);
    QImage image(canvasWidth, option.rect.height(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    delegate.paint(&painter, option, view.model()->index(0, 0));
    return image;
}

} // namespace

class ToolWindowsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The jig window opens its record store in the user's data folder as it opens.
        QVERIFY(m_dataHome.isValid());
        DataHome::set(m_dataHome.path());
    }

    void cleanupTestCase() { DataHome::unset(); }

    void shouldShowOnlyTextsOfTheLanguage_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<int>("language");
        // What a window shows as it comes (the reason a profile was refused), not in its words.
        QTest::addColumn<QStringList>("values");
        const char *const names[] = { "English", "Simplified Chinese", "Traditional Chinese" };
        for (int language = 0; language < TextTable::ColumnCount; ++language) {
            QTest::addRow("bus scan, %s", names[language]) << "frmBusScan" << language << QStringList();
            QTest::addRow("monitor, %s", names[language]) << "frmMonitor" << language << QStringList();
            QTest::addRow("profile report, %s", names[language])
                << "frmProfileReport" << language << QStringList { QStringLiteral("lblProfileSummary") };
            // The day's counters, the store's address and the texts with a count, a name or a
            // path put into the table's words.
            QTest::addRow("jig, %s", names[language])
                << "frmJig" << language
                << QStringList { QStringLiteral("lblUnits"), QStringLiteral("lblPassed"), QStringLiteral("lblFailed"),
                                 QStringLiteral("lblErrors"), QStringLiteral("lblYield"), QStringLiteral("lblStore"), QStringLiteral("lblPending"),
                                 QStringLiteral("edJigMap"), QStringLiteral("edRecordStore") };
            // The store's address, the days, and the note that says the range is empty.
            QTest::addRow("records, %s", names[language])
                << "frmRecords" << language
                << QStringList { QStringLiteral("edRecordStore"), QStringLiteral("dtFrom"), QStringLiteral("dtTo") };
        }
    }

    void shouldShowOnlyTextsOfTheLanguage()
    {
        QFETCH(QString, window);
        QFETCH(int, language);
        QFETCH(QStringList, values);
        WindowHarness h;
        h.window->show();
        QWidget *tool = openWindow(h, window);
        QVERIFY(tool);
        switchTo(h, language);

        const auto texts = visibleTexts(tool, values);
        QVERIFY(texts.size() > 3);
        for (const auto &[control, text] : texts) {
            const QString where = control + QStringLiteral(": ") + text;
            const int id = idOf(text, language);
            QVERIFY2(id >= 0, qPrintable(where));
            // In Chinese only the words every column writes alike ("ID") may read as in English.
            if (language != TextTable::English && idOf(text, TextTable::English) >= 0)
                QVERIFY2(TextTable::text(id, TextTable::English) == text, qPrintable(where));
        }
        QCOMPARE(tool->font().families(), ToolLook::families(language));
    }

    void shouldDrawLatinInASansFaceAndChineseInTheLanguagesFace_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("chinese");
        QTest::addColumn<int>("script");
        QTest::newRow("English") << int(TextTable::English) << QString() << int(QFontDatabase::Latin);
        QTest::newRow("Simplified Chinese") << int(TextTable::SimplifiedChinese) << QString::fromUtf8(u8"正在扫描")
                                            << int(QFontDatabase::SimplifiedChinese);
        QTest::newRow("Traditional Chinese") << int(TextTable::TraditionalChinese) << QString::fromUtf8(u8"正在掃描")
                                             << int(QFontDatabase::TraditionalChinese);
    }

    void shouldDrawLatinInASansFaceAndChineseInTheLanguagesFace()
    {
        QFETCH(int, language);
        QFETCH(QString, chinese);
        QFETCH(int, script);
        const QFont font = ToolLook::font(language);
        QCOMPARE(font.families().value(0), ToolLook::latinFamilies().value(0));
        bool installed = false;
        for (const QString &face : ToolLook::latinFamilies())
            installed = installed || QFontDatabase::hasFamily(face);
        if (!installed)
            QSKIP("none of the Latin sans-serif faces is installed");

        const QStringList latin = facesDrawing(QStringLiteral("ID 005 RO420 24010042"), font);
        QVERIFY(!latin.isEmpty());
        for (const QString &face : latin)
            QVERIFY2(ToolLook::latinFamilies().contains(face), qPrintable(face));
        if (chinese.isEmpty())
            return;
        const QStringList han = facesDrawing(chinese, font);
        QVERIFY(!han.isEmpty());
        for (const QString &face : han) {
            QVERIFY2(!ToolLook::latinFamilies().contains(face), qPrintable(face));
            QVERIFY2(QFontDatabase::writingSystems(face).contains(QFontDatabase::WritingSystem(script)), qPrintable(face));
        }
    }

    void shouldMeasureTheCellThatHoldsTheTextWhole_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("text");
        QTest::newRow("English time") << int(TextTable::English) << "23:59:58.888";
        QTest::newRow("Simplified Chinese time") << int(TextTable::SimplifiedChinese) << "23:59:58.888";
        QTest::newRow("Traditional Chinese word") << int(TextTable::TraditionalChinese) << QString::fromUtf8(u8"回應逾時");
    }

    // Drawn in the width measured, the text is as in a wide cell: whole, and inside its cell.
    void shouldMeasureTheCellThatHoldsTheTextWhole()
    {
        QFETCH(int, language);
        QFETCH(QString, text);
        QStandardItemModel model(1, 1);
        model.setItem(0, 0, new QStandardItem(text));
        CellTable view;
        view.setModel(&model);
        view.setFont(ToolLook::font(language));
        TrafficRowDelegate delegate;
        const int width = delegate.cellWidth(text, view.font(), &view);
        const int advance = QFontMetrics(view.font()).horizontalAdvance(text);
        QVERIFY2(width >= advance && width < advance + 30, qPrintable(QStringLiteral("%1 for %2").arg(width).arg(advance)));
        const int canvas = width + 80;
        QCOMPARE(drawnCell(delegate, view, width, canvas), drawnCell(delegate, view, canvas, canvas));
        // Cut short, the text is no longer all there.
        QVERIFY(drawnCell(delegate, view, advance / 2, canvas) != drawnCell(delegate, view, canvas, canvas));
    }

    void shouldHoldTheWholeTimeInEveryLanguage_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("English, as it comes") << int(TextTable::English) << QByteArray();
        QTest::newRow("Simplified Chinese, as it comes") << int(TextTable::SimplifiedChinese) << QByteArray();
        QTest::newRow("Traditional Chinese, as it comes") << int(TextTable::TraditionalChinese) << QByteArray();
        // Widths an operator chose in a smaller face.
        QTest::newRow("Simplified Chinese, chosen narrow")
            << int(TextTable::SimplifiedChinese) << QByteArray("\"MonitorColumns\"=\"44,60,120,140,210,96,150,80\"\n");
    }

    void shouldHoldTheWholeTimeInEveryLanguage()
    {
        QFETCH(int, language);
        QFETCH(QByteArray, stored);
        WindowHarness h([&stored](const QString &configDir) {
            if (!stored.isEmpty())
                QVERIFY(StoreFile::write(configDir, StoreFile::withValues(stored)));
        });
        h.window->show();
        QWidget *monitor = openWindow(h, QStringLiteral("frmMonitor"));
        QVERIFY(monitor);
        switchTo(h, language);
        QCoreApplication::processEvents();
        auto *view = monitor->findChild<QTableView *>(QStringLiteral("tblTraffic"));
        auto *delegate = qobject_cast<TrafficRowDelegate *>(view->itemDelegate());
        QVERIFY(delegate);
        for (char digit = '0'; digit <= '9'; ++digit) {
            const QString time = QStringLiteral("00:00:00.000").replace(QLatin1Char('0'), QLatin1Char(digit));
            const int needed = delegate->cellWidth(time, view->font(), view) + (view->showGrid() ? 1 : 0);
            QVERIFY2(view->columnWidth(TrafficModel::TimeColumn) >= needed,
                     qPrintable(QStringLiteral("%1 needs %2").arg(time).arg(needed)));
        }
    }

private:
    QTemporaryDir m_dataHome;
};

QTEST_MAIN(ToolWindowsTest)
#include "toolwindowstest.moc"
