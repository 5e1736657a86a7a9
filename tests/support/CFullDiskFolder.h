#pragma once

#include <QStringList>
#include <QTemporaryDir>

#include <functional>

// A folder whose disk can be filled up or made read-only, for the tests of
// what a save, an export or a log append does then. As root it is a 64 KiB
// tmpfs of its own. Where mounting is refused it is a plain folder: "full"
// is a file-size limit of 0 bytes (SIGXFSZ ignored, so a write fails with
// EFBIG instead of killing the process), "read-only" takes away the write
// permission. Processes started inside WhileFull or WhileReadOnly meet the
// same disk.
class CFullDiskFolder
{
public:
    CFullDiskFolder();
    ~CFullDiskFolder();
    CFullDiskFolder(const CFullDiskFolder&) = delete;
    CFullDiskFolder& operator=(const CFullDiskFolder&) = delete;

    bool IsValid() const { return m_dir.isValid(); }
    // A tmpfs of its own rather than the fallback.
    bool IsOwnFileSystem() const { return m_bMounted; }
    QString Path() const { return m_dir.path(); }
    QString FilePath(const QString& name) const { return m_dir.filePath(name); }
    // The test's own files in the folder, sorted; the filler is not one of them.
    QStringList Files() const;

    // What the system says of a write that does not fit.
    QString FullReason() const;

    // Runs fn with not one more byte fitting on the disk (the last page of
    // an existing file may still take a few), then frees the space again.
    void WhileFull(const std::function<void()>& fn);
    void WhileReadOnly(const std::function<void()>& fn);

private:
    void Fill();
    void SetWritable(bool writable);

    QTemporaryDir m_dir;
    bool m_bMounted = false;
};
