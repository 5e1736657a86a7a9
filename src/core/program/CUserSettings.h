#pragma once

#include <QString>

// Where the per-user settings live: one store for the window and zentak-cli,
// so both judge and show things the same way.
namespace CUserSettings {

inline const QString kOrganization = QStringLiteral("Local AppWizard-Generated Applications");
inline const QString kApplication = QStringLiteral("Zentak");

}  // namespace CUserSettings
