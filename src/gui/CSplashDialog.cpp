#include "gui/CSplashDialog.h"

#include "render/CArtwork.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

CSplashDialog::CSplashDialog(QWidget* parent, int showMs)
    : QDialog(parent, Qt::SplashScreen | Qt::FramelessWindowHint), m_nShowMs(showMs)
{
    setObjectName(QStringLiteral("splash"));
    auto* picture = new QLabel(this);
    picture->setPixmap(QPixmap::fromImage(CArtwork::SplashPicture()));
    picture->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(picture);
    setFixedSize(sizeHint());
}

void CSplashDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    QTimer::singleShot(m_nShowMs, this, &QDialog::accept);
}
