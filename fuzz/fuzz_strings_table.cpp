// The string-table reader on any bytes (UTF-8, or UTF-16 after a mark).
#include "language/StringsTable.h"

#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const StringsTable table = StringsTable::fromData(FuzzInput::bytes(data, size));
    FuzzInput::require(table.isValid() == table.errorString().isEmpty(),
                       "an invalid table says why, a valid one does not complain");
    FuzzInput::require(table.isValid() || table.entries().isEmpty(), "no half tables");
    for (auto it = table.entries().cbegin(); it != table.entries().cend(); ++it)
        FuzzInput::require(table.value(it.key()) == it.value(), "lookup finds every entry");
    return 0;
}
