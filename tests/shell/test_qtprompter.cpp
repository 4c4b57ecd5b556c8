#include "common/testmain.h"
#include "platform/apptitle.h"
#include "shell/qtprompter.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

namespace {
// Runs act on the message box once it shows.
void whenBoxShows(QObject *context, std::function<void(QMessageBox *)> act)
{
    auto *poll = new QTimer(context);
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        poll->stop();
        poll->deleteLater();
        act(box);
    });
    poll->start();
}
} // namespace

class TestQtPrompter : public QObject {
    Q_OBJECT
private slots:
    void answers_data()
    {
        QTest::addColumn<int>("clicked");
        QTest::addColumn<int>("answer");
        QTest::newRow("Yes") << int(QMessageBox::Yes) << int(pbYes);
        QTest::newRow("No") << int(QMessageBox::No) << int(pbNo);
        QTest::newRow("Cancel") << int(QMessageBox::Cancel) << int(pbCancel);
        QTest::newRow("Escape") << -1 << int(pbCancel);
    }
    void answers()
    {
        QFETCH(int, clicked);
        QtPrompter prompter;
        Prompt prompt{"Exit", "Do you want to save changes before exit?", PromptIcon::Question, pbYes | pbNo | pbCancel,
                      pbYes};
        QString caption, text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        bool yesIsDefault = false;
        whenBoxShows(this, [&](QMessageBox *box) {
            caption = box->windowTitle();
            text = box->text();
            icon = box->icon();
            yesIsDefault = box->defaultButton() == box->button(QMessageBox::Yes);
            if (clicked < 0)
                QTest::keyClick(box, Qt::Key_Escape);
            else
                box->button(QMessageBox::StandardButton(clicked))->click();
        });
        QTEST(int(prompter.ask(nullptr, prompt)), "answer");
        QCOMPARE(caption, QString("Exit"));
        QCOMPARE(text, prompt.text);
        QCOMPARE(icon, QMessageBox::Question);
        QVERIFY(yesIsDefault);
    }

    void plainMessage()
    {
        QtPrompter prompter;
        QString caption;
        QList<QAbstractButton *> buttons;
        whenBoxShows(this, [&](QMessageBox *box) {
            caption = box->windowTitle();
            buttons = box->buttons();
            box->button(QMessageBox::Ok)->click();
        });
        platform::setApplicationTitle("page.wqf");
        Prompt prompt;
        prompt.text = "unable to find PreProcess section. Won't open!";
        QCOMPARE(prompter.ask(nullptr, prompt), pbOK);
        QCOMPARE(caption, QString("page.wqf")); // the application's title
        QCOMPARE(buttons.size(), 1);
    }
};

PELLORIN_TEST_CLASS(TestQtPrompter)
#include "test_qtprompter.moc"
