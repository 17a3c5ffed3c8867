// Reading the viewer's text files: line ends, the end mark, code page 932, and
// the errors of files that cannot be read.
#include <QtTest>

#include "app/viewer/text_file.h"
#include "gfx/exceptions.h"

using namespace morvi;

static QStringList Lines(TextLineSplitter& splitter)
{
    QStringList list;
    for (const std::string& line : splitter.Finish()) list << QString::fromLatin1(line);
    return list;
}

class TestTextFile : public QObject {
    Q_OBJECT
private slots:
    void lines_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("empty") << QByteArray() << QStringList();
        QTest::newRow("cr lf") << QByteArray("ab\r\ncd\r\n") << QStringList{"ab", "cd"};
        QTest::newRow("cr alone") << QByteArray("ab\rcd") << QStringList{"ab", "cd"};
        QTest::newRow("lf alone") << QByteArray("ab\ncd\n") << QStringList{"ab", "cd"};
        QTest::newRow("only one lf skipped") << QByteArray("a\r\r\nb\r\n\nc") << QStringList{"a", "", "b", "", "c"};
        QTest::newRow("empty last line") << QByteArray("a\r\n\r\n") << QStringList{"a", ""};
        QTest::newRow("end mark in a line") << QByteArray("ab\r\ncd\x1A" "ef\r\ngh") << QStringList{"ab", "cd"};
        QTest::newRow("end mark at line start") << QByteArray("ab\r\n\x1A\r\nzz") << QStringList{"ab"};
        QTest::newRow("end mark first") << QByteArray("\x1A" "ab") << QStringList();
    }
    void lines()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        const std::string_view all(bytes.constData(), static_cast<size_t>(bytes.size()));
        // Whole, and in two pieces cut everywhere (a CR ending the first piece too).
        for (size_t cut = 0; cut < std::max<size_t>(all.size(), 1); ++cut) {
            TextLineSplitter splitter;
            if (splitter.Feed(all.substr(0, cut))) splitter.Feed(all.substr(cut));
            QCOMPARE(Lines(splitter), lines);
        }
    }

    void decode_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("wave dash of cp932") << QByteArray("\x81\x60") << QStringLiteral("～");
        QTest::newRow("half-width katakana") << QByteArray("\xB6\xC5\xDE") << QStringLiteral("ｶﾅﾞ");
        QTest::newRow("trail byte 5C") << QByteArray("\x83\x5C\x5C") << QStringLiteral("ソ\\");
        QTest::newRow("lead byte cut off") << QByteArray("a\x82") << QStringLiteral("a\uFFFD");
    }
    void decode()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(DecodeShiftJisLine(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size()))), text);
    }

    void unreadable_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << "/nonexistent/Morvi.txt" << "No such file";
        QTest::newRow("folder") << "/tmp" << "Is a directory";
        QTest::newRow("read fails") << "/proc/self/mem" << "Input/output error";
    }
    void unreadable()
    {
        QFETCH(QString, path);
        QFETCH(QString, reason);
        try {
            ReadShiftJisLines(path);
            QFAIL("no error");
        } catch (const gfx::EInOutError& error) {
            const QString message = QString::fromStdString(error.Message());
            QVERIFY2(message.contains(path) && message.contains(reason), qPrintable(message));
        }
    }
};

QTEST_GUILESS_MAIN(TestTextFile)
#include "tst_text_file.moc"
