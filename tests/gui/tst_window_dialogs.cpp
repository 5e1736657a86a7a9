#include "gui/CAboutDialog.h"
#include "gui/CMessageBoxPrompt.h"
#include "gui/CSplashDialog.h"
#include "render/CArtwork.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using Answer = COperatorPrompt::Answer;
using Icon = COperatorPrompt::Icon;

namespace {

struct SeenBox {
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    Qt::CursorShape cursor = Qt::BlankCursor;
};

// Notes the next message box once it is up and presses the given button.
void PressInNextBox(QMessageBox::StandardButton button, SeenBox* seen)
{
    QTimer::singleShot(0, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            PressInNextBox(button, seen);
            return;
        }
        seen->caption = box->windowTitle();
        seen->text = box->text();
        seen->icon = box->icon();
        seen->buttons = box->standardButtons();
        if (const QCursor* cursor = QGuiApplication::overrideCursor())
            seen->cursor = cursor->shape();
        box->button(button)->click();
    });
}

}  // namespace

class TestWindowDialogs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void messageBoxes_data();
    void messageBoxes();
    void aboutBoxTexts();
    void splashClosesByItself();
};

void TestWindowDialogs::messageBoxes_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("icon");
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("press");
    QTest::addColumn<int>("answer");

    const int yesNo = QMessageBox::Yes | QMessageBox::No;
    QTest::newRow("exclamation") << "message" << int(QMessageBox::Warning) << int(QMessageBox::Ok)
                                 << int(QMessageBox::Ok) << -1;
    QTest::newRow("information") << "information" << int(QMessageBox::Information)
                                 << int(QMessageBox::Ok) << int(QMessageBox::Ok) << -1;
    QTest::newRow("yes/no, yes") << "yesno" << int(QMessageBox::Question) << yesNo
                                 << int(QMessageBox::Yes) << int(Answer::Yes);
    QTest::newRow("yes/no, no") << "yesno" << int(QMessageBox::Question) << yesNo
                                << int(QMessageBox::No) << int(Answer::No);
    QTest::newRow("yes/no/cancel, cancel")
        << "yesnocancel" << int(QMessageBox::Question) << (yesNo | QMessageBox::Cancel)
        << int(QMessageBox::Cancel) << int(Answer::Cancel);
    QTest::newRow("yes/no/cancel, no")
        << "yesnocancel" << int(QMessageBox::Question) << (yesNo | QMessageBox::Cancel)
        << int(QMessageBox::No) << int(Answer::No);
}

void TestWindowDialogs::messageBoxes()
{
    QFETCH(QString, kind);
    QFETCH(int, icon);
    QFETCH(int, buttons);
    QFETCH(int, press);
    QFETCH(int, answer);
    CMessageBoxPrompt prompt;
    SeenBox seen;
    PressInNextBox(QMessageBox::StandardButton(press), &seen);
    // Asked in the middle of a run, under the window's wait cursor.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const QString text = QStringLiteral("COM Port or Device is Not Responding!\r\nPlease Check.");
    int given = -1;
    if (kind == QLatin1String("message"))
        prompt.ShowMessage(text, Icon::Exclamation);
    else if (kind == QLatin1String("information"))
        prompt.ShowMessage(text, Icon::Information);
    else if (kind == QLatin1String("yesno"))
        given = int(prompt.AskYesNo(text) ? Answer::Yes : Answer::No);
    else
        given = int(prompt.AskYesNoCancel(text));

    QCOMPARE(seen.caption, QStringLiteral("Zentak"));
    QCOMPARE(seen.text, QStringLiteral("COM Port or Device is Not Responding!\nPlease Check."));
    QCOMPARE(int(seen.icon), icon);
    QCOMPARE(int(seen.buttons), buttons);
    QCOMPARE(given, answer);
    QCOMPARE(seen.cursor, Qt::ArrowCursor);
    QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    QGuiApplication::restoreOverrideCursor();
}

void TestWindowDialogs::aboutBoxTexts()
{
    CAboutDialog about;
    QCOMPARE(about.windowTitle(), QStringLiteral("About Spinal Cord Impactor"));
    QStringList texts;
    for (const QLabel* label : about.findChildren<QLabel*>()) {
        if (!label->text().isEmpty())
            texts << label->text();
    }
    QCOMPARE(texts.size(), 3);
    QCOMPARE(texts.first(), QStringLiteral("Spinal Cord Impactor Application v5.0.4"));
}

void TestWindowDialogs::splashClosesByItself()
{
    CSplashDialog splash(nullptr, 10);
    const QList<QLabel*> labels = splash.findChildren<QLabel*>();
    QCOMPARE(labels.size(), 1);
    QCOMPARE(labels.first()->pixmap().size(),
             QSize(CArtwork::kSplashWidth, CArtwork::kSplashHeight));
    QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(splash.exec(), int(QDialog::Accepted));
}

QTEST_MAIN(TestWindowDialogs)
#include "tst_window_dialogs.moc"
