#include "DisplayOrder.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>
#include <numeric>

std::vector<qsizetype> DisplayOrder::of(const QStringList &names, const std::vector<bool> &first)
{
    // One collator and one sort key per name: comparing keys is far cheaper than collating
    // strings on every comparison. The C locale has no collation rules (and Qt's C sort keys
    // would not fold case), so there a plain case-insensitive comparison does the job.
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    const bool plain = collator.locale().language() == QLocale::C;

    std::vector<qsizetype> order(names.size());
    std::iota(order.begin(), order.end(), 0);
    const auto isFirst = [&](qsizetype i) { return i < qsizetype(first.size()) && first[i]; };
    if (plain) {
        std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
            if (isFirst(a) != isFirst(b))
                return isFirst(a);
            return names[a].compare(names[b], Qt::CaseInsensitive) < 0;
        });
    } else {
        std::vector<QCollatorSortKey> keys;
        keys.reserve(names.size());
        for (const QString &name : names)
            keys.push_back(collator.sortKey(name));
        std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
            if (isFirst(a) != isFirst(b))
                return isFirst(a);
            return keys[a].compare(keys[b]) < 0;
        });
    }
    return order;
}
