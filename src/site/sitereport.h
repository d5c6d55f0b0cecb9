#pragma once

#include "site/site.h"

#include <QDateTime>
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
// Its words are English: the report goes to whoever takes the site over.
class SiteReport
{
public:
    static QStringList header();
    static QList<QStringList> rows(const Site &site);

    static QByteArray csv(const Site &site, const QDateTime &date, const QString &madeBy);
    static bool writeCsv(const QString &path, const Site &site, const QDateTime &date, const QString &madeBy,
                         QString *why = nullptr);
    // The report's pages on any paint device; newPage moves to the next one (a PDF's, or a
    // picture's that only shows the first).
    static void draw(QPainter &painter, QPaintDevice &device, const std::function<void()> &newPage, const Site &site,
                     const QDateTime &date, const QString &madeBy);
    static bool writePdf(const QString &path, const Site &site, const QDateTime &date, const QString &madeBy,
                         QString *why = nullptr);
};
