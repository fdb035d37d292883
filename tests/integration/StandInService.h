#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QThread>

#include <memory>

// A loopback stand-in for the Salesforce service: HTTPS on 127.0.0.1, on a port the system picks,
// answering the few requests the CLI makes of an org. HTTPS because the CLI always rebuilds the
// address of an imported auth URL with "https://"; the CLI is told to trust the certificate
// through NODE_EXTRA_CA_CERTS. It serves from a thread of its own, so that the test thread can
// block in a CLI run meanwhile, and it shuts itself down after kLifetime even if never stopped.
class StandInService
{
public:
    struct Request
    {
        QByteArray method;
        QByteArray target; // path and query, as sent
        QByteArray authorization;
        QByteArray body;
    };

    static constexpr int kLifetimeMs = 5 * 60 * 1000;

    StandInService(const QString &certificatePath, const QString &keyPath);
    ~StandInService();
    StandInService(const StandInService &) = delete;
    StandInService &operator=(const StandInService &) = delete;

    bool isListening() const { return m_port != 0; }
    // "https://127.0.0.1:PORT"
    QString origin() const;

    // Forgets what was asked and answers every request again.
    void reset();
    // A request with this bearer token gets 401 INVALID_SESSION_ID.
    void refuseSession(const QByteArray &accessToken);
    // Connection checks (GET /services/data/vNN.N) get no answer at all.
    void holdConnectionChecks(bool hold);

    QList<Request> requests() const;
    // The front-door addresses handed out so far, oldest first; each one only once.
    QStringList frontDoors() const;

    struct State;

private:
    std::shared_ptr<State> m_state;
    QThread m_thread;
    QObject *m_worker = nullptr; // lives in m_thread
    quint16 m_port = 0;
};
