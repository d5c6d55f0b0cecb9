#pragma once

#include <QString>

// What the production window remembers, in the same settings key as the main window but under
// value names of its own: the main window's values are never read or written here.
//
//   JigStation      the station's name; a new PC starts with its host name
//   JigOperator     the operator last named
//   JigMapFile      the jig map file; empty for the default map
//   JigRecordStore  the record store's connection string; empty for the SQLite file in the
//                   data folder
//   JigEngineering  1 while the station tests engineering runs (kept, never counted in yield);
//                   a DWORD, anything but 1 is 0
//   JigCertificate  1 while a certificate (PDF) of each recorded unit is written and opened;
//                   a DWORD as above
//   JigCertificateFolder  where the certificates go; empty for the user's documents folder
//
// A value that is missing or is not a string keeps its default; the others are still read.
struct JigSettings
{
    QString station;
    QString operatorName;
    QString jigMapPath;
    QString recordStore;
    bool engineering = false;
    bool certificate = false;
    QString certificateFolder;

    static JigSettings defaults();
    static JigSettings read();
    // Writes all seven values, creating the key when missing; false when they could not be kept.
    bool save() const;
};
