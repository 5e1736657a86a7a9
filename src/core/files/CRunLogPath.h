#pragma once

#include <QString>

// Where the cumulative run log lives: the path given on the command line,
// else the one in ZENTAK_RUN_LOG, else "ZEVSpine_v5.log" in the per-user
// data folder "Zentak". The default does not depend on the names a program
// gives itself, so the windowed program and the command line share one log.
class CRunLogPath
{
public:
    static constexpr char kFileName[] = "ZEVSpine_v5.log";
    static constexpr char kEnvironmentVariable[] = "ZENTAK_RUN_LOG";
    static constexpr char kFolderName[] = "Zentak";

    // Linux: ~/.local/share/Zentak; Windows: %LOCALAPPDATA%\Zentak.
    static QString DefaultFolder();
    static QString DefaultPath();

    static QString Resolve(const QString& explicitPath = QString());
};
