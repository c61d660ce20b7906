// libFuzzer target: the reader of compiled globs2 MIME caches, which start-up
// trusts to tell whether another type already claims "*.bdk".
#include "DesktopRegistration.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QString pattern = QStringLiteral("*.bdk");
    const QStringList types = platform::globs2Claims(input, pattern);

    // A type is the second field of one line: it never spans a line or a field.
    for (const QString &type : types) {
        if (type.contains(QLatin1Char('\n')) || type.contains(QLatin1Char(':')))
            std::abort();
    }
    // Nothing claims the pattern where its letters appear in no case at all.
    if (!types.isEmpty() && !input.toLower().contains("bdk"))
        std::abort();
    // One more line after the input is read as one more claim, the last one,
    // whatever the input left unfinished; upper case matches as well.
    QByteArray extended = input;
    extended += "\n50:application/x-fuzz-appended:*.BDK\n";
    QStringList expected = types;
    expected << QStringLiteral("application/x-fuzz-appended");
    if (platform::globs2Claims(extended, pattern) != expected)
        std::abort();
    return 0;
}
