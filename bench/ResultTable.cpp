#include "ResultTable.h"

#include <QTextStream>

#include <algorithm>
#include <cstdio>

namespace kelvaris::bench {

namespace {

const QStringList headers = {QStringLiteral("section"),  QStringLiteral("what"),
                             QStringLiteral("measured"), QStringLiteral("bare library"),
                             QStringLiteral("ratio"),    QStringLiteral("goal"),
                             QStringLiteral("verdict")};

} // namespace

void ResultTable::add(const Row& row)
{
    m_rows.push_back(row);
    // Printed at once, so that a long run shows its progress.
    QString line = QStringLiteral("  [%1] %2: %3").arg(row.section, row.what, row.measured);
    if (!row.bare.isEmpty())
        line += QStringLiteral(" (bare %1, ratio %2)").arg(row.bare, row.ratio);
    if (row.verdict != Verdict::Info)
        line += QStringLiteral(" goal %1 -> %2").arg(row.goal, verdictText(row.verdict));
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

void ResultTable::add(const QString& section, const QString& what, const QString& measured,
                      const QString& bare, const QString& ratio, const QString& goal, bool passed)
{
    add({section, what, measured, bare, ratio, goal, passed ? Verdict::Pass : Verdict::Miss});
}

void ResultTable::note(const QString& section, const QString& what, const QString& measured)
{
    add({section, what, measured, {}, {}, {}, Verdict::Info});
}

int ResultTable::misses() const
{
    return int(std::count_if(m_rows.begin(), m_rows.end(),
                             [](const Row& row) { return row.verdict == Verdict::Miss; }));
}

QString ResultTable::verdictText(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Pass:
        return QStringLiteral("PASS");
    case Verdict::Miss:
        return QStringLiteral("MISS");
    case Verdict::Info:
        break;
    }
    return QStringLiteral("-");
}

QStringList ResultTable::cells(const Row& row) const
{
    auto orDash = [](const QString& text) { return text.isEmpty() ? QStringLiteral("-") : text; };
    return {row.section,
            row.what,
            row.measured,
            orDash(row.bare),
            orDash(row.ratio),
            orDash(row.goal),
            verdictText(row.verdict)};
}

QString ResultTable::text() const
{
    std::vector<qsizetype> widths;
    for (const QString& header : headers)
        widths.push_back(header.size());
    for (const Row& row : m_rows) {
        const QStringList c = cells(row);
        for (qsizetype i = 0; i < c.size(); ++i)
            widths[std::size_t(i)] = std::max(widths[std::size_t(i)], c[i].size());
    }
    QString out;
    QTextStream stream(&out);
    auto line = [&](const QStringList& c) {
        for (qsizetype i = 0; i < c.size(); ++i) {
            // Names left-aligned, figures right-aligned.
            const int width = int(widths[std::size_t(i)]);
            stream << (i < 2 ? c[i].leftJustified(width) : c[i].rightJustified(width))
                   << (i + 1 < c.size() ? "  " : "\n");
        }
    };
    line(headers);
    qsizetype total = 2 * qsizetype(widths.size() - 1);
    for (qsizetype width : widths)
        total += width;
    stream << QString(total, QLatin1Char('-')) << '\n';
    for (const Row& row : m_rows)
        line(cells(row));
    return out;
}

QString ResultTable::markdown() const
{
    QString out;
    QTextStream stream(&out);
    stream << "| what | measured | bare library | ratio | goal | |\n";
    stream << "|---|---:|---:|---:|---:|---|\n";
    for (const Row& row : m_rows) {
        const QStringList c = cells(row);
        stream << "| " << c[0] << ": " << c[1] << " | " << c[2] << " | " << c[3] << " | " << c[4]
               << " | " << c[5] << " | " << c[6] << " |\n";
    }
    return out;
}

} // namespace kelvaris::bench
