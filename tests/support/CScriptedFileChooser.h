#pragma once

#include "gui/CFileChooser.h"

#include <QList>
#include <QStringList>

// File names as the operator would pick them; every request is kept.
class CScriptedFileChooser : public CFileChooser
{
public:
    QString ChooseFileToOpen(QWidget*, const Request& request) override { return Next(request); }
    QString ChooseFileToSave(QWidget*, const Request& request) override { return Next(request); }

    QStringList names;  // taken in order; none left means Cancel
    QList<Request> requests;

private:
    QString Next(const Request& request)
    {
        requests.append(request);
        return names.isEmpty() ? QString() : names.takeFirst();
    }
};
