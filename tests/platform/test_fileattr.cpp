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
        QVERIFY(platform::setFileMode(path, 0640));
        QVERIFY(!platform::fileIsReadOnly(path));
        QVERIFY(platform::setFileReadOnly(path, true));
        QVERIFY(platform::fileIsReadOnly(path));
        QCOMPARE(*platform::fileMode(path), 0440u);
        QVERIFY(platform::setFileReadOnly(path, false));
        QCOMPARE(*platform::fileMode(path), 0640u);
    }
    void missingFile()
    {
        QVERIFY(!platform::fileMode("/nonexistent/x").has_value());
        QVERIFY(!platform::fileIsReadOnly("/nonexistent/x"));
        QVERIFY(!platform::setFileReadOnly("/nonexistent/x", true));
    }
};

PELLORIN_TEST_CLASS(TestFileAttr)
#include "test_fileattr.moc"
