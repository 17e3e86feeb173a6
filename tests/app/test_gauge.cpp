#include "app/tgauge.h"

#include <QImage>

#include <gtest/gtest.h>

TEST(Gauge, RangeAndDrawing)
{
    TGauge g;
    QString error;
    ASSERT_TRUE(g.setMaxValue(0, &error));
    EXPECT_EQ(g.percentDone(), 0) << "an empty range is 0 %";
    ASSERT_TRUE(g.setMaxValue(400, &error));
    g.setProgress(399);
    EXPECT_EQ(g.percentDone(), 99);
    g.setProgress(400);
    EXPECT_EQ(g.percentDone(), 100);
    ASSERT_TRUE(g.setMaxValue(100));
    g.setProgress(-5);
    EXPECT_EQ(g.Progress(), 0);
    g.setProgress(150);
    EXPECT_EQ(g.Progress(), 100);
    g.setProgress(50);
    ASSERT_TRUE(g.setMaxValue(10));
    EXPECT_EQ(g.Progress(), 10) << "a lower maximum pulls the progress down";
    EXPECT_FALSE(g.setMaxValue(-3, &error));
    EXPECT_EQ(error, QStringLiteral("Value must be between 1 and 2147483647"));

    // Setting the progress for each of 400 rows repaints at most once per whole percent.
    TGauge rows;
    ASSERT_TRUE(rows.setMaxValue(400));
    for (int y = 0; y <= 400; ++y)
        rows.setProgress(y);
    EXPECT_LE(rows.repaints(), 101);

    // A bar 42 % full, framed. (The program shows no text on it and never sets a minimum.)
    TGauge bar;
    bar.resize(102, 22);
    bar.setForeColor(QColor(0, 0, 128));
    bar.setProgress(42);
    const QImage img = bar.render();
    EXPECT_EQ(img.pixelColor(0, 0), QColor(Qt::black)) << "the frame";
    EXPECT_EQ(img.pixelColor(2, 2), QColor(0, 0, 128)) << "filled part";
    EXPECT_EQ(img.pixelColor(95, 2), QColor(Qt::white)) << "unfilled part";
    EXPECT_EQ(img.pixelColor(42, 2), QColor(0, 0, 128)) << "42 of 100 pixels are filled";
    EXPECT_EQ(img.pixelColor(43, 2), QColor(Qt::white));
}
