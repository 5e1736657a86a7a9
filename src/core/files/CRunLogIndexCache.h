#pragma once

#include "core/files/CRunLogIndex.h"

#include <QString>

class QFileDevice;

// The index of a run log kept between openings, one file per log in a
// cache folder. A log is only ever appended to, so an index stays good for
// the bytes it covers as long as the log is at least as long and holds the
// same bytes where the index says entries begin and end; the index is then
// taken and only the rest of the log is read. A log that shrank, changed
// in place or no longer matches is indexed afresh. The cache is a hint,
// never a source: a cache file that cannot be read or written, fails its
// checksum, or holds a value the log cannot have is ignored.
class CRunLogIndexCache
{
public:
    explicit CRunLogIndexCache(const QString& folder);

    // The index kept for the open log, or an empty one.
    CRunLogIndex Load(QFileDevice& log) const;
    void Save(QFileDevice& log, const CRunLogIndex& index) const;
    // Forgets the index kept for the log.
    void Drop(QFileDevice& log) const;

    QString CacheFilePath(const QString& logPath) const;

private:
    QString m_strFolder;
};
