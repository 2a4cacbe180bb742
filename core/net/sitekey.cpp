#include "core/net/sitekey.h"

#include <QList>
#include <QRandomGenerator>
#include <QSslCipher>
#include <array>

namespace SiteKey {

namespace {

QSslConfiguration configuration()
{
    // Only suites with an ephemeral key exchange and the pre-shared key, strongest first; the library's other
    // suites need certificates, which neither side has.
    static const QList<QSslCipher> ciphers = [] {
        QList<QSslCipher> chosen;
        for (const char* name :
             {"ECDHE-PSK-CHACHA20-POLY1305", "ECDHE-PSK-AES256-CBC-SHA384", "ECDHE-PSK-AES128-CBC-SHA256"}) {
            const QSslCipher cipher(QString::fromLatin1(name), QSsl::TlsV1_2);
            if (!cipher.isNull())
                chosen << cipher;
        }
        return chosen;
    }();
    QSslConfiguration conf = QSslConfiguration::defaultConfiguration();
    conf.setProtocol(QSsl::TlsV1_2);
    conf.setCiphers(ciphers);
    conf.setPeerVerifyMode(QSslSocket::VerifyNone); // the key is the proof, not a certificate
    conf.setSslOption(QSsl::SslOptionDisableSessionTickets, true);
    return conf;
}

} // namespace

QString generate()
{
    std::array<quint32, kBytes / 4> words{};
    QRandomGenerator::system()->fillRange(words.data(), words.size());
    return format(QByteArray(reinterpret_cast<const char*>(words.data()), kBytes));
}

QString format(const QByteArray& key)
{
    const QString hex = QString::fromLatin1(key.toHex());
    QStringList groups;
    for (qsizetype i = 0; i < hex.size(); i += 4)
        groups << hex.mid(i, 4);
    return groups.join(QLatin1Char('-'));
}

std::optional<QByteArray> parse(const QString& text)
{
    QByteArray hex;
    for (const QChar c : text) {
        if (c == QLatin1Char('-') || c.isSpace())
            continue;
        const char16_t u = c.toLower().unicode();
        if (!((u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'f')))
            return std::nullopt;
        hex += char(u);
    }
    if (hex.size() != qsizetype(2) * kBytes)
        return std::nullopt;
    return QByteArray::fromHex(hex);
}

QSslConfiguration serverConfiguration()
{
    QSslConfiguration conf = configuration();
    conf.setPreSharedKeyIdentityHint(kIdentityHint);
    return conf;
}

QSslConfiguration clientConfiguration()
{
    return configuration();
}

} // namespace SiteKey
