#pragma once
// The LIBFPTR_ constants for a driver that is a C library. A C library has no names, only
// numbers, so the adapter answers names from the maker's published table: the integers of
// constants.txt and the text keys of the connection settings (setting-keys.txt).
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

namespace drv::libfptr {

// Value of a constant by name: an int, or a QString for a LIBFPTR_SETTING_ key; nullopt for a
// name the table does not have. This is the one place the adapter asks.
std::optional<QVariant> publishedConstant(const QString& name);

// Parses lines of the form `NAME VALUE`, VALUE an integer (up to 4294967295) or a text in
// double quotes. Blank lines and lines starting with '#' are skipped; every other line that
// does not parse is named in `errors` ("line 12: ...") and left out.
QHash<QString, QVariant> parseConstantTable(const QByteArray& text, QStringList* errors = nullptr);

}  // namespace drv::libfptr
