#include "platform/WorkerPriority.h"

#include <QThread>

namespace kelvaris {

void lowerThisThreadsPriority()
{
    QThread::currentThread()->setPriority(QThread::LowPriority);
}

} // namespace kelvaris
