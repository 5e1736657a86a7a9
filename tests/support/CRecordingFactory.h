#pragma once

#include "core/device/CPortBackend.h"
#include "core/device/CPortFactory.h"

#include <QList>

#include <memory>

// Remembers how the link set up each port it opened.
class CRecordingFactory : public CPortFactory
{
public:
    struct Setup {
        CLineSettings settings;
        CTimeouts timeouts;
    };

    using CPortFactory::CPortFactory;

    std::unique_ptr<CPortBackend> CreateBackend(const QString& portName, CClock& clock) override
    {
        return std::make_unique<Recorder>(*this, CPortFactory::CreateBackend(portName, clock));
    }

    QList<Setup> setups;

private:
    class Recorder : public CPortBackend
    {
    public:
        Recorder(CRecordingFactory& owner, std::unique_ptr<CPortBackend> inner)
            : m_owner(owner), m_inner(std::move(inner))
        {
        }
        bool Open(const QString& name) override
        {
            m_owner.setups.append(Setup());
            return m_inner->Open(name);
        }
        bool ApplyLineSettings(const CLineSettings& s) override
        {
            m_owner.setups.last().settings = s;
            return m_inner->ApplyLineSettings(s);
        }
        void SetTimeouts(const CTimeouts& t) override
        {
            m_owner.setups.last().timeouts = t;
            m_inner->SetTimeouts(t);
        }
        qint64 Write(const QByteArray& b) override { return m_inner->Write(b); }
        QByteArray Read(qsizetype n) override { return m_inner->Read(n); }
        void Close() override { m_inner->Close(); }

    private:
        CRecordingFactory& m_owner;
        std::unique_ptr<CPortBackend> m_inner;
    };
};
