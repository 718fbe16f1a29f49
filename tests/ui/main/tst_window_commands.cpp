#include "core/messages.h"
#include "ui/main/help_about.h"
#include "ui/ui_test_support.h"

#include <QAction>
#include <QFile>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

namespace {

QString msgText(std::string_view message) {
    return QString::fromUtf8(message.data(), static_cast<qsizetype>(message.size()));
}

void setField(const WindowUnderTest& w, const char* name, const QString& text) {
    w.edit(name)->setReadOnly(false);
    w.edit(name)->setText(text);
}

void click(const WindowUnderTest& w, const char* button) {
    QTest::mouseClick(w.get<QPushButton>(button), Qt::LeftButton);
}

struct BoxSeen {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString title;
    QString text;
    QList<QMessageBox::StandardButton> buttons;
    QStringList captions;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    bool seen = false;
};

// Looks at the modal box once it is up, then closes it with Escape.
void inspectNextBox(BoxSeen& seen) {
    QTimer::singleShot(50, qApp, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        seen.seen = true;
        seen.icon = box->icon();
        seen.title = box->windowTitle();
        seen.text = box->text();
        for (QAbstractButton* b : box->buttons())
            seen.buttons.append(box->standardButton(b));
        for (QAbstractButton* b : box->buttons())
            seen.captions.append(b->text().remove(QLatin1Char('&')));
        seen.captions.sort();
        if (box->defaultButton())
            seen.defaultButton = box->standardButton(box->defaultButton());
        QTest::keyClick(box, Qt::Key_Escape);
    });
}

} // namespace

class TestWindowCommands : public QObject {
    Q_OBJECT

private slots:
    void calculateStartExample();
    void calculateStops_data();
    void calculateStops();
    void successKeepsAttenuation();
    void attenuation_data();
    void attenuation();
    void attenuationMissingDistance_data();
    void attenuationMissingDistance();
    void helpAndAbout_data();
    void helpAndAbout();
    void informationBoxHasOkOnly();
    void questionBoxHasYesNoCancel();
    void repeatedKeyDoesNotAnswerBox();
    void reportGoesToWorkingFolder();
};

void TestWindowCommands::calculateStartExample() {
    WindowUnderTest w;
    w.label("LblSr")->clear();
    click(w, "Command1");
    QVERIFY(w.dialogs.shown.isEmpty());
    QCOMPARE(w.caption("LblPd"), QStringLiteral("94"));
    QCOMPARE(w.caption("LblD"), QStringLiteral("6"));
    QCOMPARE(w.caption("LblS"), QStringLiteral("8"));
    QCOMPARE(w.caption("LblKs"), QStringLiteral("5"));
    QCOMPARE(w.caption("LblSr"), QStringLiteral("36"));
    QCOMPARE(w.window->record().RoomArea.text(), std::string("36"));
}

void TestWindowCommands::calculateStops_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");
    QTest::newRow("empty power is asked for") << "TxtPv"
                                              << "" << msgText(pa::msg::PowerMissing) << "TxtPv";
    QTest::newRow("zero sensitivity is asked for")
        << "TxtPd"
        << "0" << msgText(pa::msg::SensitivityMissing) << "TxtPd";
    QTest::newRow("empty noise is asked for") << "TxtN"
                                              << "" << msgText(pa::msg::NoiseMissing) << "TxtN";
    QTest::newRow("empty ceiling height is asked for")
        << "TxtH"
        << "" << msgText(pa::msg::CeilingMissing) << "TxtH";
    QTest::newRow("lone point length is asked for")
        << "TxtL"
        << "." << msgText(pa::msg::LengthMissing) << "TxtL";
    QTest::newRow("zero width is asked for") << "TxtW"
                                             << "0.0" << msgText(pa::msg::WidthMissing) << "TxtW";
    QTest::newRow("noise 74 is too loud for the speaker")
        << "TxtN"
        << "74" << msgText(pa::msg::SpeakerTooWeak) << "Command1";
    QTest::newRow("ceiling at listening height is too low")
        << "TxtH"
        << "1.5" << msgText(pa::msg::CeilingTooLow) << "Command1";
}

