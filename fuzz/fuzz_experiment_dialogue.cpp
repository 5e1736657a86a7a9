// The whole experiment dialogue of one impact against a box whose every
// reply comes from the fuzzer's bytes, on the simulated port with free waits.
//
// Input: byte 0 holds the operator and the line: bits 0-2 all set choose the
// displacement mode, bit 3 answers the release 4 question Yes, bit 4 answers
// "Impact Now?" Yes, bit 5 repeats the last reply for ever once the script is
// used up (otherwise the box falls silent), bits 6-7 pick the baud rate.
// Bytes 1-5 give the desired force, displacement, velocity and dwell. The
// rest are the box's replies, one per write, separated by 0xFF; within a
// reply 0xFE and a byte d delay the text after them by d x 10 ms.

#include "CManualClock.h"
#include "CScriptedBox.h"
#include "CScriptedPrompt.h"
#include "FuzzCheck.h"
#include "FuzzTraceCheck.h"
#include "core/device/CPortFactory.h"
#include "core/device/CSerialLink.h"
#include "core/protocol/CExperimentDialogue.h"
#include "core/protocol/CImpactRun.h"
#include "core/protocol/CRunOutcome.h"
#include "core/record/CImpactRecord.h"
#include "core/record/CSerialSettings.h"

#include <cstdint>

namespace {

constexpr uchar kReplyEnd = 0xFF;
constexpr uchar kPause = 0xFE;
constexpr qint64 kPauseStepMs = 10;
// Enough to cut replies at 128 bytes; more only slows the fuzzer down.
constexpr qsizetype kMaxReplyBytes = 160;
constexpr qsizetype kMaxPieces = 8;
constexpr size_t kHeaderBytes = 6;

struct Script {
    QList<CScriptedBox::Reply> replies;
    bool repeatLast = false;
};

Script ReadReplies(const uchar* data, size_t size)
{
    Script script;
    CScriptedBox::Reply reply{{0, {}}};
    qsizetype bytes = 0;
    const auto finish = [&] {
        script.replies.append(reply);
        reply = CScriptedBox::Reply{{0, {}}};
        bytes = 0;
    };
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == kReplyEnd) {
            finish();
        } else if (data[i] == kPause && i + 1 < size) {
            if (reply.size() < kMaxPieces)
                reply.append(
                    CScriptedBox::Piece{reply.last().delayMs + data[i + 1] * kPauseStepMs, {}});
            ++i;
        } else if (bytes < kMaxReplyBytes) {
            reply.last().bytes += char(data[i]);
            ++bytes;
        }
    }
    finish();
    return script;
}

// Answers each question by what it asks, recording it as the scripted operator does.
class CFuzzPrompt : public CScriptedPrompt
{
public:
    CFuzzPrompt(bool release4Yes, bool impactYes)
        : m_bRelease4Yes(release4Yes), m_bImpactYes(impactYes)
    {
    }

    bool AskYesNo(const QString& text) override
    {
        questions.append(text);
        return text.startsWith(CExperimentDialogue::kImpactNow) ? m_bImpactYes : m_bRelease4Yes;
    }

private:
    bool m_bRelease4Yes;
    bool m_bImpactYes;
};

QByteArray Decimal(qint64 value)
{
    return QByteArray::number(value) + '\n';
}

// The longest the dialogue may block: every exchange waiting out its whole
// read, the prompt loop at its pass limit with a slow exchange in each pass,
// then the reply to "y" and a download stopped by its time bound one poll late.
qint64 MaxDialogueMs(int baudRate)
{
    const qint64 normal = CSerialLink::kShortTimeouts.ReadTotalMs(CSerialLink::kReplyBytes);
    const qint64 slow = CSerialLink::kLongTimeouts.ReadTotalMs(CSerialLink::kReplyBytes);
    const qint64 wakeUp = normal + CExperimentDialogue::kWakeProbes * slow;
    const qint64 prompts = CExperimentDialogue::kMaxPromptPasses * qMax(slow, 2 * normal);
    const qint64 download = normal + CSerialLink::MaxDownloadMs(baudRate) + normal;
    return wakeUp + prompts + download;
}

qsizetype MaxWrites()
{
    return 1 + CExperimentDialogue::kWakeProbes + 2 * CExperimentDialogue::kMaxPromptPasses + 1 +
           CSerialLink::kMaxDownloadPolls;
}

