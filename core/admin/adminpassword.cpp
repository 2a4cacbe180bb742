#include "core/admin/adminpassword.h"

#include <QCryptographicHash>
#include <QPasswordDigestor>
#include <QRandomGenerator>

namespace AdminPassword {

namespace {

const QString kPrefix = QStringLiteral("pbkdf2-sha256$");
constexpr int kIterations = 100000;
constexpr int kSaltBytes = 16;
constexpr int kKeyBytes = 32;

QByteArray derive(const QString& password, const QByteArray& salt, int iterations, int keyBytes)
{
    return QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, password.toUtf8(), salt, iterations,
                                              quint64(keyBytes));
}

// Takes the same time however early the two keys differ.
bool sameBytes(const QByteArray& a, const QByteArray& b)
{
    if (a.size() != b.size())
        return false;
    unsigned char difference = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    return difference == 0;
}

} // namespace

QString hash(const QString& password)
{
    QByteArray salt(kSaltBytes, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(salt.data()), kSaltBytes / 4);
    const QByteArray key = derive(password, salt, kIterations, kKeyBytes);
    return kPrefix + QString::number(kIterations) + QLatin1Char('$') + QString::fromLatin1(salt.toBase64()) +
           QLatin1Char('$') + QString::fromLatin1(key.toBase64());
}

bool isHash(const QString& stored)
{
    return stored.startsWith(kPrefix);
}

bool matches(const QVariant& stored, const QString& typed)
{
    if (stored.isNull())
        return false;
    const QString value = stored.toString();
    if (!isHash(value))
        return value == typed;

    const QStringList parts = value.mid(kPrefix.size()).split(QLatin1Char('$'));
    if (parts.size() != 3)
        return false;
    bool numeric = false;
    const int iterations = parts.at(0).toInt(&numeric);
    const QByteArray salt = QByteArray::fromBase64(parts.at(1).toLatin1());
    const QByteArray key = QByteArray::fromBase64(parts.at(2).toLatin1());
    // A damaged hash refuses every password rather than letting one through.
    if (!numeric || iterations <= 0 || salt.isEmpty() || key.isEmpty())
        return false;
    return sameBytes(derive(typed, salt, iterations, int(key.size())), key);
}

} // namespace AdminPassword
