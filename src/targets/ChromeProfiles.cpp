#include "ChromeProfiles.h"

#include <QCollator>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include <algorithm>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {

std::optional<QByteArray> readCapped(const QString &path)
{
    // Only regular files: opening a FIFO in its place would block until a writer came along.
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > ChromeProfiles::kMaxLocalStateBytes)
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // The file may grow after the size check; the cap holds regardless.
    QByteArray bytes;
    char chunk[64 * 1024];
    for (;;) {
        const qint64 n = file.read(chunk, sizeof chunk);
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            return bytes;
        if (bytes.size() + n > ChromeProfiles::kMaxLocalStateBytes)
            return std::nullopt;
        bytes.append(chunk, n);
    }
}

} // namespace

QList<OpenTarget> ChromeProfiles::read(const QString &localStatePath)
{
    const std::optional<QByteArray> bytes = readCapped(localStatePath);
    return bytes ? fromLocalState(*bytes) : QList<OpenTarget>();
}

QList<OpenTarget> ChromeProfiles::fromLocalState(const QByteArray &json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return {};
    const QJsonValue profile = document.object().value("profile"_L1);
    if (!profile.isObject())
        return {};
    const QJsonValue infoCache = profile.toObject().value("info_cache"_L1);
    if (!infoCache.isObject())
        return {};

    const QJsonObject entries = infoCache.toObject();
    QList<OpenTarget> targets;
    targets.reserve(entries.size());
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        // An empty folder means "let Chrome pick", and "default" would give Chrome default's
        // key: neither names a profile of its own, and Chrome writes neither.
        OpenTarget target = targetFor(it.key(), it.value());
        if (it.key().isEmpty() || target.id == OpenTarget::chromeDefault().id)
            continue;
        targets.append(std::move(target));
    }
    sortByLabel(targets);
    return targets;
}

OpenTarget ChromeProfiles::targetFor(const QString &directory, const QJsonValue &entry)
{
    // Every entry is offered, even one whose name is unusable: the folder name stands in.
    const QJsonValue name = entry.toObject().value("name"_L1);
    const QString shown = name.isString() && !name.toString().isEmpty() ? name.toString()
                                                                         : directory;
    return {"chrome-"_L1 + directory, "Chrome - "_L1 + shown, directory};
}

void ChromeProfiles::sortByLabel(QList<OpenTarget> &targets)
{
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    // The C locale has no collation rules and Qt's C collation would not fold case.
    if (collator.locale().language() == QLocale::C) {
        std::stable_sort(targets.begin(), targets.end(), [](const auto &a, const auto &b) {
            return a.label.compare(b.label, Qt::CaseInsensitive) < 0;
        });
        return;
    }
    std::stable_sort(targets.begin(), targets.end(), [&](const auto &a, const auto &b) {
        return collator.compare(a.label, b.label) < 0;
    });
}
