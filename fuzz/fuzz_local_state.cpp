// Chrome's Local State, read for its profiles. Whatever it holds, reading it never throws, the file
// gives what its content gives, and every profile becomes a target "chrome-<folder>" of its own
// (never a fixed target's) labelled "Chrome - ...", in label order.
#include "FuzzSupport.h"
#include "OpenTarget.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray json = fuzz::bytes(data, size);
    fuzz::pickLocale(size);
    try {
        const QList<ChromeProfile> profiles = ChromeProfiles::fromLocalState(json);
        const QByteArray path = fuzz::scratchFile("Local State", json);
        fuzz::check(ChromeProfiles::read(QFile::decodeName(path)) == profiles, "the file gives what its content gives");

        const QList<OpenTarget> targets = OpenTarget::forChromeProfiles(profiles);
        for (qsizetype i = 0; i < targets.size(); ++i) {
            const OpenTarget &target = targets[i];
            fuzz::check(target.profileDirectory && !target.profileDirectory->isEmpty()
                            && target.id == "chrome-"_L1 + *target.profileDirectory
                            && target.id != OpenTarget::chromeDefault().id && target.label.startsWith("Chrome - "_L1),
                        "a profile is chrome-<folder>, not a fixed target, labelled Chrome - ...",
                        target.id + u' ' + target.label);
            fuzz::check(i == 0 || fuzz::compareNames(targets[i - 1].label, target.label) <= 0,
                        "targets are in label order", target.label);
        }
    } catch (...) {
        fuzz::check(false, "reading Local State never throws");
    }
    return 0;
}
