#pragma once

#include "records/unitrecord.h"

#include <QFont>
#include <QRectF>
#include <QString>

class QPainter;

// A one-page certificate of one test of a unit, to file or ship with it: who the unit is, where,
// when and by whom it was tested, with which tool, each step's expected and measured value and
// result, and the verdict large. Black on white, so that it prints alike on any printer; written
// with Qt's PDF writer (no print module), in the language given.
class CertificatePdf
{
public:
    // toolName: the program and its version as the page names it. font: the face for the
    // language (a Chinese face for Chinese). False, with why, when the file cannot be written.
    // The page drawn into page on any painter (a PDF page, an image to look at).
    static void paint(QPainter &painter, const QRectF &page, const UnitRecord &record, int language, const QString &toolName,
                      const QFont &font);
    static bool write(const UnitRecord &record, int language, const QString &toolName, const QFont &font, const QString &path,
                      QString *why = nullptr);
};
