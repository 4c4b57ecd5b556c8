#include "common/testmain.h"
#include "platform/fileattr.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestFileAttr : public QObject {
    Q_OBJECT
private slots:
    void readOnlyBitOnly()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("a.wqf");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QVERIFY(platform::SetFileMode(path, 0640));
        QVERIFY(!platform::FileIsReadOnly(path));
        QVERIFY(platform::SetFileReadOnly(path, true));
        QVERIFY(platform::FileIsReadOnly(path));
        QCOMPARE(*platform::FileMode(path), 0440u);
        QVERIFY(platform::SetFileReadOnly(path, false));
        QCOMPARE(*platform::FileMode(path), 0640u);
    }
    void missingFile()
    {
        QVERIFY(!platform::FileMode("/nonexistent/x").has_value());
        QVERIFY(!platform::FileIsReadOnly("/nonexistent/x"));
        QVERIFY(!platform::SetFileReadOnly("/nonexistent/x", true));
    }
};

PELLORIN_TEST_CLASS(TestFileAttr)
#include "test_fileattr.moc"
