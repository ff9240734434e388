#pragma once

#include "ResultTable.h"

namespace kelvaris::bench {

struct RunOptions
{
    // Fewer repetitions and a shorter idle run: for profiling under a
    // slow tool such as callgrind, not for the figures.
    bool quick = false;
};

// Each section measures one aspect of the program, judges it against its
// goal and adds its rows to `table`.
void benchDecode(ResultTable& table, const RunOptions& options);
void benchArrival(ResultTable& table, const RunOptions& options);
void benchLoading(ResultTable& table, const RunOptions& options);
void benchInstrument(ResultTable& table, const RunOptions& options);
void benchIdleTick(ResultTable& table, const RunOptions& options);
void benchIdleCpu(ResultTable& table, const RunOptions& options);
void benchMemory(ResultTable& table, const RunOptions& options);
void benchPan(ResultTable& table, const RunOptions& options);
void benchResize(ResultTable& table, const RunOptions& options);
void benchSharpness(ResultTable& table, const RunOptions& options);
void benchAids(ResultTable& table, const RunOptions& options);

// A row telling that a section could not measure what it should have.
void fault(ResultTable& table, const QString& section, const QString& what);

} // namespace kelvaris::bench