// Only the protocol's answers go out, "y" once and only after the operator
// said Yes, and after it nothing but polls.
void CheckWire(const QByteArrayList& writes, const CImpactRecord& record,
               const CScriptedPrompt& prompt, bool impactYes)
{
    const QByteArrayList answers{"\n\n\n",
                                 "\n",
                                 "57\n",
                                 "54\n",
                                 Decimal(qint64(record.m_nDesiredForce) * 10),
                                 Decimal(record.m_nDesiredDisp),
                                 Decimal(record.m_nDesiredVelocity),
                                 Decimal(record.m_nDesiredDwell)};
    const qsizetype go = writes.indexOf("y");
    FUZZ_CHECK(go < 0 ||
               (impactYes && !prompt.questions.filter(CExperimentDialogue::kImpactNow).isEmpty()));
    const qsizetype dialogueEnd = go < 0 ? writes.size() : go;
    for (qsizetype i = 0; i < dialogueEnd; ++i)
        FUZZ_CHECK(answers.contains(writes[i]));
    for (qsizetype i = dialogueEnd + 1; i < writes.size(); ++i)
        FUZZ_CHECK(writes[i] == "w");
}

// Only a made impact brings samples: its download is in the result, and the
// record holds the traces parsed from it.
void CheckOutcome(const CExperimentDialogue::Result& result, const CImpactRecord& record,
                  const CScriptedPrompt& prompt, const QByteArrayList& writes, int mode)
{
    const bool impactMade = writes.contains("y");
    switch (result.outcome) {
    case CRunOutcome::Kind::Completed:
    case CRunOutcome::Kind::CutShort:
        FUZZ_CHECK(impactMade && !result.chunks.isEmpty());
        FUZZ_CHECK(prompt.questions.last().startsWith(CExperimentDialogue::kImpactNow));
        break;
    case CRunOutcome::Kind::Aborted:
        FUZZ_CHECK(!impactMade && writes.last() == "\n\n\n");
        FUZZ_CHECK(prompt.messages.last().text == CExperimentDialogue::kImpactAborted);
        break;
    case CRunOutcome::Kind::FirmwareUnusable:
        FUZZ_CHECK(writes.size() <= 1 + CExperimentDialogue::kWakeProbes);
        break;
    case CRunOutcome::Kind::ModeRefused:
        FUZZ_CHECK(mode == CExperimentDialogue::kModeDisplacement && writes.isEmpty());
        break;
    case CRunOutcome::Kind::NotResponding:
        break;
    default:
        FUZZ_CHECK(!"an outcome outside the table");
    }
    if (!CRunOutcome::ImpactMade(result.outcome)) {
        FUZZ_CHECK(result.chunks.isEmpty());
        FUZZ_CHECK(record.m_arrDispDown.isEmpty() && record.m_arrDispUp.isEmpty());
    }
    FUZZ_CHECK(record.m_nFirmwareRelease == result.firmwareRelease);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < kHeaderBytes)
        return 0;
    const uchar flags = data[0];
    const int mode =
        (flags & 7) == 7 ? CExperimentDialogue::kModeDisplacement : CExperimentDialogue::kModeForce;
    const bool release4Yes = flags & 0x08;
    const bool impactYes = flags & 0x10;
    static const int kBaudRates[] = {9600, 1200, 115200, 0};
    const int baudRate = kBaudRates[flags >> 6];
    Script script = ReadReplies(data + kHeaderBytes, size - kHeaderBytes);
    script.repeatLast = flags & 0x20;

    CScriptedBox box;
    for (const CScriptedBox::Reply& reply : script.replies)
        box.QueueReply(reply);
    if (script.repeatLast)
        box.SetFallback(script.replies.last());
    CManualClock clock;
    CPortFactory factory(box);
    CFuzzPrompt prompt(release4Yes, impactYes);
    CImpactRecord record;
    record.m_nDesiredForce = 1 + (data[1] << 8 | data[2]) % 1000;
    record.m_nDesiredDisp = int(qint8(data[3])) * 16;
    record.m_nDesiredVelocity = data[4] % 101;
    record.m_nDesiredDwell = data[5] % 61;

    const CExperimentDialogue::Result result =
        CImpactRun(factory, clock, prompt)
            .Run(CSerialSettings{CPortFactory::kSimulatorPort, baudRate}, mode, record);

    FUZZ_CHECK(clock.NowMs() <= MaxDialogueMs(baudRate));
    FUZZ_CHECK(box.Writes().size() <= MaxWrites());
    CheckTraces(record);
    CheckWire(box.Writes(), record, prompt, impactYes);
    CheckOutcome(result, record, prompt, box.Writes(), mode);
    return 0;
}
