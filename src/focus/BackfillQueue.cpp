#include "focus/BackfillQueue.h"

#include <algorithm>

namespace kelvaris {

void BackfillQueue::reset(int files, double budgetMs, int maxShots)
{
    // The last file is the shot Start takes.
    m_next = files - 2;
    m_budgetMs = budgetMs;
    m_maxShots = maxShots;
    m_spentMs = 0;
    m_taken.clear();
}

int BackfillQueue::next() const
{
    if (m_next < 0 || m_spentMs >= m_budgetMs || taken() >= m_maxShots)
        return -1;
    return m_next;
}

void BackfillQueue::tried(int file, bool taken, double ms)
{
    m_spentMs += std::max(0.0, ms);
    if (taken)
        m_taken.insert(std::lower_bound(m_taken.begin(), m_taken.end(), file), file);
    m_next = std::min(m_next, file - 1);
}

int BackfillQueue::placeOf(int file) const
{
    return static_cast<int>(std::lower_bound(m_taken.begin(), m_taken.end(), file) -
                            m_taken.begin());
}

} // namespace kelvaris
