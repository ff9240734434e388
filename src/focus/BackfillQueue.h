#pragma once

#include <vector>

namespace kelvaris {

// Which of the shots already in the folder at Start the focus curve takes
// in, in what order, and where each goes in the session. Pure bookkeeping:
// SessionBackfill does the work.
//
// The folder's files are numbered in name order, 0 the oldest; the last is
// the shot that Start takes itself. The others are measured newest first,
// one at a time, while the work done stays within the budget and until
// enough have been taken: the newest are the likeliest to belong to the
// session at hand, and older folders may hold thousands of shots of other
// days. A file that cannot be taken (damaged, not a JPEG) is passed over.
// The shots taken stand in the session in name order, before every shot
// taken since Start.
class BackfillQueue
{
public:
    // A new folder of `files` files, none measured yet.
    void reset(int files, double budgetMs, int maxShots);

    // The next file to measure; -1 when none is left, the budget is spent,
    // or enough shots have been taken.
    int next() const;
    // File `file` has been tried, in `ms` milliseconds of work; `taken`
    // when it is a shot now in the session.
    void tried(int file, bool taken, double ms);

    // Where the shot of file `file` goes in the session: after the shots
    // taken from older files.
    int placeOf(int file) const;

    int taken() const { return static_cast<int>(m_taken.size()); }
    double spentMs() const { return m_spentMs; }

private:
    int m_next = -1;
    double m_budgetMs = 0;
    int m_maxShots = 0;
    double m_spentMs = 0;
    std::vector<int> m_taken; // files taken, in name order
};

} // namespace kelvaris
