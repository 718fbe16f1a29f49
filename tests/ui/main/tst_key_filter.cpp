#include "ui/ui_test_support.h"

#include <QClipboard>
#include <QMimeData>
#include <QTimer>

namespace {

constexpr int kAreaDelayMs = 500;

const char* const kFields[] = {"TxtPv", "TxtPd", "TxtN", "TxtH", "TxtL", "TxtW", "TxtDln"};

// Every field the user can type into; the table-filled ones start locked.
void unlockAll(const WindowUnderTest& w) {
    w.pick("CmbD", 33);
    w.pick("CmbOn", 14);
}

QTimer* areaTimer(const WindowUnderTest& w) {
    return w.get<QTimer>("Timer1");
}

bool coverageEmpty(const WindowUnderTest& w) {
    for (const char* name : kCoverageLabels)
        if (!w.caption(name).isEmpty())
            return false;
    return true;
}

bool nothingEmpty(const WindowUnderTest& w) {
    for (const char* name : kAllResultLabels)
        if (w.caption(name).isEmpty())
            return false;
    return true;
}

} // namespace

class TestKeyFilter : public QObject {
    Q_OBJECT

private slots:
    void typedCharacter_data();
    void typedCharacter();
    void distanceEmptiesOnlyAttenuation();
    void lockedFieldEmptiesNothing();
    void enterAndEscapeDoNothing_data();
    void enterAndEscapeDoNothing();
    void anyUserEditEmptiesResults_data();
    void anyUserEditEmptiesResults();
    void pasteNeedsEveryCharacterAllowed_data();
    void pasteNeedsEveryCharacterAllowed();
    void dropNeedsEveryCharacterAllowed();
    void areaTimerShowsProduct();
    void areaOfDecimalLength();
    void emptiedWidthGivesZeroArea();
    void codeSetTextsStartNoTimer();
};

void TestKeyFilter::typedCharacter_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("inPointFields");
    QTest::addColumn<bool>("inDigitFields");
    const int none = Qt::NoModifier;
    const int unknown = Qt::Key_unknown;
    // Accepted where the column says; everything else must be refused everywhere.
    QTest::newRow("digit accepted in every field") << "7" << unknown << none << "7" << true << true;
    QTest::newRow("point accepted only in decimal fields")
        << "." << unknown << none << "." << true << false;
    QTest::newRow("minus refused") << "-" << unknown << none << "" << false << false;
    QTest::newRow("latin letter refused") << "e" << unknown << none << "" << false << false;
    QTest::newRow("cyrillic letter refused") << "ж" << unknown << none << "" << false << false;
    QTest::newRow("space refused") << " " << unknown << none << "" << false << false;
    // A decimal comma types the point, and only where a point may be typed.
    QTest::newRow("russian comma, shifted, types a point")
        << "," << int(Qt::Key_Comma) << int(Qt::ShiftModifier) << "." << true << false;
    QTest::newRow("russian keypad decimal key types a point")
        << "," << int(Qt::Key_Comma) << int(Qt::KeypadModifier) << "." << true << false;
}

void TestKeyFilter::typedCharacter() {
    QFETCH(QString, typed);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, shown);
    QFETCH(bool, inPointFields);
    QFETCH(bool, inDigitFields);
    WindowUnderTest w;
    unlockAll(w);
    for (const char* name : kFields) {
        QLineEdit* edit = w.edit(name);
        const bool allowsPoint = QByteArray(name) != "TxtPd" && QByteArray(name) != "TxtN";
        const bool accepted = allowsPoint ? inPointFields : inDigitFields;
        edit->setFocus();
        edit->end(false);
        const QString before = edit->text();
        w.fillResults();
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key(key), typed,
                            Qt::KeyboardModifiers(modifiers));
        QCOMPARE(edit->text(), accepted ? before + shown : before);
        QVERIFY2(edit->hasFocus(), name);
        const bool coverageField = QByteArray(name) != "TxtDln";
        if (!accepted)
            QVERIFY2(nothingEmpty(w), name);
        else if (coverageField)
            QVERIFY2(coverageEmpty(w) && !w.caption("LblZat").isEmpty(), name);
        else
            QVERIFY2(w.caption("LblZat").isEmpty() && !coverageEmpty(w), name);
        QCOMPARE(w.caption("LblSr"), QStringLiteral("x"));
        // What was typed is one step of the field's undo, as any typed character.
        QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(edit->text(), before);
    }
}

