#include "gui/CProgressDialog.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

CProgressDialog::CProgressDialog(CPortFactory& ports, CClock& clock, COperatorPrompt& prompt,
                                 QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint), m_transfer(ports, clock, prompt),
      m_ctrlProgress(new QProgressBar(this)), m_labelPercent(new QLabel(m_strPercent, this))
{
    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::Box);
    frame->setFrameShadow(QFrame::Plain);
    m_labelPercent->setObjectName(QStringLiteral("percent"));

    auto* title = new QLabel(kTitleText, frame);
    auto* heading = new QHBoxLayout;
    heading->addWidget(title);
    heading->addWidget(m_labelPercent);
    heading->addStretch();

    m_ctrlProgress->setRange(0, 100);
    m_ctrlProgress->setValue(0);
    m_ctrlProgress->setTextVisible(false);
    m_ctrlProgress->setMinimumWidth(320);

    auto* duration = new QLabel(kDurationText, frame);
    auto* warning = new QLabel(kWarningText, frame);
    duration->setAlignment(Qt::AlignHCenter);
    warning->setAlignment(Qt::AlignHCenter);

    auto* content = new QVBoxLayout(frame);
    content->addLayout(heading);
    content->addWidget(m_ctrlProgress);
    content->addWidget(duration);
    content->addWidget(warning);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);

    m_timer.setSingleShot(true);
    m_timer.setInterval(kStartDelayMs);
    connect(&m_timer, &QTimer::timeout, this, &CProgressDialog::OnTimer);
    m_transfer.SetProgressCallback([this](int percent) { ShowPercent(percent); });
}

int CProgressDialog::Execute(const CSerialSettings& settings, const QStringList& lines)
{
    m_pSettings = &settings;
    m_arrLines = lines;
    m_timer.start();
    const int result = exec();
    m_arrLines.clear();
    m_pSettings = nullptr;
    return result;
}

// There is no safe way out of a transfer under way: Escape and closing the
// window are ignored.
void CProgressDialog::reject()
{
}

void CProgressDialog::OnTimer()
{
    m_timer.stop();
    done(m_transfer.Run(*m_pSettings, m_arrLines));
}

// Painted at once: the transfer holds the thread, and the window may not
// get to paint otherwise.
void CProgressDialog::ShowPercent(int percent)
{
    m_ctrlProgress->setValue(percent);
    m_strPercent = QString::number(percent) + u'%';
    m_labelPercent->setText(m_strPercent);
    if (isVisible()) {
        m_ctrlProgress->repaint();
        m_labelPercent->repaint();
    }
}
