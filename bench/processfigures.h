#pragma once

#include <QByteArray>

#include <vector>

class LinkSettings;

// The exchange times the benchmarks compare their figures with. The process's own figures
// (CPU time, memory, descriptors) are the tests' ProcessProbe.
namespace ProcessFigures {

double medianMs(std::vector<double> values);
// The median time of the command's answered exchanges on a link of its own, or -1 when none was
// answered or the link did not open; `answered` (when given) says how many were.
double exchangeMs(const LinkSettings &settings, const QByteArray &command, int count, int *answered = nullptr);

} // namespace ProcessFigures