void TestKeyFilter::distanceEmptiesOnlyAttenuation() {
    WindowUnderTest w;
    w.fillResults();
    QTest::keyClicks(w.edit("TxtDln"), "5");
    QVERIFY(w.caption("LblZat").isEmpty());
    QCOMPARE(w.caption("LblPd"), QStringLiteral("x"));
    QVERIFY(!areaTimer(w)->isActive());
}

void TestKeyFilter::lockedFieldEmptiesNothing() {
    WindowUnderTest w;
    w.fillResults();
    for (const char* name : {"TxtPv", "TxtPd", "TxtN"}) {
        w.edit(name)->setFocus();
        QTest::keyClicks(w.edit(name), "5");
        QTest::keyClick(w.edit(name), Qt::Key_Backspace);
    }
    QCOMPARE(w.edit("TxtPv")->text(), QStringLiteral("3"));
    QVERIFY(nothingEmpty(w));
}

void TestKeyFilter::enterAndEscapeDoNothing_data() {
    QTest::addColumn<int>("key");
    QTest::newRow("Return does nothing") << int(Qt::Key_Return);
    QTest::newRow("keypad Enter does nothing") << int(Qt::Key_Enter);
    QTest::newRow("Escape does nothing") << int(Qt::Key_Escape);
}

void TestKeyFilter::enterAndEscapeDoNothing() {
    QFETCH(int, key);
    WindowUnderTest w;
    unlockAll(w);
    for (const char* name : kFields) {
        QLineEdit* edit = w.edit(name);
        edit->setFocus();
        const QString before = edit->text();
        w.fillResults();
        QTest::keyClick(edit, Qt::Key(key));
        QCOMPARE(edit->text(), before);
        QVERIFY2(edit->hasFocus(), name);
        QVERIFY2(nothingEmpty(w), name);
    }
    QVERIFY(w.dialogs.shown.isEmpty());
}

void TestKeyFilter::anyUserEditEmptiesResults_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("after");
    QTest::addColumn<bool>("startsTimer");
    QTest::newRow("backspace in height empties coverage")
        << "TxtH" << int(Qt::Key_Backspace) << int(Qt::NoModifier) << "" << false;
    QTest::newRow("backspace in width empties coverage and starts area timer")
        << "TxtW" << int(Qt::Key_Backspace) << int(Qt::NoModifier) << "" << true;
    QTest::newRow("delete in length empties coverage and starts area timer")
        << "TxtL" << int(Qt::Key_Delete) << int(Qt::NoModifier) << "" << true;
    QTest::newRow("cut in height empties coverage")
        << "TxtH" << int(Qt::Key_X) << int(Qt::ControlModifier) << "" << false;
}

void TestKeyFilter::anyUserEditEmptiesResults() {
    QFETCH(QString, field);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, after);
    QFETCH(bool, startsTimer);
    WindowUnderTest w;
    QLineEdit* edit = w.edit(qPrintable(field));
    edit->setFocus();
    if (key == Qt::Key_Delete)
        edit->home(false);
    else if (key == Qt::Key_X)
        edit->selectAll();
    else
        edit->end(false);
    w.fillResults();
    QTest::keyClick(edit, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(edit->text(), after);
    QVERIFY(coverageEmpty(w));
    QCOMPARE(w.caption("LblZat"), QStringLiteral("x"));
    QCOMPARE(areaTimer(w)->isActive(), startsTimer);

    // Undo is a change of the text as well.
    w.fillResults();
    QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(!edit->text().isEmpty());
    QVERIFY(coverageEmpty(w));
}

