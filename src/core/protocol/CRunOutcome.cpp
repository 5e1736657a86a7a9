#include "core/protocol/CRunOutcome.h"

#include "core/device/CPortAccess.h"
#include "core/device/CPortFactory.h"
#include "core/record/CImpactRecord.h"

QString CRunOutcome::Message(Kind kind)
{
    switch (kind) {
    case Kind::FirmwareUnusable:
        return kFirmwareCorrupted;
    case Kind::NotResponding:
        return kNotResponding;
    default:
        return QString();
    }
}

QString CRunOutcome::Message(Kind kind, const QString& portName)
{
    if (kind != Kind::NotResponding)
        return Message(kind);
    const QString message = NotRespondingMessage(portName);
    return message == kNotResponding ? message + QStringLiteral("\r\nPort: ") + portName : message;
}

QString CRunOutcome::NotRespondingMessage(const QString& portName)
{
    const std::optional<CPortAccess::Denial> denial =
        CPortAccess::DeniedAccess(CPortFactory::SystemPortName(portName));
    if (!denial)
        return kNotResponding;
    const QString advice =
        denial->bGroupMayUse
            ? QStringLiteral("Please Add Your User to the Group \"%1\" and Log In Again.")
            : QStringLiteral("The Port Belongs to the Group \"%1\"; Please Ask Your "
                             "Administrator for Access.");
    return QStringLiteral("No Permission to Use Serial Port %1!\r\n").arg(denial->devicePath) +
           advice.arg(denial->group);
}

QString CRunOutcome::CutShortMessage(const CImpactRecord& record)
{
    const qsizetype down = record.m_arrDispDown.size();
    const qsizetype up = record.m_arrDispUp.size();
    return kDownloadCutShort.arg(down + up).arg(down).arg(up);
}
