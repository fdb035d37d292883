#include "StandInService.h"

#include <QFile>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

struct StandInService::State
{
    mutable QMutex mutex;
    QString origin;
    QList<Request> requests;
    QStringList frontDoors;
    QSet<QByteArray> refused;
    bool hold = false;
};

namespace {

// No connection lives longer than this, held or not, and no more than so many are served.
constexpr int kConnectionLimitMs = 30'000;
constexpr int kMaxConnections = 1000;
constexpr qsizetype kMaxRequestBytes = 1024 * 1024;

using Request = StandInService::Request;

struct Answer
{
    int status = 404;
    QByteArray reason;
    QByteArray body;
};

enum class Parse { Incomplete, Complete, Malformed };

// One HTTP/1.1 request from the start of `buffer`, its body sized by Content-Length or chunked.
Parse parseRequest(const QByteArray &buffer, Request &request)
{
    const qsizetype headerEnd = buffer.indexOf("\r\n\r\n");
    if (headerEnd < 0)
        return buffer.size() > kMaxRequestBytes ? Parse::Malformed : Parse::Incomplete;
    const QList<QByteArray> lines = buffer.first(headerEnd).split('\n');
    const QList<QByteArray> requestLine = lines.first().trimmed().split(' ');
    if (requestLine.size() != 3)
        return Parse::Malformed;
    request.method = requestLine[0];
    request.target = requestLine[1];

    qsizetype contentLength = 0;
    bool chunked = false;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            return Parse::Malformed;
        const QByteArray name = line.first(colon).trimmed().toLower();
        const QByteArray value = line.sliced(colon + 1).trimmed();
        if (name == "authorization") {
            request.authorization = value;
        } else if (name == "content-length") {
            bool ok = false;
            contentLength = value.toLongLong(&ok);
            if (!ok || contentLength < 0 || contentLength > kMaxRequestBytes)
                return Parse::Malformed;
        } else if (name == "transfer-encoding") {
            chunked = value.toLower().contains("chunked");
        }
    }

    qsizetype at = headerEnd + 4;
    if (!chunked) {
        if (buffer.size() - at < contentLength)
            return Parse::Incomplete;
        request.body = buffer.sliced(at, contentLength);
        return Parse::Complete;
    }
    QByteArray body;
    for (;;) {
        const qsizetype lineEnd = buffer.indexOf("\r\n", at);
        if (lineEnd < 0)
            return Parse::Incomplete;
        QByteArray sizeText = buffer.sliced(at, lineEnd - at);
        if (const qsizetype semicolon = sizeText.indexOf(';'); semicolon >= 0)
            sizeText.truncate(semicolon);
        bool ok = false;
        const qsizetype size = sizeText.trimmed().toLongLong(&ok, 16);
        if (!ok || size < 0 || size > kMaxRequestBytes - body.size())
            return Parse::Malformed;
        at = lineEnd + 2;
        if (size == 0) {
            if (buffer.indexOf("\r\n", at) < 0)
                return Parse::Incomplete;
            request.body = body;
            return Parse::Complete;
        }
        if (buffer.size() - at < size + 2)
            return Parse::Incomplete;
        body += buffer.sliced(at, size);
        at += size + 2;
    }
}

QString pathOf(const Request &request)
{
    const qsizetype query = request.target.indexOf('?');
    return QString::fromLatin1(query < 0 ? request.target : request.target.first(query));
}

bool isConnectionCheck(const Request &request)
{
    static const QRegularExpression versionRoot(u"^/services/data/v\\d+\\.\\d+/?$"_s);
    return request.method == "GET" && versionRoot.match(pathOf(request)).hasMatch();
}

QByteArray randomWord()
{
    return QByteArray::number(QRandomGenerator::global()->generate64(), 16);
}

// What the service answers; the caller holds the state's lock.
Answer answerFor(const Request &request, StandInService::State &state)
{
    const QString path = pathOf(request);
    if (request.method == "POST" && path == "/services/oauth2/token"_L1)
        return {400, "Bad Request",
                R"({"error":"invalid_grant","error_description":"expired access/refresh token"})"_ba};
    if (request.method != "GET")
        return {405, "Method Not Allowed", R"([{"errorCode":"METHOD_NOT_ALLOWED"}])"_ba};

    const QByteArray token = request.authorization.startsWith("Bearer ")
        ? request.authorization.sliced(7)
        : QByteArray();
    if (token.isEmpty() || state.refused.contains(token))
        return {401, "Unauthorized",
                R"([{"message":"Session expired or invalid","errorCode":"INVALID_SESSION_ID"}])"_ba};
    if (isConnectionCheck(request))
        return {200, "OK", R"({"sobjects":"/sobjects","query":"/query","limits":"/limits"})"_ba};
    if (path.startsWith("/services/data/v"_L1) && path.endsWith("/query"_L1))
        return {400, "Bad Request",
                R"([{"message":"sObject type 'ScratchOrgInfo' is not supported.","errorCode":"INVALID_TYPE"}])"_ba};
    if (path == "/services/oauth2/singleaccess"_L1) {
        const QString frontDoor = state.origin + "/secur/frontdoor.jsp?otp="_L1
            + QString::fromLatin1(randomWord()) + "&cshc="_L1 + QString::fromLatin1(randomWord());
        state.frontDoors.append(frontDoor);
        return {200, "OK", R"({"frontdoor_uri":")"_ba + frontDoor.toLatin1() + R"("})"_ba};
    }
    return {404, "Not Found",
            R"([{"errorCode":"NOT_FOUND","message":"The requested resource does not exist"}])"_ba};
}

