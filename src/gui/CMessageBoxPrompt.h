#pragma once

#include "core/protocol/COperatorPrompt.h"

#include <QPointer>
#include <QWidget>

// The operator prompt of the window: modal message boxes captioned with the
// application's name, over the main window.
class CMessageBoxPrompt : public COperatorPrompt
{
public:
    static inline const QString kCaption = QStringLiteral("Zentak");

    explicit CMessageBoxPrompt(QWidget* parent = nullptr);

    void SetParentWidget(QWidget* parent) { m_pParent = parent; }

    void ShowMessage(const QString& text, Icon icon = Icon::Exclamation) override;
    bool AskYesNo(const QString& text) override;
    Answer AskYesNoCancel(const QString& text) override;
    bool AskText(const QString& text, QString& answer) override;

private:
    QPointer<QWidget> m_pParent;
};
