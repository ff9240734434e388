#include "capture/ShotLoading.h"
#include "capture/Upright.h"

#include "platform/ImageBox.h"
#include "platform/WorkerPriority.h"

#include <QThreadPool>

#include <mutex>
#include <utility>

namespace kelvaris {

namespace {

std::mutex g_hookMutex;
ShotLoading::WholeDecodingHook g_beforeWhole;

void beforeWhole(const StopFlag& stop)
{
    ShotLoading::WholeDecodingHook hook;
    {
        const std::lock_guard lock(g_hookMutex);
        hook = g_beforeWhole;
    }
    if (hook)
        hook(stop);
}

// A part worth decoding first: the pane shows a small crop of a large shot.
// A part of half the shot or more would only delay the whole.
bool worthAPart(const QRect& part, QSize whole)
{
    return !part.isEmpty() &&
           2 * qint64(part.width()) * part.height() < qint64(whole.width()) * whole.height();
}

// How the region in view comes first. The whole decoding goes down the
// stored picture row by row: a part in its upper rows is ready once the
// decoder has passed it, at no cost. A part lower down is decoded beside
// it on the pool's other thread, skipping the rows above it (their
// coefficients read, not transformed): sooner, but on two virtual cores
// the two decodings slow each other by a third. The line between them:
// a part whose last row lies in the upper InPassShare of the picture
// comes out of the whole decoding, by then some 0.6 of its time; a
// lower one, decoded beside it, in about 0.4 of a decoding or less.
constexpr double InPassShare = 0.6;

bool comesInPass(const StoredPart& part, QSize stored)
{
    return part.stored.bottom() < InPassShare * stored.height();
}

} // namespace

// What the workers share with the loading: the stop flag, and the way back
// to the loading while it lives. Results are posted under the mutex, so
// that the loading cannot be deleted between the check and the posting; a
// result posted to a loading deleted afterwards is dropped by Qt.
struct ShotLoading::Shared
{
    StopFlag stop{false};
    std::mutex mutex;
    ShotLoading* receiver = nullptr;

    template <class Call> void post(Call&& call)
    {
        const std::lock_guard lock(mutex);
        if (receiver)
            QMetaObject::invokeMethod(receiver, std::forward<Call>(call), Qt::QueuedConnection);
    }
};

ShotLoading::ShotLoading(NativePath path, QRect part, QThreadPool& pool)
    : m_path(std::move(path)), m_shared(std::make_shared<Shared>())
{
    m_shared->receiver = this;
    pool.start([shared = m_shared, path = m_path, part, pool = &pool] {
        lowerThisThreadsPriority();
        auto file = std::make_shared<const ShotFile>(readShot(path));
        const StoredPart stored = storedPartOf(*file, part);
        const bool wanted = !stored.stored.isEmpty() && worthAPart(stored.where, stored.whole);
        // Files decoded whole only (progressive, arithmetic-coded, CMYK)
        // give the part out of the whole decoding wherever it lies.
        const bool inPass = wanted && (comesInPass(stored, file->stored) || !file->partDecodable);
        if (wanted && !inPass) {
            pool->start([shared, file, part] {
                lowerThisThreadsPriority();
                const ShotPart decoded = decodeShotPart(*file, part, &shared->stop);
                if (decoded.pixels)
                    shared->post([shared, decoded] { shared->receiver->partArrived(decoded); });
            });
        }
        bool partTaken = false;
        const RowsDecoded rowsDecoded = [&](const QImage& picture, int rows) {
            if (partTaken)
                return;
            const ShotPart taken = takePart(stored, picture, rows);
            if (!taken.pixels)
                return;
            partTaken = true;
            shared->post([shared, taken] { shared->receiver->partArrived(taken); });
        };
        LoadedShot shot =
            decodeShotFile(*file, &shared->stop, inPass ? rowsDecoded : RowsDecoded());
        beforeWhole(shared->stop);
        // Changed once read: a newer state of the file is on its way.
        if (shot.taken()) {
            const LoadedShot still = stillAsRead(path, *file);
            if (!still.taken())
                shot = still;
        }
        QImage rendition = shot.taken() ? ImageBox::renditionOf(*shot.picture) : QImage();
        shared->post([shared, shot = std::move(shot), stamp = file->stamp,
                      rendition = std::move(rendition)] {
            shared->receiver->wholeArrived(shot, stamp, rendition);
        });
    });
}

void ShotLoading::setBeforeWholeForTesting(WholeDecodingHook hook)
{
    const std::lock_guard lock(g_hookMutex);
    g_beforeWhole = std::move(hook);
}

ShotLoading::~ShotLoading()
{
    const std::lock_guard lock(m_shared->mutex);
    m_shared->receiver = nullptr;
    m_shared->stop = true;
}

void ShotLoading::stop()
{
    m_shared->stop = true;
}

void ShotLoading::partArrived(const ShotPart& part)
{
    // The whole shot came first: its part has nothing more to show.
    if (m_state != State::Loading)
        return;
    m_hasPart = true;
    emit partDecoded(part);
}

void ShotLoading::wholeArrived(const LoadedShot& shot, const FileStamp& stamp,
                               const QImage& rendition)
{
    m_result = shot;
    m_stamp = stamp;
    m_rendition = rendition;
    m_state = shot.taken() ? State::Loaded : State::Failed;
    emit finished();
}

} // namespace kelvaris
