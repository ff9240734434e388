#include "focus/RegionJudgement.h"

namespace kelvaris {

RegionJudgement judgeRegion(std::span<const RegionSharpness> shots)
{
    RegionJudgement judgement;
    for (const RegionSharpness& shot : shots)
        judgement.enoughDetail = judgement.enoughDetail || shot.enoughDetail;
    if (!judgement.enoughDetail)
        return judgement;
    double best = 0;
    for (std::size_t i = 0; i < shots.size(); ++i) {
        const RegionSharpness& shot = shots[i];
        if (shot.measuredFraction > 0 && (judgement.best < 0 || shot.value > best)) {
            best = shot.value;
            judgement.best = static_cast<int>(i);
        }
    }
    return judgement;
}

} // namespace kelvaris