void TestKeyFilter::pasteNeedsEveryCharacterAllowed_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("clip");
    QTest::addColumn<bool>("inserted");
    QTest::newRow("digits pasted into width") << "TxtW"
                                              << "125" << true;
    QTest::newRow("decimal pasted into length") << "TxtL"
                                                << "2.5" << true;
    QTest::newRow("letter kept out of width") << "TxtW"
                                              << "12a" << false;
    QTest::newRow("negative kept out of height") << "TxtH"
                                                 << "-3" << false;
    QTest::newRow("decimal comma kept out of distance") << "TxtDln"
                                                        << "2,5" << false;
    QTest::newRow("point kept out of noise") << "TxtN"
                                             << "7.5" << false;
    QTest::newRow("blank kept out of sensitivity") << "TxtPd"
                                                   << "9 0" << false;
}

void TestKeyFilter::pasteNeedsEveryCharacterAllowed() {
    QFETCH(QString, field);
    QFETCH(QString, clip);
    QFETCH(bool, inserted);
    WindowUnderTest w;
    unlockAll(w);
    QLineEdit* edit = w.edit(qPrintable(field));
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
    const QString before = edit->text();
    QCOMPARE(QApplication::clipboard()->text(), before);
    edit->end(false);
    QApplication::clipboard()->setText(clip);
    w.fillResults();
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(edit->text(), inserted ? before + clip : before);
    QCOMPARE(coverageEmpty(w), inserted);
}

void TestKeyFilter::dropNeedsEveryCharacterAllowed() {
    WindowUnderTest w;
    QLineEdit* edit = w.edit("TxtL");
    auto drop = [edit](const QString& text) {
        QMimeData data;
        data.setText(text);
        const QPointF at(edit->width() - 3, edit->height() / 2);
        QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(edit, &enter);
        QDragMoveEvent move(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(edit, &move);
        QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(edit, &dropped);
    };
    drop(QStringLiteral("1x"));
    QCOMPARE(edit->text(), QStringLiteral("6"));
    drop(QStringLiteral("12"));
    QCOMPARE(edit->text(), QStringLiteral("612"));
}

void TestKeyFilter::areaTimerShowsProduct() {
    WindowUnderTest w;
    QLineEdit* length = w.edit("TxtL");
    length->setFocus();
    length->end(false);
    QTest::keyClicks(length, "1");
    QVERIFY(areaTimer(w)->isActive());
    QCOMPARE(w.caption("LblSr"), QStringLiteral("36"));
    QTRY_COMPARE_WITH_TIMEOUT(w.caption("LblSr"), QStringLiteral("366"), 3 * kAreaDelayMs);
    QVERIFY(!areaTimer(w)->isActive());
}

void TestKeyFilter::areaOfDecimalLength() {
    WindowUnderTest w;
    QLineEdit* length = w.edit("TxtL");
    length->setFocus();
    length->selectAll();
    QTest::keyClick(length, Qt::Key_Backspace);
    QTest::keyClicks(length, "7.5");
    QLineEdit* width = w.edit("TxtW");
    width->setFocus();
    width->selectAll();
    QTest::keyClicks(width, "4");
    QTRY_COMPARE_WITH_TIMEOUT(w.caption("LblSr"), QStringLiteral("30"), 3 * kAreaDelayMs);

    width->selectAll();
    QTest::keyClicks(width, "1.2.3");
    length->selectAll();
    QTest::keyClicks(length, "5");
    QTRY_COMPARE_WITH_TIMEOUT(w.caption("LblSr"), QStringLiteral("6"), 3 * kAreaDelayMs);
}

void TestKeyFilter::emptiedWidthGivesZeroArea() {
    WindowUnderTest w;
    QLineEdit* width = w.edit("TxtW");
    width->setFocus();
    width->end(false);
    QTest::keyClick(width, Qt::Key_Backspace);
    QVERIFY(width->text().isEmpty());
    QTest::keyClicks(w.edit("TxtL"), "2");
    QTRY_COMPARE_WITH_TIMEOUT(w.caption("LblSr"), QStringLiteral("0"), 3 * kAreaDelayMs);
}

void TestKeyFilter::codeSetTextsStartNoTimer() {
    WindowUnderTest w;
    QVERIFY(!areaTimer(w)->isActive());
    w.pick("CmbOn", 3);
    QVERIFY(!areaTimer(w)->isActive());
    QTest::qWait(kAreaDelayMs + 100);
    QCOMPARE(w.caption("LblSr"), QStringLiteral("36"));
}

QTEST_MAIN(TestKeyFilter)
#include "tst_key_filter.moc"
