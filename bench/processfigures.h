#pragma once

#include <QByteArray>

#include <vector>

class LinkSettings;

// What the benchmarks measure of this process, and the exchange times they compare with.
namespace ProcessFigures {

// User and system CPU time of the whole process so far.
double cpuSeconds();
// VmRSS in KiB, or -1 where /proc cannot say.
long residentKiB();
// Open descriptors; the listing's own is counted alike every time.
int openDescriptors();

double medianMs(std::vector<double> values);
// The median time of the command's answered exchanges on a link of its own, or -1 when none was
// answered or the link did not open; `answered` (when given) says how many were.
double exchangeMs(const LinkSettings &settings, const QByteArray &command, int count, int *answered = nullptr);

} // namespace ProcessFigures
