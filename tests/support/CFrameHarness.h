#pragma once

#include "CManualClock.h"
#include "CScriptedFileChooser.h"
#include "CScriptedPrompt.h"
#include "TestSettings.h"
#include "core/device/CPortFactory.h"
#include "core/simulator/ControlBoxSimulator.h"
#include "gui/CMainFrame.h"

#include <QApplication>
#include <QStringList>
#include <QTest>

// The whole window on a simulated control box, with a scripted operator and
// a clock whose waits take no time.
struct CFrameHarness {
    explicit CFrameHarness(const ControlBoxSimulator::Options& options = {})
        : box(options), ports(box),
          frame((UseTestSettings(), CFrameServices{prompt, clock, ports, files}))
    {
        const CSerialSettings settings = frame.SerialSettings();
        frame.ApplySerialSettings(CPortFactory::kSimulatorPort, settings.m_nBaudRate,
                                  settings.m_strParity, settings.m_strStopBits,
                                  settings.m_nByteSize);
    }

    // On screen and laid out, so clicks land where the operator's would.
    bool Show()
    {
        frame.show();
        return QTest::qWaitForWindowExposed(&frame);
    }

    // Also the active window, so shortcuts and Tab reach it.
    bool ShowActive()
    {
        if (!Show())
            return false;
        QApplication::setActiveWindow(&frame);
        return QTest::qWaitForWindowActive(&frame);
    }

    static ControlBoxSimulator::Options WithFault(const QString& fault)
    {
        ControlBoxSimulator::Options options;
        options.AddFault(fault);
        return options;
    }

    CScriptedPrompt prompt;
    CManualClock clock;
    CScriptedFileChooser files;
    ControlBoxSimulator box;
    CPortFactory ports;
    CMainFrame frame;
};
