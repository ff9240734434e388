#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace kelvaris::bench {

// The benchmark's findings: each row is printed as it is measured, and the
// whole table again at the end, as text and as Markdown.
class ResultTable
{
public:
    enum class Verdict
    {
        Pass,
        Miss,
        Info // a figure that explains another, without a goal of its own
    };

    struct Row
    {
        QString section;
        QString what;
        QString measured;
        QString bare; // the bare library's figure, when there is one
        QString ratio;
        QString goal;
        Verdict verdict = Verdict::Info;
    };

    void add(const Row& row);
    // A row judged by `passed`.
    void add(const QString& section, const QString& what, const QString& measured,
             const QString& bare, const QString& ratio, const QString& goal, bool passed);
    void note(const QString& section, const QString& what, const QString& measured);

    int misses() const;
    QString text() const;
    QString markdown() const;

private:
    static QString verdictText(Verdict verdict);
    QStringList cells(const Row& row) const;

    std::vector<Row> m_rows;
};

} // namespace kelvaris::bench
