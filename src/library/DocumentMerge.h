#pragma once

#include "library/Persisted.h"

// Two versions of one document that both grew from a common one, joined
// node by node (by id): what either side added, changed or moved is kept;
// a node goes only when one side removed it and the other left it as it was.
class DocumentMerge
{
public:
    // keepRemoved: nothing goes at all, for a version whose common ground
    // with the other is only guessed.
    enum Removals { honourRemoved, keepRemoved };
    static Persisted merge(const Persisted &base, const Persisted &ours, const Persisted &theirs,
                           Removals removals = honourRemoved);
};
