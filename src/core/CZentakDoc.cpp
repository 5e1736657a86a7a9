#include "core/CZentakDoc.h"

#include "core/files/CCsvExport.h"
#include "core/files/CExperimentFileReader.h"
#include "core/files/CExperimentFileWriter.h"
#include "core/files/CFileErrorText.h"
#include "core/files/CInputFile.h"
#include "core/files/CRunLogFile.h"
#include "core/files/CRunLogPath.h"
#include "core/files/CWholeFileWrite.h"
#include "core/protocol/CImpactRun.h"
#include "core/protocol/COperatorPrompt.h"
#include "core/record/CSerialSettings.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <limits>
#include <optional>

namespace {

// Samples are unsigned counts. A later sample below an earlier one (the probe
// moved back) has no meaningful difference, so there is none.
std::optional<quint32> CountRise(quint32 later, quint32 earlier)
{
    if (later < earlier)
        return std::nullopt;
    return later - earlier;
}

// Hand-edited files can hold absurd counts; never convert out of the int range.
int TruncToInt(double value)
{
    return int(qBound(double(std::numeric_limits<int>::min()), value,
                      double(std::numeric_limits<int>::max())));
}

constexpr qsizetype kShortTraceLimit = 32;
constexpr qsizetype kShortTraceMinimum = 6;  // n - 5 must be positive, d[n-3] must exist
constexpr double kPerSampleSpan10To30 = 0.1388888888888889;  // 1 / (20 x 0.36 ms)

const char* const kMonthNames[] = {"January",   "February", "March",    "April",
                                   "May",       "June",     "July",     "August",
                                   "September", "October",  "November", "December"};

const QString kLogOpenFailed = QStringLiteral("Unable to Open Log File!");

}  // namespace

CZentakDoc::CZentakDoc(COperatorPrompt& prompt, QObject* parent)
    : QObject(parent), m_rPrompt(prompt)
{
}

void CZentakDoc::SetDataPresent(bool present)
{
    if (m_bDataPresent == present)
        return;
    m_bDataPresent = present;
    Q_EMIT dataPresentChanged(present);
}

CZentakDoc::~CZentakDoc() = default;

bool CZentakDoc::OnNewDocument()
{
    m_strPathName.clear();
    SetModifiedFlag(false);
    m_strComments.clear();
    m_nDesiredForce = 100;
    m_nDesiredDisp = 1;
    m_nDesiredVelocity = 1;
    m_nDesiredDwell = 0;
    SetActualValues(0, 0, 0, 0);
    m_nFirmwareRelease = 0;
    ClearTraces();
    ResetStats();
    SetDataPresent(false);
    return true;
}

void CZentakDoc::ClearTraces()
{
    m_arrDispDown.clear();
    m_arrForceDown.clear();
    m_arrDispUp.clear();
    m_arrForceUp.clear();
    m_arrStepTimeDown.clear();
    m_arrStepTimeUp.clear();
}

void CZentakDoc::ResetStats()
{
    m_nDispMax = 0;
    m_nDispMin = kDispMinStart;
    m_nForceMax = 0;
    m_nContactIndex = 0;
}

// The load's own reset: unlike a new document it keeps the path name, the
// modified flag and the run flags, and it forgets the file format.
void CZentakDoc::ResetForLoad()
{
    m_strComments.clear();
    m_nDesiredForce = 100;
    m_nDesiredDisp = 1;
    m_nDesiredVelocity = 1;
    m_nDesiredDwell = 0;
    SetActualValues(0, 0, 0, 0);
    m_nFileFormat = 0;
    m_nFirmwareRelease = 0;
    m_strFirmwareVersion.clear();
    ClearTraces();
    ResetStats();
    SetDataPresent(false);
}

void CZentakDoc::CopyWriteCounts()
{
    m_bDataValid = m_bDataPresent;
    m_nDownCount = int(m_arrDispDown.size());
    m_nUpCount = int(m_arrDispUp.size());
}

