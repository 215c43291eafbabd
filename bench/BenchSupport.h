#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Small pieces shared by the benchmark programs.
namespace BenchSupport {

// Monotonic clock, in seconds.
double now();

struct ToolRun {
    double seconds = 0;
    qint64 bytes = 0;
    int status = 0;
};

// Starts a program and reads its output (standard output and error) to the
// end in 1 MiB reads, throwing the bytes away unless `keep` is given: the
// floor that a listing is measured against.
ToolRun drain(const QString &program, const QStringList &arguments, QByteArray *keep = nullptr);

// Peak resident memory of this process so far, in bytes.
qint64 peakRss();

// Processor time (user and system) of this process so far, in seconds.
double cpuSeconds();

QByteArray readFile(const QString &path);

}
