// What a new user met: a dark desktop, Enter on a button, a number too wide for its label, a
// typed parameter that was never used, and a start state that has to agree with its sources.
#include "core/numbers.h"
#include "core/parameters.h"
#include "data/catalogue.h"
#include "data/presets.h"
#include "ui/layout_table.h"
#include "ui/ui_test_support.h"

#include <QGroupBox>
#include <QImage>
#include <QPushButton>

#include <algorithm>

namespace {

QString q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

double luminance(QColor c) {
    auto channel = [](double v) {
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

double contrast(QColor a, QColor b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// Darkest and lightest luminance painted inside a rectangle of a widget's grab.
std::pair<double, double> luminanceRange(QWidget* widget, QRect area) {
    const QImage image = widget->grab(area).toImage();
    double darkest = 1, lightest = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const double l = luminance(image.pixelColor(x, y));
            darkest = std::min(darkest, l);
            lightest = std::max(lightest, l);
        }
    return {darkest, lightest};
}

// The desktop's palette turned dark for as long as it lives.
struct DarkDesktop {
    DarkDesktop() { QApplication::setPalette(darkPalette()); }
    ~DarkDesktop() { QApplication::setPalette(saved); }
    DarkDesktop(const DarkDesktop&) = delete;
    DarkDesktop& operator=(const DarkDesktop&) = delete;
    static QPalette darkPalette();
    QPalette saved = QApplication::palette();
};

QPalette DarkDesktop::darkPalette() {
    QPalette dark(QColor(220, 220, 220), QColor(40, 40, 40));
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    dark.setColor(QPalette::Text, QColor(230, 230, 230));
    dark.setColor(QPalette::ButtonText, QColor(240, 240, 240));
    dark.setColor(QPalette::WindowText, QColor(235, 235, 235));
    dark.setColor(QPalette::Highlight, QColor(60, 60, 90));
    return dark;
}

} // namespace

class TestWindowFaults : public QObject {
    Q_OBJECT

private slots:
    void readableOnDarkDesktop();
    void captionsPaintedDarkOnDarkDesktop_data();
    void captionsPaintedDarkOnDarkDesktop();
    void enterPressesFocusedButton_data();
    void enterPressesFocusedButton();
    void wideNumberIsCutVisibly_data();
    void wideNumberIsCutVisibly();
    void parameterListsRefuseTyping_data();
    void parameterListsRefuseTyping();
    void startStateAgreesWithItsSources();
};

// Every text of the window against what it is drawn on, with the desktop's palette dark.
void TestWindowFaults::readableOnDarkDesktop() {
    const DarkDesktop dark;
    WindowUnderTest w;
    for (const pa::layout::Control& c : pa::layout::kControls) {
        QWidget* widget = w.get<QWidget>(c.name.data());
        const QPalette p = widget->palette();
        QPalette::ColorRole fore = QPalette::WindowText, back = QPalette::Window;
        if (qobject_cast<QLineEdit*>(widget) || qobject_cast<QComboBox*>(widget)) {
            fore = QPalette::Text;
            back = QPalette::Base;
        } else if (qobject_cast<QPushButton*>(widget)) {
            fore = QPalette::ButtonText;
            back = QPalette::Button;
        }
        const QPalette parent = widget->parentWidget()->palette();
        const QColor behind = back == QPalette::Window ? parent.color(back) : p.color(back);
        // 3:1 is what the layout's own highlight-blue captions reach on the light face; the
        // dark desktop left captions at about 1.5:1.
        QVERIFY2(contrast(p.color(fore), behind) >= 3.0, c.name.data());
    }
}

void TestWindowFaults::captionsPaintedDarkOnDarkDesktop_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("button caption is dark on its light face") << "Command1";
    QTest::newRow("locked power field text is dark on light") << "TxtPv";
    QTest::newRow("dark blue label is dark on light") << "Label10";
    QTest::newRow("dark green frame title is dark on light") << "Frame1";
}

// What the screen shows: a dark caption on a light face, not light on light.
void TestWindowFaults::captionsPaintedDarkOnDarkDesktop() {
    QFETCH(QString, name);
    const DarkDesktop dark;
    WindowUnderTest w;
    QWidget* widget = w.get<QWidget>(name.toLatin1().constData());
    const QRect area = qobject_cast<QGroupBox*>(widget) ? QRect(0, 0, widget->width(), 22)
                                                        : widget->rect().adjusted(3, 3, -3, -3);
    const auto [darkest, lightest] = luminanceRange(widget, area);
    QVERIFY2(lightest > 0.6, qPrintable(QString::number(lightest)));
    QVERIFY2(darkest < 0.1, qPrintable(QString::number(darkest)));
}

void TestWindowFaults::enterPressesFocusedButton_data() {
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("shown");
    QTest::newRow("Return on РАСЧИТАТЬ calculates") << "Command1" << int(Qt::Key_Return) << "LblKs"
                                                    << "5";
    QTest::newRow("keypad Enter on РАСЧИТАТЬ calculates")
        << "Command1" << int(Qt::Key_Enter) << "LblKs"
        << "5";
    QTest::newRow("Return on ПОКАЗАТЬ shows attenuation")
        << "Command2" << int(Qt::Key_Return) << "LblZat"
        << "20";
    QTest::newRow("Return in a field presses nothing") << "TxtL" << int(Qt::Key_Return) << "LblKs"
                                                       << "";
}

void TestWindowFaults::enterPressesFocusedButton() {
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(QString, result);
    QFETCH(QString, shown);
    WindowUnderTest w;
    QWidget* target = w.get<QWidget>(focus.toLatin1().constData());
    target->setFocus();
    QTest::keyClick(target, Qt::Key(key));
    QCOMPARE(w.caption(result.toLatin1().constData()), shown);
    QVERIFY(w.dialogs.shown.isEmpty());
}

void TestWindowFaults::wideNumberIsCutVisibly_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("cut");
    QTest::addColumn<QString>("tip");
    QTest::newRow("a range of 4.5e19 m is cut, whole in the tooltip")
        << "LblD"
        << "44668359215096300000" << true << "44668359215096300000";
    QTest::newRow("an area too wide keeps its own tooltip ahead of the number")
        << "LblSr"
        << "123456789012345" << true << "Площадь помещения: 123456789012345";
    QTest::newRow("a number that fits is not cut") << "LblD"
                                                   << "6" << false << "";
    QTest::newRow("an area that fits keeps its own tooltip alone")
        << "LblSr"
        << "36" << false << "Площадь помещения";
}

