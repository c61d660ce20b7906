// libFuzzer target: the reader of shared-mime-info packages, which start-up
// uses for packages that no database has compiled yet.
#include "DesktopRegistration.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

// Characters that XML allows, minus the white space that attribute values
// normalise.
bool isPlainXmlText(const QString &text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0xFFFE || u == 0xFFFF)
            return false;
    }
    return !text.isEmpty();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QString pattern = QStringLiteral("*.bdk");
    const QStringList types = platform::mimePackageClaims(input, pattern);

    // A claim belongs to a named type.
    for (const QString &type : types) {
        if (type.isEmpty())
            std::abort();
    }
    // Without the pattern's letters, and without a reference that could spell
    // them, nothing claims it.
    if (!types.isEmpty() && !input.toLower().contains("bdk") && !input.contains('&'))
        std::abort();

    // The input as a type name, escaped into a package of our own making,
    // comes back exactly, once, whatever characters it holds.
    const QString name = QString::fromUtf8(input);
    if (name.toUtf8() == input && isPlainXmlText(name)) {
        const QByteArray package = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                   "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
                                   "  <mime-type type=\""
            + name.toHtmlEscaped().toUtf8()
            + "\">\n"
              "    <glob pattern=\"*.other\"/>\n"
              "    <glob pattern=\"*.BDK\"/>\n"
              "  </mime-type>\n"
              "  <mime-type type=\"text/x-after\"><glob pattern=\"*.txt\"/></mime-type>\n"
              "</mime-info>\n";
        if (platform::mimePackageClaims(package, pattern) != QStringList{name})
            std::abort();
    }
    return 0;
}
