#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QByteArray;
class QIODevice;
class QSaveFile;

// Writes that either complete or leave the device's error string saying why.
class CWholeFileWrite
{
public:
    // A disk that fills part-way makes a write return a short count with no
    // error; writing the rest then fails with the system's reason.
    static bool Write(QIODevice& device, const QByteArray& bytes);

    // Puts a QSaveFile's temporary file in place of the target only when all
    // of it reached the disk. Qt 6.4's commit() does not see a failure of the
    // last buffered write: on a full disk a small file would "commit" as an
    // empty one over the previous file. False leaves the previous file as it was.
    static bool Commit(QSaveFile& file);
    // Writes a file through a temporary file beside it that replaces it only
    // when write succeeded and all of it is on the disk. False with the
    // operator's message, naming the file, in error. A target COutputTarget
    // refuses (runLogs: the logs in use beside the default) is not touched.
    static bool Replace(const QString& path, const std::function<bool(QIODevice&)>& write,
                        QString& error, const QStringList& runLogs = {});
    // The same for bytes made beforehand.
    static bool Replace(const QString& path, const QByteArray& bytes, QString& error,
                        const QStringList& runLogs = {});

    struct Created {
        enum class Outcome { Written, NameTaken, Failed };
        Outcome outcome = Outcome::Written;
        QString message;  // the operator's, naming the file; empty when written
    };
    // Writes a file that must not exist yet, through a temporary file beside
    // it that takes the name only when the whole file is on the disk and no
    // other file has the name by then: an existing file, a symbolic link
    // included, is never replaced, followed or copied over.
    static Created CreateNew(const QString& path, const QByteArray& bytes,
                             const QStringList& runLogs = {});
    static QString ExistsText(const QString& path);
};
