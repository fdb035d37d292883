#include "CLIFiles.h"

#include "PosixFiles.h"

#include <QCollator>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

std::optional<QJsonObject> objectIn(const std::optional<QByteArray> &bytes)
{
    if (!bytes)
        return std::nullopt;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(*bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return document.object();
}

// A JSON text already known to be valid, walked for the order of an object's keys, which
// QJsonObject does not keep.
class KeyOrder
{
public:
    explicit KeyOrder(const QByteArray &json)
        : m_p(json.constData())
        , m_end(json.constData() + json.size())
    {
    }

    // The keys of the top-level member `name`'s object, where each first appears.
    QStringList of(QLatin1StringView name)
    {
        QStringList keys;
        QSet<QString> seen;
        members([&](const QString &key) {
            if (key != name || peek() != '{')
                return skipValue();
            members([&](const QString &inner) {
                if (!seen.contains(inner)) {
                    seen.insert(inner);
                    keys.append(inner);
                }
                skipValue();
            });
        });
        return keys;
    }

private:
    char peek()
    {
        while (m_p < m_end && (*m_p == ' ' || *m_p == '\n' || *m_p == '\r' || *m_p == '\t'))
            ++m_p;
        return m_p < m_end ? *m_p : '\0';
    }

    template<typename Visit>
    void members(Visit visit)
    {
        if (peek() != '{')
            return;
        ++m_p;
        while (peek() == '"') {
            const QString key = string();
            peek();
            ++m_p; // ':'
            visit(key);
            if (peek() == ',')
                ++m_p;
        }
        ++m_p; // '}'
    }

    QString string()
    {
        const char *begin = m_p++;
        while (m_p < m_end && *m_p != '"')
            m_p += *m_p == '\\' ? 2 : 1;
        ++m_p;
        const QByteArray token(begin, m_p - begin);
        if (!token.contains('\\'))
            return QString::fromUtf8(token.sliced(1, token.size() - 2));
        return QJsonDocument::fromJson('[' + token + ']').array().at(0).toString(); // escapes decoded as JSON does
    }

    void skipValue()
    {
        int depth = 0;
        for (char c = peek(); c != '\0'; c = peek()) {
            if (depth == 0 && (c == ',' || c == '}' || c == ']'))
                return;
            if (c == '"') {
                string();
                continue;
            }
            depth += (c == '{' || c == '[') ? 1 : (c == '}' || c == ']') ? -1 : 0;
            ++m_p;
        }
    }

    const char *m_p;
    const char *m_end;
};

// The order JavaScript gives an object's keys: those that read as array indices first, by value,
// then the others as written.
void javaScriptOrder(QStringList &keys)
{
    const auto index = [](const QString &key) -> std::optional<quint32> {
        bool ok = false;
        const quint32 value = key.toUInt(&ok);
        return ok && value != 0xFFFFFFFFu && QString::number(value) == key ? std::optional(value) : std::nullopt;
    };
    std::stable_sort(keys.begin(), keys.end(), [&](const QString &a, const QString &b) {
        const auto ia = index(a), ib = index(b);
        return ia && (!ib || *ia < *ib);
    });
}

struct Aliases
{
    AliasTable table;
    QHash<QString, QString> reported; // by username: the alias `org list` gives, the last one added
};

// Nothing when the table is there but not as the CLI writes it.
std::optional<Aliases> readAliases(const QString &sfdx)
{
    const QString path = sfdx + "/alias.json"_L1;
    if (!QFileInfo::exists(path))
        return Aliases{};
    const std::optional<QByteArray> bytes = PosixFiles::readSmallFile(path, CLIFiles::kAliasFileLimit);
    std::optional<AliasTable> table = bytes ? AliasTable::decodeFile(*bytes) : std::nullopt;
    if (!table)
        return std::nullopt;
    QStringList keys = KeyOrder(*bytes).of("orgs"_L1);
    javaScriptOrder(keys);
    const QStringList malformedList = table->malformed();
    const QSet<QString> malformed(malformedList.cbegin(), malformedList.cend());
    Aliases aliases{std::move(*table), {}};
    for (const QString &alias : std::as_const(keys)) {
        const std::optional<QString> username = aliases.table.resolve(alias);
        if (username && !malformed.contains(alias)) // an entry whose value is a username
            aliases.reported.insert(*username, alias);
    }
    return aliases;
}

// The default org as the CLI's configuration names it: the environment, else the newer of the two
// configuration files where both name one.
QString targetOrg(const QString &home, const QProcessEnvironment &environment)
{
    if (const QString named = environment.value(u"SF_TARGET_ORG"_s); !named.isEmpty())
        return named;
    const auto named = [](const QString &path, std::initializer_list<QLatin1StringView> keys) -> std::pair<QString, QDateTime> {
        const std::optional<QJsonObject> config = objectIn(PosixFiles::readSmallFile(path, CLIFiles::kAuthFileLimit));
        for (const QLatin1StringView key : keys) {
            if (config && config->value(key).isString())
                return {config->value(key).toString(), QFileInfo(path).lastModified()};
        }
        return {};
    };
    const auto sf = named(home + "/.sf/config.json"_L1, {"target-org"_L1});
    const auto sfdx = named(home + "/.sfdx/sfdx-config.json"_L1, {"target-org"_L1, "defaultusername"_L1});
    if (sf.first.isEmpty() || (!sfdx.first.isEmpty() && sfdx.second > sf.second))
        return sfdx.first;
    return sf.first;
}

struct AuthRecord
{
    CLIOrg org;
    bool isDevHub = false;
    bool scratch = false;
    bool secondaryCandidate = false; // a user of an org that may have a file listing its users
};

// What an auth file says of its org; nothing when it is no auth file for `username` or a field
// the list relies on has another type than the CLI writes.
std::optional<AuthRecord> readAuthFile(const QJsonObject &file, const QString &username)
{
    AuthRecord record;
    bool ok = true;
    const auto text = [&](QLatin1StringView key, std::optional<QString> &into) {
        const QJsonValue value = file.value(key);
        if (value.isString())
            into = value.toString();
        else if (!value.isUndefined() && !value.isNull())
            ok = false;
    };
    const auto flag = [&](QLatin1StringView key) -> std::optional<bool> {
        const QJsonValue value = file.value(key);
        if (value.isBool())
            return value.toBool();
        ok = ok && (value.isUndefined() || value.isNull());
        return std::nullopt;
    };
    std::optional<QString> named, instanceUrl, userId;
    text("username"_L1, named);
    text("instanceUrl"_L1, instanceUrl);
    text("orgId"_L1, record.org.orgId);
    text("loginUrl"_L1, record.org.loginUrl);
    text("clientId"_L1, record.org.clientId);
    text("userId"_L1, userId);
    record.org.isSandbox = flag("isSandbox"_L1);
    record.isDevHub = flag("isDevHub"_L1).value_or(false);
    if (!ok || !instanceUrl || (named && *named != username))
        return std::nullopt;
    record.org.username = username;
    record.org.instanceUrl = *instanceUrl;
    record.scratch = file.contains("expirationDate"_L1);
    for (const auto &[key, into] : {std::pair{"expirationDate"_L1, &record.org.expirationDate},
                                    std::pair{"devHubUsername"_L1, &record.org.devHubUsername}, std::pair{"edition"_L1, &record.org.edition}}) {
        if (file.value(key).isString())
            *into = file.value(key).toString();
    }
    record.secondaryCandidate = userId.has_value();
    return record;
}

// The CLI lists one user of an org whose users are recorded in <orgId>.json: the first one, or
// the default org's.
bool listedUser(const AuthRecord &record, const QString &sfdx, const QSet<QString> &orgFiles, const QString &target)
{
    if (!record.secondaryCandidate)
        return true;
    if (!record.org.orgId)
        return false;
    const QString orgFile = *record.org.orgId + ".json"_L1;
    if (!orgFiles.contains(orgFile))
        return true;
    const std::optional<QJsonObject> users = objectIn(PosixFiles::readSmallFile(sfdx + u'/' + orgFile, CLIFiles::kAliasFileLimit));
    if (!users)
        return false;
    return target == record.org.username || users->value("usernames"_L1).toArray().at(0).toString() == record.org.username;
}

} // namespace

