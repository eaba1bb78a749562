#pragma once

#include <QList>
#include <QStringView>

#include <optional>

// Subsequence matching with a ranking people recognise from editors'
// "go to file": letters next to each other and letters at word starts count
// most, gaps cost a little.
namespace FuzzyMatch {

struct Result
{
    int score = 0;
    QList<qsizetype> positions; // the matched characters of the text, ascending
};

// pattern and folded are case-folded; original (same length as folded) tells
// the word starts. nullopt when the pattern is not a subsequence of the text.
std::optional<Result> match(QStringView pattern, QStringView folded, QStringView original);

// The fold both sides go through.
QString fold(QStringView text);

} // namespace FuzzyMatch
