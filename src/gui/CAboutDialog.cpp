#include "gui/CAboutDialog.h"

#include "core/program/ZentakVersion.h"
#include "render/CArtwork.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

CAboutDialog::CAboutDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About Spinal Cord Impactor"));
    auto* icon = new QLabel(this);
    icon->setPixmap(CArtwork::ApplicationIcon().pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop);

    auto* texts = new QVBoxLayout;
    const QLatin1String version(ZentakVersion::kNumber);
    for (const QString& line :
         {QStringLiteral("Spinal Cord Impactor Application v%1").arg(version),
          QStringLiteral("Zentak %1 for Qt %2").arg(version, QLatin1String(qVersion())),
          QStringLiteral("Control software for the ZR spinal cord impactor.")})
        texts->addWidget(new QLabel(line, this));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addSpacing(12);
    top->addLayout(texts, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
