// Chrome's "Local State" file, read for its profiles. Whatever it holds, reading it never throws,
// the file gives what its content gives, and every profile becomes a target "chrome-<folder>" of
// its own (never a fixed target's key), labelled "Chrome - ...", in label order.
#include "ChromeProfiles.h"
#include "FuzzSupport.h"
#include "OpenTarget.h"

#include <QCollator>

using namespace Qt::Literals::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray json = fuzz::bytes(data, size);
    QList<OpenTarget> targets;
    try {
        const QList<ChromeProfile> profiles = ChromeProfiles::fromLocalState(json);
        fuzz::check(ChromeProfiles::read(QFile::decodeName(fuzz::scratchFile("Local State", json))) == profiles,
                    "the file gives what its content gives");
        targets = OpenTarget::forChromeProfiles(profiles);
    } catch (...) {
        fuzz::check(false, "reading Local State never throws");
    }
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    const bool plain = collator.locale().language() == QLocale::C;
    for (qsizetype i = 0; i < targets.size(); ++i) {
        const OpenTarget &t = targets[i];
        // An empty folder means "let Chrome pick", which is Chrome default's job.
        fuzz::check(t.chromeProfileDirectory && !t.chromeProfileDirectory->isEmpty()
                        && t.id == "chrome-"_L1 + *t.chromeProfileDirectory && t.label.startsWith("Chrome - "_L1),
                    "a profile is the target chrome-<its folder>, labelled Chrome - ...", t.id);
        fuzz::check(t.id != OpenTarget::chromeDefault().id && t.id != OpenTarget::systemDefault().id,
                    "no profile takes the key of a fixed target", t.id);
        if (i > 0) {
            const QString &a = targets[i - 1].label;
            fuzz::check((plain ? a.compare(t.label, Qt::CaseInsensitive) : collator.compare(a, t.label)) <= 0,
                        "targets are in label order", a + u" > "_s + t.label);
        }
    }
    return 0;
}
