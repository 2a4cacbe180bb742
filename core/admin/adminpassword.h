#pragma once

#include <QString>
#include <QVariant>

// The administrator password as the admin table keeps it: a salted PBKDF2-SHA256 hash. A stored value
// without the hash prefix is plain text (the initial password, or one reset by hand) and is compared as
// such. Comparisons are exact and case-sensitive, and a Null stored value matches nothing.
namespace AdminPassword {

// "pbkdf2-sha256$<iterations>$<salt>$<key>", salt and key in base64.
QString hash(const QString& password);

bool isHash(const QString& stored);

bool matches(const QVariant& stored, const QString& typed);

} // namespace AdminPassword