bool CZentakDoc::Serialize(QIODevice& device, bool storing)
{
    m_strFileError.clear();
    CopyWriteCounts();
    if (storing) {
        if (CWholeFileWrite::Write(device, CExperimentFileWriter::Text(*this, m_fnStoreViews)))
            return true;
        m_strFileError = device.errorString();
        return false;
    }
    ResetForLoad();
    CExperimentFileReader reader(device, *this);
    m_eLastLoadOutcome = reader.Read();
    if (!reader.ReadFailed())
        return true;
    m_strFileError = device.errorString();
    return false;
}

bool CZentakDoc::SaveToFile(const QString& path)
{
    if (!ReplaceFile(path, [this](QIODevice& file) { return Serialize(file, true); }))
        return false;
    SetPathName(path);
    SetModifiedFlag(false);
    return true;
}

bool CZentakDoc::ReplaceFile(const QString& path, const std::function<bool(QIODevice&)>& write)
{
    const bool existed = QFileInfo::exists(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        m_strFileError = CFileErrorText::ForOpenToWrite(path, file);
        return false;
    }
    if (write(file) && CWholeFileWrite::Commit(file))
        return true;
    m_strFileError = CFileErrorText::ForSave(path, file.errorString(), existed);
    return false;
}

bool CZentakDoc::LoadFromFile(const QString& path)
{
    QFile file(path);
    if (!CInputFile::Open(file, CExperimentFileReader::kMaxFileBytes,
                          CExperimentFileReader::kFileKind, m_strFileError))
        return false;
    // The document takes the file's name even after a load message.
    SetPathName(path);
    SetModifiedFlag(false);
    if (Serialize(file, false))
        return true;
    m_strFileError = CFileErrorText::ForRead(path, file);
    SetPathName(QString());
    return false;
}

QString CZentakDoc::RunLogPath() const
{
    return CRunLogPath::Resolve(m_strRunLogPath);
}

bool CZentakDoc::WriteRunLog()
{
    const QString path = RunLogPath();
    if (path == CRunLogPath::DefaultPath())
        QDir().mkpath(CRunLogPath::DefaultFolder());
    CopyWriteCounts();
    QString reason;
    const CRunLogFile::Result result =
        CRunLogFile::Append(path, CExperimentFileWriter::Text(*this), &reason);
    if (result == CRunLogFile::Result::Appended)
        return true;
    if (result == CRunLogFile::Result::OpenFailed) {
        m_rPrompt.ShowMessage(kLogOpenFailed, COperatorPrompt::Icon::Exclamation);
        return false;
    }
    const QString logAfter = result == CRunLogFile::Result::WriteFailedTorn
                                 ? QStringLiteral("now ends with an incomplete entry of it.")
                                 : QStringLiteral("is as it was before the run.");
    m_rPrompt.ShowMessage(QStringLiteral("Unable to Write Log File!\r\n%1: %2.\r\n"
                                         "This run is not in the log, which %3")
                              .arg(QDir::toNativeSeparators(path), reason, logAfter),
                          COperatorPrompt::Icon::Exclamation);
    return false;
}

QString CZentakDoc::RunStamp(const QDateTime& localTime)
{
    const QDate date = localTime.date();
    const QTime time = localTime.time();
    if (!date.isValid() || !time.isValid())
        return QString();
    const QChar zero = QLatin1Char('0');
    return QStringLiteral("Date: %1 %2, %3. \r\nTime: %4:%5:%6.\r\n")
        .arg(QLatin1String(kMonthNames[date.month() - 1]))
        .arg(date.day(), 2, 10, zero)
        .arg(date.year())
        .arg(time.hour(), 2, 10, zero)
        .arg(time.minute(), 2, 10, zero)
        .arg(time.second(), 2, 10, zero);
}

void CZentakDoc::StampRun(const QDateTime& localTime)
{
    m_strRunStamp = RunStamp(localTime);
    m_strComments = m_strRunStamp;
}

