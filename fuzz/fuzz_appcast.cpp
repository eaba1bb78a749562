// The appcast (update feed) reader on any bytes, and the version comparison
// on the versions it finds: a total order.
#include "update/Appcast.h"

#include "FuzzInput.h"

namespace {
int sign(int n)
{
    return (n > 0) - (n < 0);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const AppcastParseResult result = parseAppcast(FuzzInput::bytes(data, size));
    FuzzInput::require(!result.error || result.items.isEmpty(), "an unreadable feed has no items");
    QStringList versions{QStringLiteral("1.0"), QStringLiteral("0.1.0")};
    for (const AppcastItem &item : result.items) {
        FuzzInput::require(!item.version.isEmpty(), "items without a version are left out");
        versions.append(item.version);
        (void)item.displayVersionString();
        (void)item.pageURL();
    }
    for (const QString &a : versions) {
        FuzzInput::require(compareVersions(a, a) == 0, "a version equals itself");
        for (const QString &b : versions)
            FuzzInput::require(sign(compareVersions(a, b)) == -sign(compareVersions(b, a)),
                               "comparison is antisymmetric");
    }
    if (const std::optional<AppcastItem> newest = newestUpdate(result.items, QStringLiteral("1.0")))
        FuzzInput::require(compareVersions(newest->version, QStringLiteral("1.0")) > 0,
                           "an update is newer");
    return 0;
}
