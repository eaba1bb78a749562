#pragma once

#include <QCollator>

// The collation of the name sort: numeric, case-insensitive, from a real
// locale. The C locale compares code points ("a10" before "a9"), so it is
// replaced by en_US to keep the order the same on every machine.
const QCollator &nameCollator();
