#include "StandInService.h"

#include <QFile>
#include <QRegularExpression>
#include <QSslKey>
#include <QSslServer>

using namespace Qt::Literals::StringLiterals;

StandInService::StandInService(const QString &certificatePath, const QString &keyPath,
                               QByteArray refusedToken)
    : m_certificatePath(certificatePath)
    , m_keyPath(keyPath)
    , m_refused(std::move(refusedToken))
{
    start();
    m_listening.acquire();
}

StandInService::~StandInService()
{
    quit();
    wait();
}

void StandInService::run()
{
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificate(QSslCertificate::fromPath(m_certificatePath).value(0));
    QFile key(m_keyPath);
    tls.setPrivateKey(QSslKey(key.open(QIODevice::ReadOnly) ? key.readAll() : QByteArray(),
                              QSsl::Rsa));
    QSslServer server;
    server.setSslConfiguration(tls);
    connect(&server, &QTcpServer::pendingConnectionAvailable, &server, [this, &server] {
        while (QTcpSocket *socket = server.nextPendingConnection()) {
            // One request a connection: the answer says "Connection: close", so the CLI closes
            // it, and a body it sent is left unread.
            const auto read = [this, socket, request = QByteArray()]() mutable {
                request += socket->readAll();
                if (const qsizetype end = request.indexOf("\r\n\r\n"); end >= 0) {
                    socket->write(answer(request.first(end)));
                    disconnect(socket, &QIODevice::readyRead, nullptr, nullptr);
                }
            };
            connect(socket, &QIODevice::readyRead, socket, read);
            connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    if (server.listen(QHostAddress::LocalHost))
        m_origin = "https://127.0.0.1:"_L1 + QString::number(server.serverPort());
    m_listening.release();
    exec();
}

QByteArray StandInService::answer(const QByteArray &header) const
{
    const auto reply = [](int status, const QByteArray &body) -> QByteArray {
        return "HTTP/1.1 "_ba + QByteArray::number(status) + " -\r\nContent-Length: "_ba
            + QByteArray::number(body.size())
            + "\r\nContent-Type: application/json\r\nConnection: close\r\n\r\n"_ba + body;
    };
    static const QRegularExpression request(u"^(\\w+) ([^ ?]*)"_s);
    static const QRegularExpression bearer(u"\r\nauthorization: *Bearer ([^\r]+)"_s,
                                           QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression connectionCheck(u"^/services/data/v[0-9.]+/?$"_s);
    const QRegularExpressionMatch line = request.match(QString::fromLatin1(header));
    const QString path = line.captured(2);
    const QByteArray token = bearer.match(QString::fromLatin1(header)).captured(1).toLatin1();

    if (line.captured(1) == "POST"_L1 && path == "/services/oauth2/token"_L1)
        return reply(400, R"({"error":"invalid_grant",)"
                          R"("error_description":"expired access/refresh token"})");
    if (token.isEmpty() || token == m_refused)
        return reply(401, R"([{"message":"Session expired or invalid",)"
                          R"("errorCode":"INVALID_SESSION_ID"}])");
    if (connectionCheck.match(path).hasMatch())
        return reply(200, R"({"sobjects":"/sobjects"})");
    // The front door names the org by its token's last word.
    if (path == "/services/oauth2/singleaccess"_L1)
        return reply(200, R"({"frontdoor_uri":")" + m_origin.toLatin1()
                              + "/secur/frontdoor.jsp?otp="
                              + token.sliced(token.lastIndexOf('.') + 1) + R"("})");
    return reply(404, R"([{"errorCode":"NOT_FOUND"}])");
}
