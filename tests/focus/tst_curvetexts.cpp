// The focus instrument's words: where the best focus lies between shots,
// the line under the curve, and French typography in every text.
#include "focus/CurveTexts.h"

#include <QTest>

#include <limits>

using namespace kelvaris;

namespace {

// IMG_0040.JPG to IMG_0044.JPG, of quality figures 1200 to 1240.
FocusSession session()
{
    FocusSession shots;
    for (int i = 0; i < 5; ++i) {
        SessionShot shot;
        shot.name = QStringLiteral("IMG_%1.JPG").arg(40 + i, 4, 10, QLatin1Char('0'));
        shot.figure = QString::number(1200 + 10 * i);
        shot.figureValue = 1200 + 10 * i;
        shots.add(shot);
    }
    return shots;
}

// A curve over the five whose sharpest is shot `best`.
SessionCurve curveWithBest(int best, double position = -1)
{
    SessionCurve curve;
    curve.points.assign(5, CurvePoint{true, 1, true});
    curve.points[std::size_t(best)].sharpness = 2;
    curve.bestSharpness = best;
    curve.bestFigure = 4;
    curve.bestPosition = position;
    return curve;
}

// What breaks French typography in `text`: an ordinary space, or none,
// before « ; : ! ? % » and after «.
QStringList typographyFaults(const QString& text)
{
    QStringList faults;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (QStringView(u";:!?%»").contains(c) && (i == 0 || text[i - 1] != QChar(0x00A0)))
            faults << QStringLiteral("« %1 » at %2 in: %3").arg(c).arg(i).arg(text);
        if (c == QChar(0x00AB) && (i + 1 == text.size() || text[i + 1] != QChar(0x00A0)))
            faults << QStringLiteral("after « at %1 in: %2").arg(i).arg(text);
    }
    return faults;
}

} // namespace

class TestCurveTexts : public QObject
{
    Q_OBJECT

private slots:
    void whereTheBestFocusLies_data()
    {
        QTest::addColumn<double>("position");
        QTest::addColumn<QString>("phrase");
        const QString between =
            QStringLiteral("meilleure mise au point entre IMG_0041 et IMG_0042");
        QTest::newRow("on a shot") << 2.0 << QStringLiteral("meilleure mise au point sur IMG_0042");
        QTest::newRow("just past it")
            << 2.1 << QStringLiteral("meilleure mise au point sur IMG_0042");
        QTest::newRow("just before it")
            << 1.9 << QStringLiteral("meilleure mise au point sur IMG_0042");
        QTest::newRow("nearer the next")
            << 1.7 << between + QStringLiteral(", plus près de IMG_0042");
        QTest::newRow("nearer the first")
            << 1.3 << between + QStringLiteral(", plus près de IMG_0041");
        QTest::newRow("half-way") << 1.55 << between + QStringLiteral(", à mi-chemin");
        QTest::newRow("the last shot")
            << 4.0 << QStringLiteral("meilleure mise au point sur IMG_0044");
        QTest::newRow("unsupported") << -1.0 << QString();
        QTest::newRow("past the last") << 4.5 << QString();
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << QString();
    }
    void whereTheBestFocusLies()
    {
        QFETCH(double, position);
        QFETCH(QString, phrase);
        QCOMPARE(bestFocusPhrase(position, session().shots()), phrase);
    }

    void theLineUnderTheCurve()
    {
        const FocusSession shots = session();
        QCOMPARE(bestLine(shots, curveWithBest(2, 1.7)),
                 QStringLiteral(
                     "Plus nette dans la zone affichée\u00A0: IMG_0042.JPG (qualité 1220)\u00A0; "
                     "meilleure mise au point entre IMG_0041 et IMG_0042, plus près de "
                     "IMG_0042 — qualité max\u00A0: IMG_0044.JPG (1240)"));
        // Where the estimate is not supported, nothing is said of it.
        QCOMPARE(
            bestLine(shots, curveWithBest(4)),
            QStringLiteral("Plus nette dans la zone affichée\u00A0: IMG_0044.JPG (qualité 1240)"));
        QCOMPARE(bestLine(FocusSession(), SessionCurve()), QString());
        SessionCurve judgedNone = curveWithBest(0);
        judgedNone.bestSharpness = -1;
        QVERIFY(bestLine(shots, judgedNone).startsWith(QStringLiteral("Trop peu de détails")));
    }

    void everyTextKeepsFrenchTypography()
    {
        const FocusSession shots = session();
        SessionShot gone = shots.shots()[0];
        gone.gone = true;
        QStringList texts{percentOf(1, 2),
                          emptyCurveText(false),
                          emptyCurveText(true),
                          curveToolTip(),
                          waitingToolTip(1),
                          waitingToolTip(3),
                          bestMarkToolTip(1.7, shots.shots()),
                          shotToolTip(shots.shots()[1], {true, 1, true}, 2),
                          shotToolTip(gone, {true, 1, false}, 2),
                          shotToolTip(shots.shots()[1], {false, 0, false}, 2),
                          bestLine(shots, curveWithBest(2, 1.7))};
        texts << curveTitles() << curveLegends();
        SessionCurve judgedNone = curveWithBest(0);
        judgedNone.bestSharpness = -1;
        texts << bestLine(shots, judgedNone);
        QStringList faults;
        for (const QString& text : texts) {
            QVERIFY(!text.isEmpty());
            faults << typographyFaults(text);
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
    }
};

QTEST_GUILESS_MAIN(TestCurveTexts)
#include "tst_curvetexts.moc"
