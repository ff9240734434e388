// The comparison view's sections: memory with two large shots, dragging a
// large shot in its pane, and resizing the window.

#include "BenchSupport.h"
#include "PaintCounter.h"
#include "ProgramSession.h"
#include "Sections.h"

#include "platform/Twips.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMouseEvent>
#include <QScreen>
#include <QTemporaryDir>

namespace kelvaris::bench {

namespace {

constexpr double FullPictureBytes = double(Width45) * Height45 * 4;

QString megabytes(double bytes)
{
    return number(bytes / 1e6, 1) + QStringLiteral(" MB");
}

// Two different 45-megapixel shots: the first in `reception`, the second
// kept aside in `staging` until it is moved in as a new shot. Returns the
// size of the second file, 0 on failure.
qint64 writeTwoShots(const QTemporaryDir& reception, const QTemporaryDir& staging)
{
    const QByteArray second = makeDetailedJpeg(Width45, Height45, 46);
    const bool written = writeFile(reception.filePath(QStringLiteral("IMG_0001.JPG")),
                                   makeDetailedJpeg(Width45, Height45, 45)) &&
                         writeFile(staging.filePath(QStringLiteral("IMG_0002.JPG")), second);
    return written ? second.size() : 0;
}

// Start takes the first shot, Select makes it the reference, and the
// second shot arrives as the current one.
bool showTwoShots(ProgramSession& session, const QTemporaryDir& reception,
                  const QTemporaryDir& staging)
{
    MainWindow& F = session.window();
    session.watchByHand(reception.path());
    F.gestures.B_Select_Click();
    ProgramSession::settle();
    if (!QFile::rename(staging.filePath(QStringLiteral("IMG_0002.JPG")),
                       reception.filePath(QStringLiteral("IMG_0002.JPG"))))
        return false;
    F.watcher.TM_TimerRead_Timer();
    session.finishLooks();
    const Picture& current = F.P_ImgLast.picture();
    const Picture& reference = F.P_ImgRef.picture();
    return current && reference && current != reference &&
           current->size() == QSize(Width45, Height45) &&
           reference->size() == QSize(Width45, Height45) &&
           F.T_ImageCourante.text() == QStringLiteral("IMG_0002.JPG");
}

// Whether the window's backing store shows the current shot, pixel for
// pixel, across the current pane.
bool paneShowsPicture(MainWindow& F)
{
    QWidget* pane = F.P_BaseLast.clientWidget();
    const QRect area(pane->mapTo(&F, QPoint(0, 0)), pane->size());
    const QImage shown =
        F.screen()
            ->grabWindow(F.winId(), area.x(), area.y(), area.width(), area.height())
            .toImage();
    const QPoint origin = F.P_ImgLast.widget()->mapTo(&F, QPoint(0, 0));
    const QImage& picture = *F.P_ImgLast.picture();
    if (shown.size() != area.size())
        return false;
    for (int y = 0; y < shown.height(); y += 37) {
        for (int x = 0; x < shown.width(); x += 37) {
            const QPoint at = area.topLeft() + QPoint(x, y) - origin;
            if (!picture.rect().contains(at) ||
                (shown.pixel(x, y) & 0xffffff) != (picture.pixel(at) & 0xffffff))
                return false;
        }
    }
    return true;
}

void sendMouse(QWidget* widget, QEvent::Type type, QPointF at, Qt::MouseButton button,
               Qt::MouseButtons held)
{
    QMouseEvent event(type, at, widget->mapToGlobal(at), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

} // namespace

void benchMemory(ResultTable& table, const RunOptions&)
{
    const QString section = QStringLiteral("memory");
    QTemporaryDir reception, staging;
    const qint64 fileSize = writeTwoShots(reception, staging);
    if (fileSize == 0)
        return fault(table, section, QStringLiteral("cannot write the 45 MP test shots"));
    table.note(section, QStringLiteral("45 MP test shot (8256x5504, q90, 4:2:0)"),
               megabytes(double(fileSize)));
    ProgramSession session;
    if (!session.ready())
        return fault(table, section, QStringLiteral("the main window could not be shown"));

    ProgramSession::settle();
    releaseFreedMemory();
    const qint64 baselineKb = procStatusKb("VmRSS");
    if (!resetPeakResidentSize())
        table.note(section, QStringLiteral("peak could not be reset: it includes earlier sections"),
                   QStringLiteral("run --only memory"));
    if (!showTwoShots(session, reception, staging))
        return fault(table, section, QStringLiteral("the two shots were not shown"));
    const qint64 peakKb = procStatusKb("VmHWM");
    const qint64 afterKb = procStatusKb("VmRSS");
    releaseFreedMemory();
    const qint64 trimmedKb = procStatusKb("VmRSS");
    if (baselineKb < 0 || peakKb < 0 || afterKb < 0 || trimmedKb < 0)
        return fault(table, section, QStringLiteral("/proc/self/status cannot be read"));

    const double baseline = double(baselineKb) * 1024;
    const double twoPictures = 2 * FullPictureBytes;
    table.note(section, QStringLiteral("resident before the shots (baseline)"),
               megabytes(baseline));
    table.note(section, QStringLiteral("two full 45 MP pictures"), megabytes(twoPictures));
    table.note(section, QStringLiteral("resident after, above baseline + 2 pictures"),
               megabytes(double(afterKb) * 1024 - baseline - twoPictures));
    // What the heap keeps of freed blocks (the file's data, say) for reuse.
    table.note(section, QStringLiteral("  the same once the heap hands freed memory back"),
               megabytes(double(trimmedKb) * 1024 - baseline - twoPictures));
    const double excess = double(peakKb) * 1024 - baseline - twoPictures;
    table.add(section, QStringLiteral("peak above baseline + 2 pictures (Select, new shot)"),
              megabytes(excess), {}, {}, QStringLiteral("< 64 MB"), excess < 64e6);
}

void benchPan(ResultTable& table, const RunOptions& options)
{
    const QString section = QStringLiteral("pan");
    QTemporaryDir reception;
    if (!writeFile(reception.filePath(QStringLiteral("IMG_0001.JPG")),
                   makeDetailedJpeg(Width45, Height45, 45)))
        return fault(table, section, QStringLiteral("cannot write the 45 MP test shot"));
    ProgramSession session;
    if (!session.ready() || !session.resizeClient(1600, 1000))
        return fault(table, section, QStringLiteral("the window could not be shown at 1600x1000"));
    MainWindow& F = session.window();
    session.watchByHand(reception.path());
    if (!F.P_ImgLast.picture() || F.P_ImgLast.picture()->size() != QSize(Width45, Height45))
        return fault(table, section, QStringLiteral("Start did not take the test shot"));

    // The shot's centre in the middle of the pane, as after a double-click.
    // The offsets are whole pixels, halves rounded down.
    const int side = F.P_BaseLast.clientWidget()->width();
    const int offsetX = Width45 / 2 - side / 2;
    const int offsetY = Height45 / 2 - side / 2;
    const double perPixel = twipsPerPixel();
    F.P_ImgLast.setLeft(float(-offsetX * perPixel));
    F.P_ImgLast.setTop(float(-offsetY * perPixel));
    ProgramSession::settle();

    // Qt moves the picture's widget by scrolling what the window already
    // shows and paints only the strips uncovered; the second round repaints
    // the whole visible crop after each move, as when the pane is exposed;
    // the third has peaking on, which measures the crop again at each move.
    QWidget* picture = F.P_ImgLast.widget();
    const QPointF grab(Width45 / 2.0, Height45 / 2.0); // both sizes are even
    const int moves = options.quick ? 20 : 200;
    enum class Round
    {
        Moved,
        WholeCrop,
        Peaking
    };
    for (const Round round : {Round::Moved, Round::WholeCrop, Round::Peaking}) {
        F.aids.setPeakingShown(round == Round::Peaking);
        ProgramSession::settle();
        sendMouse(picture, QEvent::MouseButtonPress, grab, Qt::LeftButton, Qt::LeftButton);
        PaintCounter painted(picture);
        std::vector<double> times;
        for (int i = 0; i < moves; ++i) {
            // The grabbed point follows the pointer: the shot goes back and forth.
            const QPointF step = i % 2 ? QPointF(-12, -9) : QPointF(12, 9);
            QElapsedTimer clock;
            clock.start();
            sendMouse(picture, QEvent::MouseMove, grab + step, Qt::NoButton, Qt::LeftButton);
            // The picture's whole widget marked dirty: what is visible of
            // it, the pane's crop, is painted at the next sync.
            if (round == Round::WholeCrop)
                picture->update();
            ProgramSession::settle();
            times.push_back(double(clock.nsecsElapsed()) / 1e6);
        }
        sendMouse(picture, QEvent::MouseButtonRelease, grab, Qt::LeftButton, Qt::NoButton);
        F.aids.setPeakingShown(false);
        ProgramSession::settle();
        if (painted.paints < moves)
            return fault(table, section, QStringLiteral("the moves were not all painted"));
        if (!paneShowsPicture(F))
            return fault(table, section, QStringLiteral("the pane does not show the shot"));
        const double move = median(times);
        const QString what[] = {
            QStringLiteral("one drag move of a 45 MP shot, painted"),
            QStringLiteral("one drag move, whole %1 px crop repainted").arg(side),
            QStringLiteral("one drag move, peaking on (%1 px crop)").arg(side)};
        table.add(section, what[int(round)], ms(move), {}, {}, QStringLiteral("<= 4 ms"),
                  move <= 4);
        table.note(section, QStringLiteral("  pixels painted per move"),
                   QString::number(painted.pixels / moves));
    }
}

void benchResize(ResultTable& table, const RunOptions& options)
{
    const QString section = QStringLiteral("resize");
    QTemporaryDir reception, staging;
    if (writeTwoShots(reception, staging) == 0)
        return fault(table, section, QStringLiteral("cannot write the 45 MP test shots"));
    ProgramSession session;
    if (!session.ready() || !session.resizeClient(1500, 1000))
        return fault(table, section, QStringLiteral("the window could not be shown at 1500x1000"));
    MainWindow& F = session.window();
    if (!showTwoShots(session, reception, staging))
        return fault(table, section, QStringLiteral("the two shots were not shown"));

    PaintCounter overviewPaints(F.I_ImgLast.widget());
    PaintCounter referencePaints(F.P_ImgRef.widget());
    const QSize sizes[] = {{1400, 900}, {1500, 1000}};
    const int resizes = options.quick ? 6 : 30;
    std::vector<double> times;
    for (int i = 0; i < resizes; ++i) {
        const QSize size = sizes[i % 2];
        const int paneBefore = F.P_BaseLast.widget()->width();
        QElapsedTimer clock;
        clock.start();
        F.resize(size);
        for (int k = 0; k < 100 && F.size() != size; ++k)
            QCoreApplication::processEvents();
        F.repaint();
        times.push_back(double(clock.nsecsElapsed()) / 1e6);
        if (F.size() != size || F.P_BaseLast.widget()->width() == paneBefore)
            return fault(table, section, QStringLiteral("the window was not laid out anew"));
    }
    if (overviewPaints.paints < resizes || referencePaints.paints < resizes)
        return fault(table, section, QStringLiteral("the resizes were not all painted"));
    const double resize = median(times);
    table.add(section, QStringLiteral("window resize, layout and repaint, two 45 MP shots"),
              ms(resize), {}, {}, QStringLiteral("<= 16 ms"), resize <= 16);
}

} // namespace kelvaris::bench
