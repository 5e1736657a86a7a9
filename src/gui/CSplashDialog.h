#pragma once

#include <QDialog>

// The start-up picture: a borderless modal window over the painted main
// window that closes itself after a short while.
class CSplashDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kShowMs = 2000;

    explicit CSplashDialog(QWidget* parent = nullptr, int showMs = kShowMs);

protected:
    void showEvent(QShowEvent* event) override;

private:
    int m_nShowMs;
};
