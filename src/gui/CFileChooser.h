#pragma once

#include <QString>

class QWidget;

// Where the window asks for file names. The window uses the platform's
// file dialogs; tests answer with names of their own.
class CFileChooser
{
public:
    struct Request {
        QString caption;
        QString filter;         // "Spinal Files (*.exp);;All Files (*.*)"
        QString defaultSuffix;  // added when the name has none
        QString initialName;
        bool confirmOverwrite = true;
    };

    virtual ~CFileChooser() = default;

    // An empty name means the operator cancelled.
    virtual QString ChooseFileToOpen(QWidget* parent, const Request& request) = 0;
    virtual QString ChooseFileToSave(QWidget* parent, const Request& request) = 0;
};
