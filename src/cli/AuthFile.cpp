#include "AuthFile.h"

#include "WebAddress.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <QRegularExpression>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

std::optional<QByteArray> AuthFile::readSmall(const QString &path, qint64 limit)
{
    // A C path ends at the first NUL: it would name another file.
    if (path.isEmpty() || path.contains(QChar(u'\0')))
        return std::nullopt;
    const QByteArray native = QFile::encodeName(path);
    struct stat info;
    // Checked before opening: opening a device or a pipe can block or have effects of its own.
    if (::stat(native.constData(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > limit)
        return std::nullopt;
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    // The path may have been replaced between the two looks.
    std::optional<QByteArray> content;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        QByteArray data;
        char buffer[16384];
        bool failed = false;
        for (;;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n > 0) {
                data.append(buffer, n);
                if (data.size() > limit) {
                    failed = true;
                    break;
                }
            } else if (n == 0) {
                break;
            } else if (errno != EINTR) {
                failed = true;
                break;
            }
        }
        if (!failed)
            content = std::move(data);
    }
    ::close(fd);
    return content;
}

std::optional<QString> AuthFile::sfdxAuthURL(const QByteArray &json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject top = document.object();
    const QJsonValue resultValue = top.value("result"_L1);
    const QJsonObject result = resultValue.isObject() ? resultValue.toObject() : QJsonObject();
    for (const QJsonValue &candidate : {result.value("sfdxAuthUrl"_L1), top.value("sfdxAuthUrl"_L1),
                                        top.value("url"_L1)}) {
        if (candidate.isString()) {
            QString url = candidate.toString();
            return url.isEmpty() ? std::nullopt : std::optional(std::move(url));
        }
    }
    return std::nullopt;
}

std::optional<QString> AuthFile::instanceHost(const QByteArray &json)
{
    const std::optional<QString> authURL = sfdxAuthURL(json);
    if (!authURL)
        return std::nullopt;

    // The CLI writes the instance after the "@" without a scheme
    // ("force://<client>:<secret>:<token>@acme.my.salesforce.com"); an http(s) scheme is
    // accepted as well.
    static const QRegularExpression instance(u"@(https?://)?[^/]+"_s);
    const QRegularExpressionMatch match = instance.match(*authURL);
    if (!match.hasMatch())
        return std::nullopt;
    QString address = match.captured().sliced(1);
    if (!match.hasCaptured(1))
        address.prepend("https://"_L1);
    const std::optional<QUrl> url = WebAddress::parse(address);
    if (!url)
        return std::nullopt;
    return url->host();
}
