#include "focus/CurveTexts.h"

#include <cmath>

namespace kelvaris {

namespace {

// Within this share of a step of a shot, the best focus is that shot's;
// within this share of half-way, it is half-way. The estimate's error is
// about a tenth of a step: finer words would claim more than it knows.
constexpr double OnShot = 0.15;
constexpr double HalfWay = 0.1;

} // namespace

QString percentOf(double value, double best)
{
    if (best <= 0)
        return QString();
    return QStringLiteral("%1\u00A0%").arg(std::lround(100 * value / best));
}

const QStringList& curveTitles()
{
    static const QStringList titles{
        QStringLiteral("Netteté de la zone affichée, prise après prise"),
        QStringLiteral("Netteté de la zone affichée"),
        QStringLiteral("Netteté"),
    };
    return titles;
}

const QStringList& curveLegends()
{
    static const QStringList legends{
        QStringLiteral("pointillés\u00A0: qualité (taille du fichier)"),
        QStringLiteral("pointillés\u00A0: qualité"),
    };
    return legends;
}

QString curveToolTip()
{
    return QStringList{curveTitles().front(), curveLegends().front(),
                       QStringLiteral("En bas, le numéro de chaque prise de vue (celui du nom du "
                                      "fichier) ; sur le côté, sa netteté en pourcentage de "
                                      "la plus nette.")}
        .join(QLatin1Char('\n'));
}

QString bestMarkToolTip(double position, const std::vector<SessionShot>& shots)
{
    QString phrase = bestFocusPhrase(position, shots);
    if (phrase.isEmpty())
        return phrase;
    phrase[0] = phrase[0].toUpper();
    return phrase + QStringLiteral(" (estimée d'après la forme de la courbe de part et d'autre de "
                                   "son sommet).");
}

QString emptyCurveText(bool watching)
{
    if (watching)
        return QStringLiteral("La courbe de mise au point se trace dès la prochaine prise de vue.");
    return QStringLiteral(
        "La courbe de mise au point se trace à chaque prise de vue, après Start.");
}

QString shotToolTip(const SessionShot& shot, const CurvePoint& point, double best)
{
    QStringList lines{shot.name};
    if (!point.measured)
        lines << QStringLiteral("Netteté en cours de mesure");
    else if (!point.enoughDetail)
        lines << QStringLiteral("Trop peu de détails dans la zone pour juger la netteté");
    else if (best > 0)
        lines << QStringLiteral("Netteté\u00A0: %1 de la meilleure")
                     .arg(percentOf(point.sharpness, best));
    lines << QStringLiteral("Qualité\u00A0: %1").arg(shot.figure);
    if (shot.gone)
        lines << QStringLiteral("Fichier disparu");
    else
        lines << QStringLiteral("Cliquer pour en faire l'image de référence");
    return lines.join(QLatin1Char('\n'));
}

QString waitingToolTip(int count)
{
    if (count <= 1)
        return QStringLiteral("Une nouvelle prise de vue attend\u00A0: elle entre dans la courbe "
                              "quand le pointeur la quitte.");
    return QStringLiteral("%1 nouvelles prises de vue attendent\u00A0: elles entrent dans la "
                          "courbe quand le pointeur la quitte.")
        .arg(count);
}

QString shortName(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.left(dot) : name;
}

QString bestFocusPhrase(double position, const std::vector<SessionShot>& shots)
{
    const double last = double(shots.size()) - 1;
    if (!(position >= 0) || position > last)
        return QString();
    const auto before = static_cast<std::size_t>(std::floor(position));
    const double past = position - double(before);
    const auto nameOf = [&](std::size_t index) { return shortName(shots[index].name); };
    if (past <= OnShot || before + 1 >= shots.size())
        return QStringLiteral("meilleure mise au point sur %1").arg(nameOf(before));
    if (past >= 1 - OnShot)
        return QStringLiteral("meilleure mise au point sur %1").arg(nameOf(before + 1));
    const QString between = QStringLiteral("meilleure mise au point entre %1 et %2")
                                .arg(nameOf(before), nameOf(before + 1));
    if (std::abs(past - 0.5) <= HalfWay)
        return between + QStringLiteral(", à mi-chemin");
    return between +
           QStringLiteral(", plus près de %1").arg(nameOf(past < 0.5 ? before : before + 1));
}

QString bestLine(const FocusSession& session, const SessionCurve& curve)
{
    if (session.isEmpty())
        return QString();
    const std::vector<SessionShot>& shots = session.shots();
    if (curve.bestSharpness < 0 || curve.bestSharpness >= session.size()) {
        for (const CurvePoint& point : curve.points) {
            if (point.measured)
                return QStringLiteral("Trop peu de détails dans la zone affichée pour juger la "
                                      "netteté\u00A0: déplacez l'image sur un sujet détaillé.");
        }
        return QStringLiteral("Netteté en cours de mesure…");
    }
    const SessionShot& best = shots[size_t(curve.bestSharpness)];
    QString line = QStringLiteral("Plus nette dans la zone affichée\u00A0: %1 (qualité %2)")
                       .arg(best.name, best.figure);
    if (best.gone)
        line += QStringLiteral(", fichier disparu");
    const QString between = bestFocusPhrase(curve.bestPosition, shots);
    if (!between.isEmpty())
        line += QStringLiteral("\u00A0; ") + between;
    if (curve.bestFigure >= 0 && curve.bestFigure < session.size() &&
        curve.bestFigure != curve.bestSharpness) {
        const SessionShot& byFigure = shots[size_t(curve.bestFigure)];
        line += QStringLiteral(" — qualité max\u00A0: %1 (%2)").arg(byFigure.name, byFigure.figure);
    }
    return line;
}

} // namespace kelvaris
