#include "TargetMemory.h"

#include "CLIOrg.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QSettings>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kFormat = 1;

// The org's entry: named by a digest of its org id and username, which the entry holds as well.
QString groupOf(const CLIOrg &org)
{
    const QByteArray id = org.orgId.value_or(QString()).toUtf8() + '\0' + org.username.toUtf8();
    return QString::fromLatin1(QCryptographicHash::hash(id, QCryptographicHash::Sha256).toHex().left(32));
}

} // namespace

TargetMemory::TargetMemory()
{
#if defined(__APPLE__)
    m_settings = std::make_unique<QSettings>(u"Tarnwick"_s, u"Tarnwick"_s);
    m_file = m_settings->fileName();
#else
    m_file = QSettings(QSettings::NativeFormat, QSettings::UserScope, u"Tarnwick"_s, u"Tarnwick"_s).fileName();
    open();
#endif
}

TargetMemory::TargetMemory(const QString &file)
    : m_file(file)
{
    open();
}

TargetMemory::~TargetMemory() = default;

void TargetMemory::open()
{
    const QByteArray path = QFile::encodeName(m_file);
    struct stat status = {};
    if (::stat(path.constData(), &status) != 0) {
        if (errno != ENOENT) {
            m_problem = tr("Tarnwick cannot read its settings (%1: %2); where each org opens is not remembered.")
                            .arg(m_file, QString::fromLocal8Bit(std::strerror(errno)));
            m_cannotWrite = true;
            return;
        }
    } else if (!S_ISREG(status.st_mode)) { // a folder, or a pipe that would block the start
        m_problem = tr("Tarnwick cannot read its settings (%1 is not a file); where each org opens is not remembered.").arg(m_file);
        m_cannotWrite = true;
        return;
    } else {
        bool unreadable = status.st_size > kFileLimit;
        if (!unreadable) {
            m_settings = std::make_unique<QSettings>(m_file, QSettings::IniFormat);
            unreadable = m_settings->status() != QSettings::NoError
                || (status.st_size > 0 && m_settings->value("format"_L1).toString() != QString::number(kFormat));
        }
        if (unreadable) { // kept for a look, out of the way
            m_settings.reset();
            const QString aside = m_file + ".unreadable"_L1;
            QFile::remove(aside);
            if (!QFile::rename(m_file, aside)) {
                m_problem = tr("Tarnwick cannot read its settings (%1), nor set them aside; where each org opens is not remembered.").arg(m_file);
                m_cannotWrite = true;
                return;
            }
            m_problem = tr("Tarnwick could not read its settings; they were set aside as %1, and where each org opens is remembered afresh.")
                            .arg(aside);
        }
    }
    if (!m_settings)
        m_settings = std::make_unique<QSettings>(m_file, QSettings::IniFormat);
}

// The folder and the file are the user's alone before anything is written: the settings replace the
// file whole and keep its mode.
bool TargetMemory::writable()
{
    if (!m_settings || m_cannotWrite)
        return false;
#if !defined(__APPLE__)
    const QString folder = QFileInfo(m_file).absolutePath();
    const bool ok = QDir().mkpath(folder) && ::chmod(QFile::encodeName(folder).constData(), 0700) == 0;
    const int fd = ok ? ::open(QFile::encodeName(m_file).constData(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0600) : -1;
    const bool made = fd >= 0 && ::fchmod(fd, 0600) == 0;
    if (fd >= 0)
        ::close(fd);
    if (!made) {
        m_problem = tr("Tarnwick cannot write its settings (%1); where each org opens is not remembered.").arg(m_file);
        m_cannotWrite = true;
    }
    return made;
#else
    return true;
#endif
}

void TargetMemory::write()
{
    m_settings->setValue("format"_L1, kFormat);
    m_settings->sync();
    if (m_settings->status() != QSettings::NoError) {
        m_problem = tr("Tarnwick cannot write its settings (%1); where each org opens is not remembered.").arg(m_file);
        m_cannotWrite = true;
    }
}

std::optional<TargetMemory::Choice> TargetMemory::recall(const CLIOrg &org) const
{
    if (!m_settings)
        return std::nullopt;
    m_settings->sync(); // another process (an open from the command line) may have written since
    m_settings->beginGroup("orgs/"_L1 + groupOf(org));
    const auto text = [this](QLatin1StringView key) { return m_settings->value(key).toString(); };
    std::optional<Choice> choice;
    // The entry must be this org's own, and whole.
    if (text("username"_L1) == org.username && text("orgId"_L1) == org.orgId.value_or(QString()) && !text("target"_L1).isEmpty())
        choice = Choice{text("target"_L1), text("private"_L1) == "true"_L1, text("page"_L1)};
    m_settings->endGroup();
    return choice;
}

void TargetMemory::remember(const CLIOrg &org, const Choice &choice, QDate today)
{
    if (!writable())
        return;
    m_settings->beginGroup("orgs/"_L1 + groupOf(org));
    m_settings->setValue("orgId"_L1, org.orgId.value_or(QString()));
    m_settings->setValue("username"_L1, org.username);
    m_settings->setValue("target"_L1, choice.targetID);
    m_settings->setValue("private"_L1, choice.privateWindow);
    m_settings->setValue("page"_L1, choice.page);
    m_settings->setValue("listed"_L1, today.toString(Qt::ISODate));
    m_settings->endGroup();
    write();
}

void TargetMemory::forget(const CLIOrg &org)
{
    if (!writable())
        return;
    m_settings->remove("orgs/"_L1 + groupOf(org));
    write();
}

void TargetMemory::noteListed(const QList<CLIOrg> &orgs, QDate today)
{
    if (!m_settings)
        return;
    m_settings->sync();
    QSet<QString> listed;
    for (const CLIOrg &org : orgs)
        listed.insert(groupOf(org));
    const QString seen = today.toString(Qt::ISODate);
    bool changed = false;
    m_settings->beginGroup("orgs"_L1);
    for (const QString &group : m_settings->childGroups()) {
        const QString key = group + "/listed"_L1;
        if (listed.contains(group)) {
            changed = changed || m_settings->value(key).toString() != seen;
            m_settings->setValue(key, seen);
        } else if (const QDate last = QDate::fromString(m_settings->value(key).toString(), Qt::ISODate);
                   !last.isValid() || last.daysTo(today) > kUnlistedDays) {
            m_settings->remove(group);
            changed = true;
        }
    }
    m_settings->endGroup();
    if (changed && writable())
        write();
}

QByteArray TargetMemory::windowValue(const QString &key) const
{
    return m_settings ? m_settings->value("window/"_L1 + key).toByteArray() : QByteArray();
}

void TargetMemory::setWindowValue(const QString &key, const QByteArray &value)
{
    if (!writable())
        return;
    m_settings->setValue("window/"_L1 + key, value);
    write();
}

QString TargetMemory::takeProblem() { return std::exchange(m_problem, {}); }