bool CZentakDoc::CompleteRun(const QDateTime& localTime)
{
    SetDataPresent(true);
    DeriveActualValues();
    StampRun(localTime);
    return WriteRunLog();
}

bool CZentakDoc::WriteCsv(QIODevice& device)
{
    m_strFileError.clear();
    if (CWholeFileWrite::Write(device, CCsvExport::Text(*this)))
        return true;
    m_strFileError = device.errorString();
    return false;
}

bool CZentakDoc::SaveCsvToFile(const QString& path)
{
    return ReplaceFile(path, [this](QIODevice& file) { return WriteCsv(file); });
}

void CZentakDoc::ComputeTraceStats()
{
    ResetStats();
    for (const CUIntArray* positions : {&m_arrDispDown, &m_arrDispUp}) {
        for (quint32 sample : *positions) {
            m_nDispMax = qMax(m_nDispMax, sample);
            m_nDispMin = qMin(m_nDispMin, sample);
        }
    }
    for (qsizetype i = 0; i < m_arrForceDown.size(); ++i) {
        const quint32 sample = m_arrForceDown[i];
        // 0 means "no contact", so index 0 can never be the contact sample.
        if (sample >= kContactForce && m_nContactIndex == 0)
            m_nContactIndex = int(i);
        m_nForceMax = qMax(m_nForceMax, sample);
    }
    for (quint32 sample : m_arrForceUp)
        m_nForceMax = qMax(m_nForceMax, sample);
}

void CZentakDoc::SetActualValues(int force, int displacement, int velocity, int dwell)
{
    m_nActualForce = force;
    m_nActualDisp = displacement;
    m_nActualVelocity = velocity;
    m_nActualDwell = dwell;
}

void CZentakDoc::DeriveActualValues()
{
    ComputeTraceStats();
    const int velocity = VelocityFromDownTrace();
    const int displacement = DisplacementToDeepest();
    const int force = int(m_nForceMax / 10);
    SetActualValues(force, displacement, velocity, m_nActualDwell);
}

// Microns per ms, which is mm/s. Short traces use the span from the third
// sample to the third from last; longer ones the fixed span of samples 10..30.
int CZentakDoc::VelocityFromDownTrace() const
{
    const CUIntArray& d = m_arrDispDown;
    const qsizetype n = d.size();
    if (n < kShortTraceMinimum)
        return 0;
    if (n < kShortTraceLimit) {
        const auto rise = CountRise(d[n - 3], d[2]);
        return rise ? TruncToInt(*rise * kMicronsPerCount / ((n - 5) * kRelease4SampleMs)) : 0;
    }
    const auto rise = CountRise(d[30], d[10]);
    return rise ? TruncToInt(*rise * kMicronsPerCount * kPerSampleSpan10To30) : 0;
}

// Travel from the last sample before contact to the deepest point; only
// meaningful when the probe started clear of the tissue.
int CZentakDoc::DisplacementToDeepest() const
{
    if (m_nContactIndex < 1 || m_arrForceDown.isEmpty() || m_arrForceDown[0] >= kContactForce)
        return 0;
    const qsizetype beforeContact = m_nContactIndex - 1;
    if (beforeContact >= m_arrDispDown.size())
        return 0;
    const auto travel = CountRise(m_nDispMax, m_arrDispDown[beforeContact]);
    return travel ? TruncToInt(*travel * kMicronsPerCount) : 0;
}

void CZentakDoc::SetPortAccess(CPortFactory& factory, CClock& clock)
{
    m_pPortFactory = &factory;
    m_pClock = &clock;
}

CExperimentDialogue::Result CZentakDoc::RunExperiment(int mode, const CSerialSettings& settings)
{
    Q_ASSERT_X(m_pPortFactory && m_pClock, "RunExperiment", "SetPortAccess was not called");
    CImpactRun run(*m_pPortFactory, *m_pClock, m_rPrompt);
    run.SetProgress(m_pRunProgress);
    return run.Run(settings, mode, *this);
}
