#pragma once

#ifdef ZENTAK_BOXSIM

#include <QProcess>
#include <QStringList>

// zentak-boxsim on its pseudo-terminal, for as long as the object lives. Each
// test target that has one defines ZENTAK_BOXSIM as its path.
class CBoxSimProcess
{
public:
    explicit CBoxSimProcess(const QStringList& arguments)
    {
        m_process.start(QStringLiteral(ZENTAK_BOXSIM),
                        QStringList{QStringLiteral("--until-stdin-closes")} + arguments);
        if (m_process.waitForStarted(5000) && m_process.waitForReadyRead(5000))
            m_strDevice = QString::fromLocal8Bit(m_process.readLine()).trimmed();
    }

    ~CBoxSimProcess()
    {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(3000)) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }

    CBoxSimProcess(const CBoxSimProcess&) = delete;
    CBoxSimProcess& operator=(const CBoxSimProcess&) = delete;

    // The device to name as the port; empty when the box did not start.
    QString Device() const { return m_strDevice; }

private:
    QProcess m_process;
    QString m_strDevice;
};

#endif