class Worker : public QObject
{
public:
    Worker(std::shared_ptr<StandInService::State> state, QSslConfiguration tls)
        : m_state(std::move(state))
        , m_tls(std::move(tls))
    {
    }

    // The port listened on, or 0.
    quint16 start()
    {
        m_server = new QSslServer(this);
        m_server->setSslConfiguration(m_tls);
        connect(m_server, &QTcpServer::pendingConnectionAvailable, this, [this] { acceptAll(); });
        if (!m_server->listen(QHostAddress::LocalHost, 0))
            return 0;
        {
            QMutexLocker lock(&m_state->mutex);
            m_state->origin = "https://127.0.0.1:"_L1 + QString::number(m_server->serverPort());
        }
        QTimer::singleShot(StandInService::kLifetimeMs, this, [this] { stop(); });
        return m_server->serverPort();
    }

    void stop()
    {
        if (m_server)
            m_server->close();
        const QList<QTcpSocket *> open = m_buffers.keys();
        for (QTcpSocket *socket : open)
            socket->abort();
    }

private:
    void acceptAll()
    {
        while (QTcpSocket *socket = m_server->nextPendingConnection()) {
            if (++m_accepted > kMaxConnections) {
                socket->abort();
                socket->deleteLater();
                continue;
            }
            m_buffers.insert(socket, {});
            QTimer::singleShot(kConnectionLimitMs, socket, [socket] { socket->abort(); });
            connect(socket, &QIODevice::readyRead, this, [this, socket] { read(socket); });
            connect(socket, &QAbstractSocket::disconnected, this, [this, socket] {
                m_buffers.remove(socket);
                socket->deleteLater();
            });
            read(socket);
        }
    }

    // One request per connection: the answer says "Connection: close".
    void read(QTcpSocket *socket)
    {
        auto buffer = m_buffers.find(socket);
        if (buffer == m_buffers.end() || m_answered.contains(socket))
            return;
        *buffer += socket->readAll();
        Request request;
        const Parse parsed = parseRequest(*buffer, request);
        if (parsed == Parse::Incomplete)
            return;
        m_answered.insert(socket);
        connect(socket, &QObject::destroyed, this, [this, socket] { m_answered.remove(socket); });
        if (parsed == Parse::Malformed) {
            respond(socket, {400, "Bad Request", "[]"_ba});
            return;
        }
        Answer answer;
        {
            QMutexLocker lock(&m_state->mutex);
            m_state->requests.append(request);
            if (m_state->hold && isConnectionCheck(request))
                return; // until the client goes away or the connection limit ends it
            answer = answerFor(request, *m_state);
        }
        respond(socket, answer);
    }

    static void respond(QTcpSocket *socket, const Answer &answer)
    {
        socket->write("HTTP/1.1 "_ba + QByteArray::number(answer.status) + ' ' + answer.reason
                      + "\r\nContent-Type: application/json;charset=UTF-8\r\nContent-Length: "_ba
                      + QByteArray::number(answer.body.size()) + "\r\nConnection: close\r\n\r\n"_ba
                      + answer.body);
        socket->disconnectFromHost();
    }

    std::shared_ptr<StandInService::State> m_state;
    QSslConfiguration m_tls;
    QSslServer *m_server = nullptr;
    QHash<QTcpSocket *, QByteArray> m_buffers;
    QSet<QTcpSocket *> m_answered;
    int m_accepted = 0;
};

} // namespace

StandInService::StandInService(const QString &certificatePath, const QString &keyPath)
    : m_state(std::make_shared<State>())
{
    QFile certificateFile(certificatePath);
    QFile keyFile(keyPath);
    if (!QSslSocket::supportsSsl() || !certificateFile.open(QIODevice::ReadOnly)
        || !keyFile.open(QIODevice::ReadOnly))
        return;
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificate(QSslCertificate(certificateFile.readAll(), QSsl::Pem));
    tls.setPrivateKey(QSslKey(keyFile.readAll(), QSsl::Rsa, QSsl::Pem));
    tls.setPeerVerifyMode(QSslSocket::VerifyNone);
    if (tls.localCertificate().isNull() || tls.privateKey().isNull())
        return;

    auto *worker = new Worker(m_state, tls);
    worker->moveToThread(&m_thread);
    QObject::connect(&m_thread, &QThread::finished, worker, &QObject::deleteLater);
    m_thread.start();
    m_worker = worker;
    quint16 port = 0;
    QMetaObject::invokeMethod(
        worker, [worker, &port] { port = worker->start(); }, Qt::BlockingQueuedConnection);
    m_port = port;
}

StandInService::~StandInService()
{
    if (m_worker) {
        auto *worker = static_cast<Worker *>(m_worker);
        QMetaObject::invokeMethod(worker, [worker] { worker->stop(); }, Qt::BlockingQueuedConnection);
    }
    m_thread.quit();
    m_thread.wait();
}

QString StandInService::origin() const
{
    QMutexLocker lock(&m_state->mutex);
    return m_state->origin;
}

void StandInService::reset()
{
    QMutexLocker lock(&m_state->mutex);
    m_state->requests.clear();
    m_state->frontDoors.clear();
    m_state->refused.clear();
    m_state->hold = false;
}

void StandInService::refuseSession(const QByteArray &accessToken)
{
    QMutexLocker lock(&m_state->mutex);
    m_state->refused.insert(accessToken);
}

void StandInService::holdConnectionChecks(bool hold)
{
    QMutexLocker lock(&m_state->mutex);
    m_state->hold = hold;
}

QList<StandInService::Request> StandInService::requests() const
{
    QMutexLocker lock(&m_state->mutex);
    return m_state->requests;
}

QStringList StandInService::frontDoors() const
{
    QMutexLocker lock(&m_state->mutex);
    return m_state->frontDoors;
}
