#pragma once

// What the fuzz targets share: a failed invariant stops the run with a message, and libFuzzer
// keeps the input that caused it.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace fuzz {

[[noreturn]] inline void fail(const char *invariant, const QString &detail = QString())
{
    std::fprintf(stderr, "INVARIANT FAILED: %s\n", invariant);
    if (!detail.isEmpty())
        std::fprintf(stderr, "  %s\n", detail.toUtf8().constData());
    std::abort();
}

inline void check(bool holds, const char *invariant, const QString &detail = QString())
{
    if (!holds)
        fail(invariant, detail);
}

// The input without a copy; it lives for the duration of one run.
inline QByteArray bytes(const uint8_t *data, size_t size)
{
    return QByteArray::fromRawData(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
}

} // namespace fuzz
