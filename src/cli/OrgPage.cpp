#include "OrgPage.h"

#include <QCoreApplication>
#include <QUrl>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

const QList<OrgPage> &OrgPage::all()
{
    const auto label = [](const char *text) { return QString::fromLatin1(text); }; // English: what scripts type
    static const QList<OrgPage> pages{
        {u"home"_s, label(QT_TRANSLATE_NOOP("OrgPage", "Home")), {}},
        {u"setup"_s, label(QT_TRANSLATE_NOOP("OrgPage", "Setup")), u"/lightning/setup/SetupOneHome/home"_s},
        {u"object-manager"_s, label(QT_TRANSLATE_NOOP("OrgPage", "Object Manager")), u"/lightning/setup/ObjectManager/home"_s},
        {u"developer-console"_s, label(QT_TRANSLATE_NOOP("OrgPage", "Developer Console")), u"/_ui/common/apex/debug/ApexCSIPage"_s},
        {u"users"_s, label(QT_TRANSLATE_NOOP("OrgPage", "Users")), u"/lightning/setup/ManageUsers/home"_s},
        {u"deployment-status"_s, label(QT_TRANSLATE_NOOP("OrgPage", "Deployment Status")), u"/lightning/setup/DeployStatus/home"_s},
        {u"debug-logs"_s, label(QT_TRANSLATE_NOOP("OrgPage", "Debug Logs")), u"/lightning/setup/ApexDebugLogs/home"_s},
        {u"flows"_s, label(QT_TRANSLATE_NOOP("OrgPage", "Flows")), u"/lightning/setup/Flows/home"_s},
    };
    return pages;
}

QString OrgPage::shownLabel() const
{
    return id.isEmpty() ? label : QCoreApplication::translate("OrgPage", label.toLatin1().constData());
}

std::variant<OrgPage, QString> OrgPage::resolve(const QString &text, const QString &instanceUrl)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return home();
    for (const OrgPage &page : all()) {
        if (trimmed.compare(page.id, Qt::CaseInsensitive) == 0 || trimmed.compare(page.label, Qt::CaseInsensitive) == 0)
            return page;
    }
    QString path = trimmed;
    // A pasted address of the org itself stands for its path.
    const QUrl url(trimmed, QUrl::StrictMode), org(instanceUrl);
    if (url.isValid() && url.scheme() == "https"_L1 && !org.host().isEmpty() && url.host() == org.host()
        && url.userInfo().isEmpty() && url.port() == org.port())
        path = url.toString(QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::FullyEncoded);
    const bool usable = path.startsWith(u'/') && !path.startsWith("//"_L1)
        && std::none_of(path.cbegin(), path.cend(), [](QChar c) {
               return c.isSpace() || c.category() == QChar::Other_Control || c.category() == QChar::Other_Format;
           });
    if (!usable)
        return QCoreApplication::translate("OrgPage", "%1 is not a page of this org: give a path that begins with \"/\" "
                                                      "(not \"//\") and has no spaces, or a page's name.")
            .arg(u'"' + trimmed + u'"');
    return OrgPage{{}, path, path};
}