void TestWindowFaults::wideNumberIsCutVisibly() {
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(bool, cut);
    QFETCH(QString, tip);
    WindowUnderTest w;
    auto* label = w.get<pa::ResultLabel>(name.toLatin1().constData());
    label->setText(text);
    QCOMPARE(label->text(), text);
    QCOMPARE(label->isCut(), cut);
    QCOMPARE(label->toolTip(), tip);
    QCOMPARE(label->accessibleDescription(), cut ? text : QString());
}

void TestWindowFaults::parameterListsRefuseTyping_data() {
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("start");
    QTest::addColumn<bool>("typed");
    QTest::newRow("directivity keeps its value") << "CmbDn"
                                                 << "90" << false;
    QTest::newRow("overlap level keeps its value") << "CmbUPS"
                                                   << "10" << false;
    QTest::newRow("listening height keeps its value") << "CmbVP"
                                                      << "150" << false;
    QTest::newRow("model list still takes a typed name") << "CmbD"
                                                         << "TD-13" << true;
}

void TestWindowFaults::parameterListsRefuseTyping() {
    QFETCH(QString, list);
    QFETCH(QString, start);
    QFETCH(bool, typed);
    WindowUnderTest w;
    const pa::CalculationRecord before = w.window->record();
    pa::PickComboBox* box = w.combo(list.toLatin1().constData());
    box->setFocus();
    QTest::keyClick(box, Qt::Key_End);
    QTest::keyClicks(box, QStringLiteral("45"));
    QCOMPARE(box->currentText(), typed ? start + QStringLiteral("45") : start);
    QCOMPARE(w.window->record(), before);
}

// The window opens on the start model in the start room: its fields, type, area and record all
// come from the catalogue, the presets and the type defaults.
void TestWindowFaults::startStateAgreesWithItsSources() {
    WindowUnderTest w;
    const std::string model = w.combo("CmbD")->currentText().toStdString();
    const auto entry = std::find_if(pa::kCatalogue.begin(), pa::kCatalogue.end(),
                                    [&](const pa::CatalogueEntry& e) { return e.code == model; });
    QVERIFY(entry != pa::kCatalogue.end());
    QCOMPARE(w.edit("TxtPv")->text(), QString::number(*pa::ModelPower(model)));
    QCOMPARE(w.edit("TxtPd")->text(), QString::number(*pa::ModelSpl(model)));
    const std::string room = w.combo("CmbOn")->currentText().toStdString();
    const auto preset = std::find_if(pa::kRoomPresets.begin(), pa::kRoomPresets.end(),
                                     [&](const pa::RoomPreset& r) { return r.name == room; });
    QVERIFY(preset != pa::kRoomPresets.end());
    QCOMPARE(w.edit("TxtN")->text(), QString::number(preset->noiseDb));
    const double area = w.edit("TxtL")->text().toDouble() * w.edit("TxtW")->text().toDouble();
    QCOMPARE(w.caption("LblSr"), QString::number(area));

    const char* own = entry->type == pa::SpeakerType::Ceiling ? "Opt1"
                      : entry->type == pa::SpeakerType::Wall  ? "Opt2"
                                                              : "Opt3";
    QVERIFY(w.option(own)->isChecked());
    const pa::TypeDefaults defaults = pa::typeDefaults(entry->type);
    QCOMPARE(w.caption("Label3"), q(defaults.heightCaption));
    QCOMPARE(w.combo("CmbDn")->currentText(), q(defaults.angleText));

    const pa::CalculationRecord& r = w.window->record();
    QCOMPARE(r.DirCoef.number(), pa::dirCoefFromAngle(defaults.angleText));
    QCOMPARE(r.OverlapLevel.number(),
             pa::leadingNumber(w.combo("CmbUPS")->currentText().toStdString()));
    QCOMPARE(r.ListenHeight.number(),
             pa::leadingNumber(w.combo("CmbVP")->currentText().toStdString()));
}

QTEST_MAIN(TestWindowFaults)
#include "tst_window_faults.moc"
