#include "palette/FuzzyMatch.h"

#include <algorithm>

namespace FuzzyMatch {

namespace {

constexpr int matchScore = 16;
constexpr int wordStartBonus = 10;
constexpr int consecutiveBonus = 12;
constexpr int maxGapPenalty = 8;
// Each possible first letter is tried as a start; a handful is plenty.
constexpr int maxStarts = 12;

bool isSeparator(QChar c)
{
    return c == u'/' || c == u' ' || c == u'-' || c == u'_' || c == u'.' || c == u':' ||
           c == u'\t';
}

bool isWordStart(QStringView original, qsizetype i)
{
    if (i == 0)
        return true;
    const QChar previous = original.at(i - 1);
    if (isSeparator(previous))
        return !isSeparator(original.at(i));
    return previous.isLower() && original.at(i).isUpper();
}

} // namespace

QString fold(QStringView text)
{
    QString folded = text.toString();
    // One code unit per code unit, so positions stay valid for the original.
    for (QChar &c : folded)
        c = c.toCaseFolded();
    return folded;
}

std::optional<Result> match(QStringView pattern, QStringView folded, QStringView original)
{
    const qsizetype m = pattern.size();
    const qsizetype n = folded.size();
    if (m == 0)
        return Result{};
    if (m > n)
        return std::nullopt;

    std::optional<Result> best;
    QList<qsizetype> positions(m);
    int starts = 0;
    for (qsizetype start = 0; start + m <= n && starts < maxStarts; ++start) {
        if (folded.at(start) != pattern.at(0))
            continue;
        ++starts;
        // Greedy from this start: each next letter as early as possible,
        // which keeps runs of letters together.
        positions[0] = start;
        qsizetype k = 1;
        for (qsizetype i = start + 1; i < n && k < m; ++i) {
            if (folded.at(i) == pattern.at(k))
                positions[k++] = i;
        }
        if (k < m)
            break; // later starts cannot match either
        int score = 0;
        for (qsizetype j = 0; j < m; ++j) {
            score += matchScore;
            if (isWordStart(original, positions.at(j)))
                score += wordStartBonus;
            if (j > 0) {
                const qsizetype gap = positions.at(j) - positions.at(j - 1) - 1;
                score += gap == 0 ? consecutiveBonus : -int(std::min<qsizetype>(gap, maxGapPenalty));
            }
        }
        if (!best || score > best->score)
            best = Result{score, positions};
    }
    return best;
}

} // namespace FuzzyMatch
