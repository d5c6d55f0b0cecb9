#pragma once

#include "i18n/language.h"
#include "site/site.h"

#include <QDateTime>
#include <QFont>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class QPainter;
class QPaintDevice;

// The handover report of a site: one row per controller (ID, serial number, model, version,
// the profile and whether it matched at the last read, clock offset, last action and result,
// the serial numbers it replaced), headed by the site's name, the date and the tool's version.
// As CSV (cells a spreadsheet shows as text, never runs) and as a PDF drawn with QPdfWriter.
// The PDF is for people and speaks the language asked for (the window's); the CSV is English
// whatever the window's language, since programs read it and its words are its format. In
// English a failed unit's result is its reason in full; in another language it is the short
// word of its kind of failure, or the English reason where the kind is not known.
class SiteReport
{
public:
    static QStringList header(int language = Language::English);
    static QList<QStringList> rows(const Site &site, int language = Language::English);
    // The cells the site window shows as well.
    static QString profileText(const Site &site, const SiteUnit &unit, int language);
    static QString resultText(const SiteUnit &unit, int language);
    // The action's name as the window's buttons say it (SiteActions' words in the English CSV).
    static QString actionText(const QString &word, int language);
    // The short word for a kind of failure; empty for none and for one said only by its reason.
    static QString failureText(SiteUnit::Failure failure, int language);

    static QByteArray csv(const Site &site, const QDateTime &date, const QString &madeBy);
    static bool writeCsv(const QString &path, const Site &site, const QDateTime &date, const QString &madeBy,
                         QString *why = nullptr);
    // The report's pages on any paint device; newPage moves to the next one (a PDF's, or a
    // picture's that only shows the first). The font's family is the language's.
    static void draw(QPainter &painter, QPaintDevice &device, const std::function<void()> &newPage, const Site &site,
                     const QDateTime &date, const QString &madeBy, int language = Language::English,
                     const QFont &font = QFont(QStringLiteral("Sans")));
    static bool writePdf(const QString &path, const Site &site, const QDateTime &date, const QString &madeBy,
                         QString *why = nullptr, int language = Language::English,
                         const QFont &font = QFont(QStringLiteral("Sans")));
};
