#pragma once

#include "gui/CFileChooser.h"

class CQtFileChooser : public CFileChooser
{
public:
    QString ChooseFileToOpen(QWidget* parent, const Request& request) override;
    QString ChooseFileToSave(QWidget* parent, const Request& request) override;
};
