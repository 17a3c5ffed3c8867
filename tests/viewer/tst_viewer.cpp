// The text viewer: layout, the search sequence, the jumps to either end,
// placement over the main window, closing, and the road from a file to the window.
#include <QPointer>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "app/viewer/dialog_layout.h"
#include "app/viewer/disptext_u.h"
#include "tests/app/scripted_interaction.h"

using namespace morvi;

static QStringList NumberedLines(int count, const QMap<int, QString>& special = {})
{
    QStringList lines;
    for (int i = 0; i < count; ++i) lines << special.value(i, QStringLiteral("line %1").arg(i));
    return lines;
}

class TestViewer : public QObject {
    Q_OBJECT
private slots:
    void layout()
    {
        test::ScriptedInteraction ui;
        Tdisptext viewer(ui);
        viewer.SetLines(NumberedLines(3));
        viewer.show();
        QCOMPARE(viewer.windowTitle(), QStringLiteral("テキスト表示 ( クエロ )"));
        QCOMPARE(viewer.size(), QSize(572, 435));
        QCOMPARE(viewer.minimumSize(), viewer.maximumSize());
        const struct {
            QWidget* control;
            QRect place;
            const char* caption;
        } controls[] = {{viewer.ListBox1, {20, 32, 529, 361}, ""},    {viewer.Edit1, {20, 400, 233, 20}, ""},
                        {viewer.Button2, {252, 400, 79, 21}, "検索"}, {viewer.Button3, {336, 400, 67, 21}, "先頭へ"},
                        {viewer.Button4, {404, 400, 67, 21}, "最後へ"}, {viewer.Button1, {476, 400, 77, 21}, "OK"}};
        for (const auto& expected : controls) {
            QCOMPARE(expected.control->geometry(), expected.place);
            if (auto* button = qobject_cast<QPushButton*>(expected.control)) {
                QCOMPARE(button->text(), QString::fromUtf8(expected.caption));
            }
        }
        QCOMPARE(viewer.Label1->pos(), QPoint(24, 16));
        const QRect row = viewer.ListBox1->visualItemRect(viewer.ListBox1->item(1));
        QCOMPARE(row.top(), 12);
        QCOMPARE(row.height(), 12);
        // Fixed pitch, so that the columns of the manual line up.
        const QFontMetrics metrics(viewer.ListBox1->font());
        QCOMPARE(metrics.horizontalAdvance(QStringLiteral("iiii")), metrics.horizontalAdvance(QStringLiteral("WWWW")));
    }