void TestWindowCommands::calculateStops() {
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    WindowUnderTest w;
    setField(w, qPrintable(field), value);
    w.fillResults();
    w.get<QPushButton>("Command1")->setFocus();
    click(w, "Command1");
    QCOMPARE(w.dialogs.shown.size(), 1);
    QCOMPARE(w.dialogs.shown[0].title, pa::kProgramTitle);
    QCOMPARE(w.dialogs.shown[0].text, message);
    QCOMPARE(QApplication::focusWidget()->objectName(), focus);
    for (const char* name : kResultLabels)
        QVERIFY2(w.caption(name).isEmpty(), name);
}

void TestWindowCommands::successKeepsAttenuation() {
    WindowUnderTest w;
    click(w, "Command2");
    QCOMPARE(w.caption("LblZat"), QStringLiteral("20"));
    click(w, "Command1");
    QCOMPARE(w.caption("LblZat"), QStringLiteral("20"));
    QCOMPARE(w.caption("LblKs"), QStringLiteral("5"));

    // A wall loudspeaker typed by hand: its own branch of the calculation.
    w.pick("CmbD", 33);
    w.option("Opt2")->click();
    click(w, "Command1");
    QCOMPARE(w.caption("LblD"), QStringLiteral("5"));
    QCOMPARE(w.caption("LblS"), QStringLiteral("27"));
    QCOMPARE(w.caption("LblKs"), QStringLiteral("1"));
    w.option("Opt_1_2")->click();
    click(w, "Command1");
    QCOMPARE(w.caption("LblPd"), QStringLiteral("93"));
}

void TestWindowCommands::attenuation_data() {
    QTest::addColumn<QString>("distance");
    QTest::addColumn<QString>("shown");
    QTest::newRow("10 m is 20 dB") << "10"
                                   << "20";
    QTest::newRow("1 m is 0 dB") << "1"
                                 << "0";
    QTest::newRow("25 m is 27 dB") << "25"
                                   << "27";
    QTest::newRow("100 m is 40 dB") << "100"
                                    << "40";
    QTest::newRow("0.5 m is -7 dB") << "0.5"
                                    << "-7";
}

void TestWindowCommands::attenuation() {
    QFETCH(QString, distance);
    QFETCH(QString, shown);
    WindowUnderTest w;
    w.fillResults();
    setField(w, "TxtDln", distance);
    click(w, "Command2");
    QVERIFY(w.dialogs.shown.isEmpty());
    QCOMPARE(w.caption("LblZat"), shown);
    QCOMPARE(w.caption("LblPd"), QStringLiteral("x"));
}

void TestWindowCommands::attenuationMissingDistance_data() {
    QTest::addColumn<QString>("distance");
    QTest::newRow("empty distance is asked for") << "";
    QTest::newRow("zero distance is asked for") << "0";
    QTest::newRow("lone point distance is asked for") << ".";
}

void TestWindowCommands::attenuationMissingDistance() {
    QFETCH(QString, distance);
    WindowUnderTest w;
    w.fillResults();
    setField(w, "TxtDln", distance);
    w.get<QPushButton>("Command2")->setFocus();
    click(w, "Command2");
    QCOMPARE(w.dialogs.shown.size(), 1);
    QCOMPARE(w.dialogs.shown[0].text, msgText(pa::msg::DistanceMissing));
    QVERIFY(w.edit("TxtDln")->hasFocus());
    QVERIFY(w.caption("LblZat").isEmpty());
    QCOMPARE(w.caption("LblPd"), QStringLiteral("x"));
}

void TestWindowCommands::helpAndAbout_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("lines");
    QTest::newRow("help box text and title") << "Mspr"
                                             << "Краткая справка!" << 14;
    QTest::newRow("about box text and title") << "Mopr"
                                              << "О программе" << 6;
}

