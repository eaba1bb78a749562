#include "ui/UpdateDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>

class TestUpdateDialogs : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void downloadButtonOnlyForHttps_data()
    {
        QTest::addColumn<QUrl>("page");
        QTest::addColumn<bool>("offered");
        QTest::newRow("https") << QUrl(QStringLiteral("https://example.invalid/2.0")) << true;
        QTest::newRow("file") << QUrl(QStringLiteral("file:///tmp/payload.sh")) << false;
        QTest::newRow("http") << QUrl(QStringLiteral("http://example.invalid/2.0")) << false;
        QTest::newRow("javascript") << QUrl(QStringLiteral("javascript:alert(1)")) << false;
        QTest::newRow("none") << QUrl() << false;
    }

    // The service refuses such feeds already; the dialog must not hand one
    // to the system's URL handler either.
    void downloadButtonOnlyForHttps()
    {
        QFETCH(QUrl, page);
        QFETCH(bool, offered);
        DialogUpdateUserInterface dialogs;
        dialogs.showUpdateAvailable(
            AppcastItem{{}, QStringLiteral("2"), QStringLiteral("2.0"), {}, page},
            QStringLiteral("1.0"));
        QMessageBox *box = nullptr;
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (auto *found = qobject_cast<QMessageBox *>(widget); found && found->isVisible())
                box = found;
        QVERIFY(box);
        QStringList buttons;
        for (QAbstractButton *button : box->buttons())
            buttons.append(button->text());
        QCOMPARE(buttons.contains(QStringLiteral("前往下载")), offered);
        QVERIFY(buttons.contains(QStringLiteral("稍后")));
        box->close();
        QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty());
    }
};

QTEST_MAIN(TestUpdateDialogs)
#include "tst_updatedialogs.moc"
