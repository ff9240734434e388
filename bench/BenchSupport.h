#pragma once

// What every section of the benchmark needs: test shots, statistics and the
// process's own processor time and memory, as Linux reports them.

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <QtGlobal>

#include <functional>
#include <vector>

namespace kelvaris::bench {

// Picture sizes of the sections, in pixels.
constexpr int Width24 = 6000, Height24 = 4000;
constexpr int Width45 = 8256, Height45 = 5504;

// A JPEG (quality 90, 4:2:0) of a detailed synthetic scene: shapes, lines,
// text and fine stripes under sensor-like noise, so that the file is about
// as large as a camera's and the decoder has as much to do. `seed` makes
// different pictures of the same size.
QByteArray makeDetailedJpeg(int width, int height, quint32 seed);

// Writes `bytes` to `path`; false on any failure.
bool writeFile(const QString& path, const QByteArray& bytes);

// The median of `values` (the mean of the two middle ones for an even count).
double median(std::vector<double> values);

// Processor time of the process so far, user and system, in seconds.
double cpuSeconds();

// A "Vm..." line of /proc/self/status in kB, -1 when it cannot be read.
qint64 procStatusKb(const char* key);

// Starts the peak resident size (VmHWM) afresh from the current size;
// false when the kernel refuses.
bool resetPeakResidentSize();

// Hands memory freed by the heap back to the system, so that a resident
// size measured next is not flattered by pages kept for reuse.
void releaseFreedMemory();

// Processor model and core count; Qt, TurboJPEG and kernel versions.
QString machineDescription();

// The one-minute load average, -1 when unknown: other work on the machine
// makes every figure slower and noisier.
double loadAverage();

// "12.3" with `decimals` digits.
QString number(double value, int decimals = 2);

// Runs the event loop until `done` answers true, at most `timeoutMs`;
// whether it did. The loop sleeps between events: a wait that spun would
// take a core from the work it waits for. (processEvents with a time limit
// spins: it drops WaitForMoreEvents.)
bool waitUntil(const std::function<bool()>& done, int timeoutMs = 30000);

// Milliseconds since `clock` started.
double elapsedMs(const QElapsedTimer& clock);
// "0.123 ms", "12.34 ms", "123.4 ms".
QString ms(double value);
// "1.08x".
QString ratioText(double ratio);

} // namespace kelvaris::bench
