// The about box: layout and what it fills in when shown (icon, version, years);
// the years line on its own.
#include <QtTest>

#include "app/viewer/verform_u.h"
#include "app/viewer/years_text.h"

using namespace morvi;

class TestAbout : public QObject {
    Q_OBJECT
private slots:
    void years_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<QString>("text");
        QTest::newRow("first year") << 2000 << "2000 ";
        QTest::newRow("later") << 2026 << "2000 - 2026";
        QTest::newRow("four digits") << 999 << "2000 - 0999";
        QTest::newRow("cut to 10 after 2000") << 1234567890 << "2000 - 12345678";
    }
    void years()
    {
        QFETCH(int, year);
        QFETCH(QString, text);
        QCOMPARE(YearsText(year), text);
    }

    void shown()
    {
        Tverform box(QStringLiteral("1.6"));
        box.SetYearSource([] { return 2026; });
        QCOMPARE(box.windowTitle(), QStringLiteral("モルビ ﾊﾞｰｼﾞｮﾝ情報"));
        QCOMPARE(box.size(), QSize(278, 165));
        QCOMPARE(box.minimumSize(), box.maximumSize());
        QCOMPARE(box.Image1->geometry(), QRect(16, 16, 37, 41));
        QCOMPARE(box.Button1->geometry(), QRect(16, 124, 37, 29));
        box.show();
        const struct {
            QLabel* label;
            QPoint place;
            int pixelSize;
            bool bold;
            const char* text;
        } labels[] = {{box.Label1, {68, 16}, 13, true, "モルビ"},
                      {box.Label2, {136, 17}, 12, true, "Ver 1.6"},
                      {box.Label4, {156, 40}, 12, false, "2000 - 2026"}};
        for (const auto& expected : labels) {
            QCOMPARE(expected.label->pos(), expected.place);
            QCOMPARE(expected.label->font().pixelSize(), expected.pixelSize);
            QCOMPARE(expected.label->font().bold(), expected.bold);
            QCOMPARE(expected.label->text(), QString::fromUtf8(expected.text));
            // The label grows with its text instead of cutting it.
            QVERIFY(expected.label->width() >= expected.label->fontMetrics().horizontalAdvance(expected.label->text()));
        }
        // The icon, square, in the middle of its taller box.
        const QImage icon = box.Image1->pixmap().toImage();
        QCOMPARE(icon.size(), QSize(37, 41));
        QCOMPARE(qAlpha(icon.pixel(18, 0)), 0);
        QVERIFY(qAlpha(icon.pixel(18, 20)) > 0);
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
