#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

// The order in which the app lists names: in the user's locale, ignoring letter case; equal names
// keep the order they came in.
namespace DisplayOrder {

// The positions of `names` in that order, those marked in `first` (when given) before the rest.
std::vector<qsizetype> of(const QStringList &names, const std::vector<bool> &first = {});

// Sorts `items` by `nameOf(item)`, those for which `first(item)` holds before the rest.
template<typename T, typename NameOf, typename First>
void sort(QList<T> &items, NameOf nameOf, First first)
{
    QStringList names;
    names.reserve(items.size());
    std::vector<bool> marked(items.size());
    for (qsizetype i = 0; i < items.size(); ++i) {
        names.append(nameOf(items[i]));
        marked[i] = first(items[i]);
    }
    QList<T> sorted;
    sorted.reserve(items.size());
    for (qsizetype i : of(names, marked))
        sorted.append(std::move(items[i]));
    items = std::move(sorted);
}

template<typename T, typename NameOf>
void sort(QList<T> &items, NameOf nameOf)
{
    sort(items, nameOf, [](const T &) { return false; });
}

} // namespace DisplayOrder
