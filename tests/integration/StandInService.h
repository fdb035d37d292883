#pragma once

#include <QByteArray>
#include <QSemaphore>
#include <QString>
#include <QThread>

// A loopback stand-in for the Salesforce service that answers only what the CLI asks here. HTTPS,
// because the CLI rebuilds an imported org's address with "https://" (NODE_EXTRA_CA_CERTS makes it
// trust the certificate); a thread of its own, because the test thread blocks in each CLI run.
class StandInService : public QThread
{
public:
    // The session with `refusedToken` has expired; no refresh token is ever granted.
    StandInService(const QString &certificatePath, const QString &keyPath, QByteArray refusedToken);
    ~StandInService() override;

    // "https://127.0.0.1:PORT", empty when it could not listen.
    QString origin() const { return m_origin; }

private:
    void run() override;
    QByteArray answer(const QByteArray &header) const;

    QString m_certificatePath;
    QString m_keyPath;
    QByteArray m_refused;
    QString m_origin;
    QSemaphore m_listening;
};
