// The window on a screen scaled by two: the same layout in logical pixels, drawn at twice the
// pixels, and no caption cut off.
#include "ui/layout_table.h"
#include "ui/ui_test_support.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>

#include <climits>

namespace {

QString nameOf(const pa::layout::Control& c) {
    return QString::fromUtf8(c.name.data(), static_cast<qsizetype>(c.name.size()));
}

QString captionOf(const QWidget* widget) {
    if (const auto* label = qobject_cast<const QLabel*>(widget))
        return label->text();
    if (const auto* box = qobject_cast<const QGroupBox*>(widget))
        return box->title();
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
        return button->text();
    return {};
}

// Room the control leaves for its caption on one line, in logical pixels.
int captionRoom(const QWidget* widget) {
    const QStyle* style = widget->style();
    if (qobject_cast<const QRadioButton*>(widget))
        return widget->width() - style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth) -
               style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing);
    if (qobject_cast<const QPushButton*>(widget))
        return widget->width() - 2 * style->pixelMetric(QStyle::PM_ButtonMargin);
    if (qobject_cast<const QGroupBox*>(widget))
        return widget->width() - 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth);
    return widget->width();
}

} // namespace

class TestScaledLayout : public QObject {
    Q_OBJECT

private slots:
    void drawnAtTwicePixels();
    void geometryInLogicalPixels_data();
    void geometryInLogicalPixels();
    void captionFits_data();
    void captionFits();
};

void TestScaledLayout::drawnAtTwicePixels() {
    WindowUnderTest w;
    QCOMPARE(w.window->devicePixelRatio(), 2.0);
    QCOMPARE(w.window->centralWidget()->size(), QSize(602, 543));
    const QPixmap shot = w.window->centralWidget()->grab();
    QCOMPARE(shot.size(), QSize(1204, 1086));
    // The emblem is drawn for the screen it is on, not blown up from a blurred small copy.
    const QPixmap emblem = w.label("Image1")->pixmap();
    QCOMPARE(emblem.devicePixelRatio(), 2.0);
    QCOMPARE(emblem.deviceIndependentSize(), QSizeF(100, 100));
}

void TestScaledLayout::geometryInLogicalPixels_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("unscaled");
    for (const pa::layout::Control& c : pa::layout::kControls) {
        const QString name = nameOf(c);
        QTest::newRow(qPrintable(name + QStringLiteral(" keeps its place at double scale")))
            << name
            << QRect(pa::layout::pixels(c.left), pa::layout::pixels(c.top),
                     pa::layout::pixels(c.width), pa::layout::pixels(c.height));
    }
}

void TestScaledLayout::geometryInLogicalPixels() {
    QFETCH(QString, name);
    QFETCH(QRect, unscaled);
    WindowUnderTest w;
    auto* widget = w.window->findChild<QWidget*>(name);
    QVERIFY(widget);
    QCOMPARE(widget->geometry(), unscaled);
    QVERIFY(widget->isVisible());
}

void TestScaledLayout::captionFits_data() {
    QTest::addColumn<QString>("name");
    for (const pa::layout::Control& c : pa::layout::kControls) {
        if (c.caption.empty())
            continue;
        const QString name = nameOf(c);
        QTest::newRow(qPrintable(name + QStringLiteral(" caption fits at double scale"))) << name;
    }
}

void TestScaledLayout::captionFits() {
    QFETCH(QString, name);
    WindowUnderTest w;
    auto* widget = w.window->findChild<QWidget*>(name);
    QVERIFY(widget);
    const QString caption = captionOf(widget).trimmed();
    QVERIFY(!caption.isEmpty());
    const QFontMetrics metrics = widget->fontMetrics();
    const int room = captionRoom(widget);
    const auto* label = qobject_cast<const QLabel*>(widget);
    if (label && label->wordWrap()) {
        // Lines may break between words, but no word may be cut and no line may be lost.
        const QRect wrapped =
            metrics.boundingRect(QRect(0, 0, room, INT_MAX), Qt::TextWordWrap, caption);
        QVERIFY2(wrapped.width() <= room,
                 qPrintable(QStringLiteral("%1 > %2").arg(wrapped.width()).arg(room)));
        QVERIFY2(wrapped.height() <= widget->height() + metrics.descent(),
                 qPrintable(QStringLiteral("%1 lines of %2 px in %3 px")
                                .arg(wrapped.height() / metrics.lineSpacing())
                                .arg(metrics.lineSpacing())
                                .arg(widget->height())));
    } else {
        const int advance = metrics.horizontalAdvance(caption);
        QVERIFY2(advance <= room, qPrintable(QStringLiteral("%1 > %2").arg(advance).arg(room)));
    }
}

int main(int argc, char* argv[]) {
    // Must be in place before the application reads the screens.
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    TestScaledLayout test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_scaled_layout.moc"
