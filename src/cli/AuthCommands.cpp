// Export and import of SFDX auth files, and the alias proposed for an import.
#include "SFCLI.h"

#include "AuthFile.h"
#include "PosixFiles.h"

#include <QFileInfo>
#include <QRegularExpression>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr double kExportTimeout = 60.0;
constexpr double kImportTimeout = 60.0;

// Names that say nothing about the org; for these the org's host in the file is used.
bool isGenericName(const QString &name)
{
    return name == "auth"_L1 || name == "sfdx_auth"_L1 || name == "sfdx-url"_L1
        || name == "sfdx_url"_L1 || name == "salesforce"_L1;
}

// The file name without its last extension. A leading dot starts a hidden name, not an
// extension.
QString withoutLastExtension(const QString &filePath)
{
    const QString name = QFileInfo(filePath).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot > 0 ? name.first(dot) : name;
}

} // namespace

QString SFCLI::exportAuth(const QString &target) const
{
    const QByteArray output = runForOutput(QStringList{u"org"_s, u"auth"_s, u"show-sfdx-auth-url"_s}
                                               + optionWithValue(u"--target-org"_s, target)
                                               + QStringList{u"--json"_s},
                                           kExportTimeout);
    return QString::fromUtf8(textOnly(output));
}

void SFCLI::importAuth(const QString &filePath, const QString &alias, bool setDefault) const
{
    QStringList arguments = QStringList{u"org"_s, u"login"_s, u"sfdx-url"_s}
        + optionWithValue(u"--sfdx-url-file"_s, filePath);
    const QString trimmedAlias = alias.trimmed();
    if (!trimmedAlias.isEmpty())
        arguments << optionWithValue(u"--alias"_s, trimmedAlias);
    if (setDefault)
        arguments << u"--set-default"_s;
    runForOutput(arguments, kImportTimeout);
}

QString SFCLI::aliasForImport(const QString &filePath)
{
    const QString baseName = safeAlias(withoutLastExtension(filePath));
    if (!isGenericName(baseName))
        return baseName;
    const std::optional<QByteArray> content = PosixFiles::readSmallFile(filePath, AuthFile::kReadLimit);
    if (!content)
        return baseName;
    const std::optional<QString> host = AuthFile::instanceHost(*content);
    return host ? safeAlias(*host) : baseName;
}

QString SFCLI::safeAlias(const QString &from)
{
    QString text = from;
    // The sandbox suffix ends with the production one, so it goes first.
    for (QLatin1StringView marker : {".sfdx-auth"_L1, "-sfdx-auth"_L1, "_sfdx_auth"_L1,
                                     ".sandbox.my.salesforce.com"_L1, ".my.salesforce.com"_L1})
        text.remove(marker);
    static const QRegularExpression disallowed(u"[^A-Za-z0-9_.-]+"_s);
    text.replace(disallowed, u"_"_s);

    qsizetype begin = 0;
    qsizetype end = text.size();
    const auto isEdge = [](QChar c) { return c == u'_' || c == u'.' || c == u'-'; };
    while (begin < end && isEdge(text.at(begin)))
        ++begin;
    while (end > begin && isEdge(text.at(end - 1)))
        --end;
    if (begin == end)
        return u"imported_org"_s;
    return text.sliced(begin, end - begin);
}