void TestWindowCommands::helpAndAbout() {
    QFETCH(QString, action);
    QFETCH(QString, title);
    QFETCH(int, lines);
    WindowUnderTest w;
    click(w, "Command1");
    const pa::CalculationRecord before = w.window->record();
    w.window->findChild<QAction*>(action)->trigger();
    QCOMPARE(w.dialogs.shown.size(), 1);
    const QString text = w.dialogs.shown[0].text;
    QCOMPARE(w.dialogs.shown[0].title, title);
    QCOMPARE(text.split(QStringLiteral("\r\n")).size(), lines);
    QCOMPARE(text.count(QLatin1Char('\n')), lines - 1);
    QCOMPARE(text.count(QLatin1Char('\r')), lines - 1);
    QVERIFY(!text.endsWith(QLatin1Char('\n')));
    QVERIFY(text.contains(QStringLiteral("ЛОРВИН")));
    pa::CalculationRecord expected = before;
    expected.MsgAnswer = 1.0;
    QVERIFY(w.window->record() == expected);
    QCOMPARE(w.caption("LblKs"), QStringLiteral("5"));
    if (lines == 14) {
        QCOMPARE(text.size(), 1033);
        QVERIFY(text.endsWith(QStringLiteral("НЕ НЕСЕТ!")));
        QVERIFY(text.contains(QStringLiteral("Рупорные  : Проекция")));
        QVERIFY(text.contains(QStringLiteral("\r\n а служат")));
    } else {
        QCOMPARE(text.split(QStringLiteral("\r\n"))[1],
                 QStringLiteral("По всем вопросам обращаться:"));
        for (const QString& line : text.split(QStringLiteral("\r\n")))
            QVERIFY(!line.isEmpty());
    }
}

void TestWindowCommands::informationBoxHasOkOnly() {
    pa::MessageBoxDialogs dialogs(nullptr);
    BoxSeen seen;
    inspectNextBox(seen);
    dialogs.information(pa::kHelpTitle, pa::helpText());
    QVERIFY(seen.seen);
    QCOMPARE(seen.icon, QMessageBox::NoIcon);
    QCOMPARE(seen.title, pa::kHelpTitle);
    QCOMPARE(seen.buttons, QList<QMessageBox::StandardButton>{QMessageBox::Ok});
    QCOMPARE(seen.text, pa::helpText());
    QCOMPARE(seen.captions, QStringList{QStringLiteral("ОК")});
}

void TestWindowCommands::questionBoxHasYesNoCancel() {
    pa::MessageBoxDialogs dialogs(nullptr);
    BoxSeen seen;
    inspectNextBox(seen);
    const pa::Dialogs::Answer answer = dialogs.question(QStringLiteral("ВНИМАНИЕ!"), "?");
    QVERIFY(seen.seen);
    QCOMPARE(seen.icon, QMessageBox::Question);
    QCOMPARE(seen.buttons.size(), 3);
    QVERIFY(seen.buttons.contains(QMessageBox::Yes));
    QVERIFY(seen.buttons.contains(QMessageBox::No));
    QVERIFY(seen.buttons.contains(QMessageBox::Cancel));
    QCOMPARE(seen.defaultButton, QMessageBox::Yes);
    QCOMPARE(seen.captions,
             (QStringList{QStringLiteral("Да"), QStringLiteral("Нет"), QStringLiteral("Отмена")}));
    QCOMPARE(answer, pa::Dialogs::Answer::Cancel);
}

void TestWindowCommands::repeatedKeyDoesNotAnswerBox() {
    pa::MessageBoxDialogs dialogs(nullptr);
    bool openAfterRepeats = false;
    QTimer::singleShot(50, qApp, [&openAfterRepeats] {
        QWidget* box = QApplication::activeModalWidget();
        const auto send = [box](QEvent::Type type, quint64 stamp, bool flaggedRepeat) {
            QKeyEvent key(type, Qt::Key_Return, Qt::NoModifier, QString(), flaggedRepeat);
            key.setTimestamp(stamp);
            QApplication::sendEvent(box->focusWidget(), &key);
        };
        // A held key: flagged as a repeat, or up and down again at one and the same moment.
        send(QEvent::KeyPress, 100, true);
        send(QEvent::KeyRelease, 200, false);
        send(QEvent::KeyPress, 200, false);
        openAfterRepeats = box->isVisible();
        send(QEvent::KeyPress, 300, false);
    });
    QCOMPARE(dialogs.question(QStringLiteral("ВНИМАНИЕ!"), "?"), pa::Dialogs::Answer::Yes);
    QVERIFY(openAfterRepeats);
}

void TestWindowCommands::reportGoesToWorkingFolder() {
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    WindowUnderTest w(folder.path());
    click(w, "Command1");
    w.window->findChild<QAction*>(QStringLiteral("Mppech"))->trigger();
    QVERIFY(QFile::exists(folder.filePath(QStringLiteral("Расчет.txt"))));
    QVERIFY(!w.dialogs.shown.isEmpty());
    QVERIFY(w.dialogs.shown.last().text.contains(QStringLiteral("Расчет.txt")));
}

QTEST_MAIN(TestWindowCommands)
#include "tst_window_commands.moc"