std::optional<CLIFiles::Listing> CLIFiles::read(const QString &home, const QProcessEnvironment &environment, QDate today)
{
    const QString sfdx = home + "/.sfdx"_L1;
    if (!QFileInfo(sfdx).isDir())
        return std::nullopt;
    std::optional<Aliases> aliases = readAliases(sfdx);
    if (!aliases)
        return std::nullopt;
    const QString target = targetOrg(home, environment);
    static const QRegularExpression authFileName(uR"(^[^.][^@]*@[^.]+(\.[^.\s]+)+\.json$)"_s);
    static const QRegularExpression orgFileName(uR"(^00D.{15}\.json$)"_s);
    const QStringList names = QDir(sfdx).entryList(QDir::Files | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
    QSet<QString> orgFiles;
    for (const QString &name : names) {
        if (orgFileName.match(name).hasMatch())
            orgFiles.insert(name);
    }
    QList<CLIOrg> sandboxes, other, devHubs, scratchOrgs;
    for (const QString &name : names) {
        if (!authFileName.match(name).hasMatch())
            continue;
        const QString username = name.chopped(5);
        const std::optional<QJsonObject> file = objectIn(PosixFiles::readSmallFile(sfdx + u'/' + name, kAuthFileLimit));
        std::optional<AuthRecord> record = file ? readAuthFile(*file, username) : std::nullopt;
        if (!record || !listedUser(*record, sfdx, orgFiles, target))
            continue;
        CLIOrg &org = record->org;
        if (const auto alias = aliases->reported.constFind(username); alias != aliases->reported.cend())
            org.alias = *alias;
        org.isDefaultUsername = !target.isEmpty() && (target == username || target == org.alias);
        if (record->scratch) {
            const QDate expires = QDate::fromString(org.expirationDate.value_or(QString()).left(10), Qt::ISODate);
            if (expires.isValid() && expires < today)
                continue; // the CLI leaves expired scratch orgs out
            org.category = CLIOrg::scratchCategory;
            scratchOrgs.append(org);
            continue;
        }
        if (org.isSandbox.value_or(false)) {
            org.category = u"Sandboxes"_s;
            sandboxes.append(org);
        }
        if (record->isDevHub) {
            org.category = u"Dev Hubs"_s;
            devHubs.append(org);
        }
        if (!org.isSandbox.value_or(false) && !record->isDevHub) {
            org.category = u"Other"_s;
            other.append(org);
        }
    }
    // As the CLI sorts each category: by alias, those without one last, then by username.
    QCollator collator(QLocale(QLocale::English, QLocale::UnitedStates));
    const auto before = [&](const CLIOrg &a, const CLIOrg &b) {
        const int byAlias = collator.compare(a.alias.value_or(u"zzzzzzzzzz"_s), b.alias.value_or(u"zzzzzzzzzz"_s));
        return byAlias != 0 ? byAlias < 0 : collator.compare(a.username, b.username) < 0;
    };
    Listing listing{{}, std::move(aliases->table)};
    for (QList<CLIOrg> *category : {&sandboxes, &other, &devHubs, &scratchOrgs}) {
        std::stable_sort(category->begin(), category->end(), before);
        listing.orgs.append(*category);
    }
    return listing;
}