    void search_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("clickedLine");   // selected by the user first, -1 none
        QTest::addColumn<QList<int>>("found");  // per click: the line, or -1 for the end box
        QTest::newRow("hits on 3 and 7, then from the top") << "needle" << -1 << QList<int>{3, 7, -1, 3};
        QTest::newRow("case sensitive") << "NEEDLE" << -1 << QList<int>{-1, -1};
        QTest::newRow("full and half width differ") << "ｶﾅ" << -1 << QList<int>{-1};
        QTest::newRow("empty text ends at once") << "" << -1 << QList<int>{-1, -1};
        QTest::newRow("a clicked line moves the start") << "needle" << 4 << QList<int>{7, -1, 3};
        QTest::newRow("the clicked line itself is passed") << "eed" << 3 << QList<int>{7};
    }
    void search()
    {
        QFETCH(QString, text);
        QFETCH(int, clickedLine);
        QFETCH(QList<int>, found);
        test::ScriptedInteraction ui;
        Tdisptext viewer(ui);
        viewer.SetLines(NumberedLines(10, {{3, "a needle"}, {5, "カナ"}, {7, "needle b"}}));
        viewer.show();
        viewer.Edit1->setText(text);
        if (clickedLine >= 0) {
            const QRect row = viewer.ListBox1->visualItemRect(viewer.ListBox1->item(clickedLine));
            QTest::mouseClick(viewer.ListBox1->viewport(), Qt::LeftButton, {}, row.center());
        }
        size_t boxes = 0;
        for (int expected : found) {
            viewer.Button2->click();
            QCOMPARE(viewer.SelectedLine(), expected);
            QCOMPARE(viewer.Button2->text(), expected >= 0 ? QStringLiteral("次を検索") : QStringLiteral("検索"));
            if (expected < 0) ++boxes;
            QCOMPARE(ui.boxes.size(), boxes);
        }
        for (const test::ShownBox& box : ui.boxes) {
            QCOMPARE(box.caption, QStringLiteral("検索終了"));
            QCOMPARE(box.text, QStringLiteral("検索を終了しました。"));
            QCOMPARE(box.icon, BoxIcon::None);
        }
    }

    void topAndEnd()
    {
        test::ScriptedInteraction ui;
        Tdisptext viewer(ui);
        viewer.SetLines(NumberedLines(500));
        viewer.show();
        QScrollBar* bar = viewer.ListBox1->verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        viewer.Button4->click();
        QCOMPARE(bar->value(), bar->maximum());
        QCOMPARE(viewer.SelectedLine(), -1);
        viewer.Button3->click();
        QCOMPARE(bar->value(), 0);
        QCOMPARE(viewer.SelectedLine(), -1);
        viewer.SetLines({});   // no line to go to
        viewer.Button4->click();
        viewer.Button3->click();
    }

    void placement_data()
    {
        QTest::addColumn<QRect>("mainOuter");
        QTest::addColumn<QPoint>("topLeft");
        QTest::newRow("centred") << QRect(10, 20, 600, 500) << QPoint(10 + 14, 20 + 32);
        QTest::newRow("odd differences truncated") << QRect(0, 0, 575, 439) << QPoint(1, 1);
        QTest::newRow("negative one toward zero") << QRect(100, 100, 425, 518) << QPoint(27, 141);
        QTest::newRow("kept off the left edge") << QRect(0, 0, 425, 518) << QPoint(0, 41);
        QTest::newRow("kept off the bottom edge") << QRect(0, 500, 425, 100) << QPoint(0, 600 - 436);
    }
    void placement()
    {
        QFETCH(QRect, mainOuter);
        QFETCH(QPoint, topLeft);
        const QSize own(572, 436);   // a 1-pixel title bar in this table
        const QRect screen(0, 0, 800, 600);
        QCOMPARE(KeepOnScreen(CentredTopLeft(mainOuter, own), own, screen), topLeft);
        // The pointer goes to the middle of OK, below the title bar.
        QCOMPARE(PointOnButton(topLeft, QPoint(0, 20), QRect(476, 400, 77, 21)),
                 topLeft + QPoint(476 + 38, 400 + 10 + 20));
    }

    void shownOverMainWindow()
    {
        QWidget main;
        main.setGeometry(100, 50, 417, 499);
        main.show();
        test::ScriptedInteraction ui;
        Tdisptext viewer(ui, &main);
        viewer.Edit1->setText(QStringLiteral("left over"));
        viewer.show();
        // Before it is mapped the viewer's frame is taken to be the main window's.
        const QMargins frame = FrameMargins(&main);
        const QPoint topLeft =
            CentredTopLeft(main.frameGeometry(), QSize(572, 435).grownBy(frame));
        QCOMPARE(viewer.frameGeometry().topLeft(), topLeft);
        QCOMPARE(viewer.PointerTarget(), topLeft + QPoint(frame.left() + 476 + 38, frame.top() + 400 + 10));
        QVERIFY(viewer.Edit1->text().isEmpty());
        QCOMPARE(viewer.focusWidget(), viewer.Edit1);
    }

    // Shared by both windows through their common base.
    void closingIsOk()
    {
        test::ScriptedInteraction ui;
        for (int way = 0; way < 3; ++way) {
            Tdisptext viewer(ui);
            viewer.show();
            viewer.setResult(QDialog::Rejected);
            if (way == 0) viewer.close();
            if (way == 1) QTest::keyClick(&viewer, Qt::Key_Escape);
            if (way == 2) viewer.Button1->click();
            QVERIFY(!viewer.isVisible());
            QCOMPARE(viewer.result(), int(QDialog::Accepted));
        }
    }

    void fromFile_data()
    {
        QTest::addColumn<QString>("name");          // in a fresh folder; "" is the folder itself
        QTest::addColumn<QByteArray>("content");    // written when not empty
        QTest::addColumn<QStringList>("lines");     // "%1" stands for the path
        QTest::newRow("present") << "Morvi.HIS" << QByteArray("Ver 1.6\r\n\x83\x82\x83\x8B\x83\x72\r\n")
                                 << QStringList{"Ver 1.6", "モルビ"};
        QTest::newRow("missing") << "Morvi.txt" << QByteArray() << QStringList{"%1 が見つかりませんでした。"};
        QTest::newRow("a folder") << "" << QByteArray() << QStringList{"%1 が見つかりませんでした。"};
    }
    void fromFile()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QStringList, lines);
        QTemporaryDir dir;
        const QString path = name.isEmpty() ? dir.path() : dir.filePath(name);
        if (!content.isEmpty()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        }
        test::ScriptedInteraction ui;
        QPointer<Tdisptext> shown;
        QStringList listed;
        QTimer::singleShot(0, [&] {
            shown = qobject_cast<Tdisptext*>(QApplication::activeModalWidget());
            if (!shown) return;
            for (int i = 0; i < shown->ListBox1->count(); ++i) listed << shown->ListBox1->item(i)->text();
            shown->Button1->click();
        });
        ShowTextViewer(nullptr, QStringLiteral("モルビ  ヒストリーの表示"), path, ui);
        QCOMPARE(listed, lines.replaceInStrings(QStringLiteral("%1"), path));
        QVERIFY(shown.isNull());   // released after closing
        QVERIFY(ui.errors.isEmpty());
    }

    void readErrorShowsNoViewer()
    {
        test::ScriptedInteraction ui;
        bool modalSeen = false;
        QTimer::singleShot(0, [&] { modalSeen = QApplication::activeModalWidget() != nullptr; });
        ShowTextViewer(nullptr, QStringLiteral("t"), QStringLiteral("/proc/self/mem"), ui);
        QCoreApplication::processEvents();
        QVERIFY(!modalSeen);
        QCOMPARE(ui.errors.size(), 1);
        QVERIFY(ui.errors.first().contains(QStringLiteral("/proc/self/mem")));
    }
};

QTEST_MAIN(TestViewer)
#include "tst_viewer.moc"
