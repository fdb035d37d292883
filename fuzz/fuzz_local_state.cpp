// Chrome's "Local State" file, read for its profiles. Whatever the file holds, reading it never
// throws, and every profile becomes a Chrome target of its own folder whose key cannot be
// mistaken for another target's.
#include "ChromeProfiles.h"
#include "OpenTarget.h"
#include "FuzzSupport.h"

#include <QCollator>
#include <QLocale>

using namespace Qt::Literals::StringLiterals;

namespace {

void checkTargets(const QList<OpenTarget> &targets)
{
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    const bool plain = collator.locale().language() == QLocale::C;
    for (qsizetype i = 0; i < targets.size(); ++i) {
        const OpenTarget &target = targets[i];
        fuzz::check(target.id.startsWith("chrome-"_L1), "every target id starts with chrome-", target.id);
        fuzz::check(target.label.startsWith("Chrome - "_L1), "every label names Chrome", target.label);
        // An empty folder means "let Chrome pick", which is Chrome default's job.
        fuzz::check(target.chromeProfileDirectory && !target.chromeProfileDirectory->isEmpty(),
                    "every profile target names its folder", target.id);
        fuzz::check(target.id == "chrome-"_L1 + *target.chromeProfileDirectory,
                    "the id is made from the folder", target.id);
        fuzz::check(target.id != OpenTarget::chromeDefault().id && target.id != OpenTarget::systemDefault().id,
                    "no profile takes the key of a fixed target", target.id);
        if (i > 0) {
            const QString &a = targets[i - 1].label;
            const QString &b = target.label;
            const int order = plain ? a.compare(b, Qt::CaseInsensitive) : collator.compare(a, b);
            fuzz::check(order <= 0, "targets are in label order", a + u" > "_s + b);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray json = fuzz::bytes(data, size);
    // Both ways of sorting: the C locale compares plainly, any other collates.
    QLocale::setDefault(size % 2 == 0 ? QLocale::c() : QLocale(QLocale::English, QLocale::UnitedStates));
    try {
        const QList<ChromeProfile> profiles = ChromeProfiles::fromLocalState(json);
        checkTargets(OpenTarget::forChromeProfiles(profiles));

        // The same through the file.
        const QByteArray path = fuzz::scratchFolder() + "/Local State";
        fuzz::writeFile(path, json);
        fuzz::check(ChromeProfiles::read(QFile::decodeName(path)) == profiles,
                    "the file gives what its content gives");
    } catch (...) {
        fuzz::fail("reading Local State never throws");
    }
    return 0;
}
