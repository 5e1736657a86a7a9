#include "core/files/CRunLogIndexCache.h"

#include "core/files/CWholeFileWrite.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <filesystem>
#include <tuple>
#include <utility>

namespace {

constexpr quint32 kMagic = 0x5A4C4958;  // "ZLIX"
constexpr quint32 kFormatVersion = 2;
// An entry's values as format 2 stores them: a new one raises the version.
static_assert(std::tuple_size_v<decltype(CRunLogEntry::StoredOf(std::declval<CRunLogEntry&>()))> ==
                  15,
              "raise kFormatVersion with the values an entry stores");
constexpr auto kChecksum = QCryptographicHash::Sha256;
constexpr int kSampledEntries = 32;
constexpr qint64 kSampleBytes = 64;
// Far more than any index of a real log; a damaged cache file never makes
// the program allocate without bound.
constexpr qint64 kMaxCacheFileBytes = qint64(256) << 20;

struct Sample {
    qint64 offset = 0;
    QByteArray bytes;
};

QDataStream& operator<<(QDataStream& out, const CRunLogEntry& entry)
{
    std::apply([&out](const auto&... value) { (out << ... << value); },
               CRunLogEntry::StoredOf(entry));
    return out;
}

QDataStream& operator>>(QDataStream& in, CRunLogEntry& entry)
{
    std::apply([&in](auto&... value) { (in >> ... >> value); }, CRunLogEntry::StoredOf(entry));
    return in;
}

QDataStream& operator<<(QDataStream& out, const CRunLogIndex::ForeignText& text)
{
    return out << text.m_nOffset << text.m_nLength;
}

QDataStream& operator>>(QDataStream& in, CRunLogIndex::ForeignText& text)
{
    return in >> text.m_nOffset >> text.m_nLength;
}

QDataStream& operator<<(QDataStream& out, const Sample& sample)
{
    return out << sample.offset << sample.bytes;
}

QDataStream& operator>>(QDataStream& in, Sample& sample)
{
    return in >> sample.offset >> sample.bytes;
}

template <typename T> void WriteList(QDataStream& out, const QList<T>& items)
{
    out << qint64(items.size());
    for (const T& item : items)
        out << item;
}

// A damaged count ends the read at the stream's end, not in a huge allocation.
template <typename T> void ReadList(QDataStream& in, QList<T>& items)
{
    qint64 count = 0;
    in >> count;
    for (qint64 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        T item;
        in >> item;
        items.append(item);
    }
}

QString LogIdentity(const QFileDevice& log)
{
    const QFileInfo info(log.fileName());
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

qint64 ModifiedMs(const QFileDevice& log)
{
    return log.fileTime(QFileDevice::FileModificationTime).toMSecsSinceEpoch();
}

QByteArray BytesAt(QFileDevice& log, qint64 offset, qint64 length)
{
    if (offset < 0 || !log.seek(offset))
        return QByteArray();
    return log.read(length);
}

// The bytes where some entries begin and end, spread over the log: the end
// of an entry holds its time stamp, so the samples tell one log from another.
QList<Sample> TakeSamples(QFileDevice& log, const CRunLogIndex& index)
{
    QList<Sample> samples;
    const QList<CRunLogEntry>& entries = index.m_arrEntries;
    const qsizetype last = entries.size() - 1;
    for (int k = 0; k < kSampledEntries && last >= 0; ++k) {
        const CRunLogEntry& entry = entries[qsizetype(qint64(k) * last / (kSampledEntries - 1))];
        // An index not yet checked may hold any numbers; only bytes inside the log are sampled.
        if (entry.m_nOffset < 0 || entry.m_nLength < 0 || entry.m_nOffset > log.size() ||
            entry.m_nLength > log.size() - entry.m_nOffset)
            continue;
        const qint64 end = entry.m_nOffset + entry.m_nLength;
        for (qint64 offset : {entry.m_nOffset, qMax(entry.m_nOffset, end - kSampleBytes)})
            samples.append({offset, BytesAt(log, offset, qMin(kSampleBytes, end - offset))});
    }
    return samples;
}

// The cache file's bytes without their checksum, when it is a file of its
// own (never a link) and the checksum holds.
QByteArray CheckedPayload(const QString& path)
{
    const QFileInfo info(path);
    QFile file(path);
    if (info.isSymLink() || !info.isFile() || info.size() > kMaxCacheFileBytes ||
        !file.open(QIODevice::ReadOnly))
        return QByteArray();
    const QByteArray bytes = file.read(kMaxCacheFileBytes);
    const qsizetype payload = bytes.size() - QCryptographicHash::hashLength(kChecksum);
    if (payload <= 0 || QCryptographicHash::hash(QByteArrayView(bytes).first(payload), kChecksum) !=
                            QByteArrayView(bytes).sliced(payload))
        return QByteArray();
    return bytes.first(payload);
}

std::filesystem::path FileSystemPath(const QString& path)
{
    return std::filesystem::path(path.toStdU16String());
}

}  // namespace

CRunLogIndexCache::CRunLogIndexCache(const QString& folder) : m_strFolder(folder)
{
}

QString CRunLogIndexCache::CacheFilePath(const QString& logPath) const
{
    const QByteArray key =
        QCryptographicHash::hash(logPath.toUtf8(), QCryptographicHash::Sha1).toHex();
    return QDir(m_strFolder).filePath(QString::fromLatin1(key) + QStringLiteral(".index"));
}

CRunLogIndex CRunLogIndexCache::Load(QFileDevice& log) const
{
    const QString identity = LogIdentity(log);
    QByteArray bytes = CheckedPayload(CacheFilePath(identity));
    QDataStream in(&bytes, QIODevice::ReadOnly);
    in.setVersion(QDataStream::Qt_6_0);
    quint32 magic = 0, version = 0;
    QString path;
    qint64 modifiedMs = 0;
    CRunLogIndex index;
    QList<Sample> samples;
    in >> magic >> version;
    if (magic != kMagic || version != kFormatVersion)
        return CRunLogIndex();
    in >> path >> index.m_nIndexedBytes >> modifiedMs >> index.m_qualityKey;
    ReadList(in, samples);
    ReadList(in, index.m_arrEntries);
    ReadList(in, index.m_arrForeignText);
    if (in.status() != QDataStream::Ok || !in.atEnd() || path != identity)
        return CRunLogIndex();
    // Same length but another time: written in place, not appended to.
    const qint64 size = log.size();
    if (!index.IsWellFormed(size) ||
        (size == index.m_nIndexedBytes && modifiedMs != ModifiedMs(log)))
        return CRunLogIndex();
    for (const Sample& sample : samples) {
        if (BytesAt(log, sample.offset, sample.bytes.size()) != sample.bytes)
            return CRunLogIndex();
    }
    return index;
}

// Written beside the cache file and renamed over it: a reader sees the old
// index or the new one, and a link in the cache file's place is replaced,
// never followed.
void CRunLogIndexCache::Save(QFileDevice& log, const CRunLogIndex& index) const
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out << kMagic << kFormatVersion << LogIdentity(log) << index.m_nIndexedBytes << ModifiedMs(log)
        << index.m_qualityKey;
    WriteList(out, TakeSamples(log, index));
    WriteList(out, index.m_arrEntries);
    WriteList(out, index.m_arrForeignText);
    bytes += QCryptographicHash::hash(bytes, kChecksum);
    if (!QDir().mkpath(m_strFolder))
        return;
    QTemporaryFile file(QDir(m_strFolder).filePath(QStringLiteral("XXXXXX.part")));
    if (!file.open() || !CWholeFileWrite::Write(file, bytes) || !file.flush())
        return;
    file.close();
    std::error_code error;
    std::filesystem::rename(FileSystemPath(file.fileName()),
                            FileSystemPath(CacheFilePath(LogIdentity(log))), error);
    if (!error)
        file.setAutoRemove(false);
}

void CRunLogIndexCache::Drop(QFileDevice& log) const
{
    QFile::remove(CacheFilePath(LogIdentity(log)));
}
