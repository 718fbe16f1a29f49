#include "ui/ui_test_support.h"

#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QMenuBar>
#include <QPushButton>
#include <QRawFont>
#include <QTimer>

using pa::PickComboBox;

namespace {

constexpr QPalette::ColorRole kFieldBackground = QPalette::Base;

QString pathOf(const QWidget* widget, const QWidget* client) {
    return widget->parentWidget() == client ? QString() : widget->parentWidget()->objectName();
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void controlGeometry_data();
    void controlGeometry();
    void clientAreaIsFixed();
    void framesLieAboveInputFrame_data();
    void framesLieAboveInputFrame();
    void tabVisitsFieldsInDesignedOrder();
    void tabStopsAtSelectedOptionOnly();
    void captionsShowCyrillic();
    void resultLabelsShareOneStyle();
    void accessibleNamesComeFromCaptions_data();
    void accessibleNamesComeFromCaptions();
    void menuHasDirectCommands();
    void planThatWillNotLoad();
    void startTexts_data();
    void startTexts();
    void startLists_data();
    void startLists();
    void startOptionsAndFields();
    void startLabelsAndRecord();
    void startTablesFollowLists();
};

void TestMainWindow::controlGeometry_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("Frame1 at its place") << "Frame1"
                                         << "" << QRect(0, 0, 601, 329);
    QTest::newRow("Frame3 at its place") << "Frame3"
                                         << "" << QRect(8, 128, 249, 97);
    QTest::newRow("Frame4 at its place") << "Frame4"
                                         << "" << QRect(264, 104, 329, 121);
    QTest::newRow("Frame7 at its place") << "Frame7"
                                         << "" << QRect(8, 232, 585, 89);
    QTest::newRow("CmbDn at its place") << "CmbDn"
                                        << "" << QRect(24, 272, 89, 24);
    QTest::newRow("Frame5 at its place") << "Frame5"
                                         << "" << QRect(0, 328, 129, 209);
    QTest::newRow("Frame2 at its place") << "Frame2"
                                         << "" << QRect(136, 328, 465, 209);
    QTest::newRow("Label10 at its place") << "Label10"
                                          << "Frame1" << QRect(8, 24, 193, 17);
    QTest::newRow("Label1 at its place") << "Label1"
                                         << "Frame1" << QRect(200, 24, 57, 17);
    QTest::newRow("Label4 at its place") << "Label4"
                                         << "Frame1" << QRect(280, 24, 257, 17);
    QTest::newRow("CmbD at its place") << "CmbD"
                                       << "Frame1" << QRect(8, 48, 185, 22);
    QTest::newRow("TxtPv at its place") << "TxtPv"
                                        << "Frame1" << QRect(200, 48, 57, 25);
    QTest::newRow("CmbOn at its place") << "CmbOn"
                                        << "Frame1" << QRect(272, 48, 185, 22);
    QTest::newRow("TxtN at its place") << "TxtN"
                                       << "Frame1" << QRect(472, 48, 57, 25);
    QTest::newRow("Label18 at its place") << "Label18"
                                          << "Frame1" << QRect(536, 48, 33, 17);
    QTest::newRow("Frame6 at its place") << "Frame6"
                                         << "Frame1" << QRect(8, 72, 185, 49);
    QTest::newRow("Label2 at its place") << "Label2"
                                         << "Frame1" << QRect(200, 80, 65, 17);
    QTest::newRow("TxtPd at its place") << "TxtPd"
                                        << "Frame1" << QRect(200, 96, 57, 25);
    QTest::newRow("Opt_1_3 at its place") << "Opt_1_3"
                                          << "Frame6" << QRect(8, 16, 41, 25);
    QTest::newRow("Opt_1_2 at its place") << "Opt_1_2"
                                          << "Frame6" << QRect(72, 16, 41, 25);
    QTest::newRow("Opt_1_1 at its place") << "Opt_1_1"
                                          << "Frame6" << QRect(136, 16, 33, 25);
    QTest::newRow("Opt1 at its place") << "Opt1"
                                       << "Frame3" << QRect(8, 16, 153, 25);
    QTest::newRow("Opt2 at its place") << "Opt2"
                                       << "Frame3" << QRect(8, 40, 129, 25);
    QTest::newRow("Opt3 at its place") << "Opt3"
                                       << "Frame3" << QRect(8, 64, 129, 25);
    QTest::newRow("Label3 at its place") << "Label3"
                                         << "Frame4" << QRect(8, 24, 137, 25);
    QTest::newRow("TxtH at its place") << "TxtH"
                                       << "Frame4" << QRect(136, 24, 57, 25);
    QTest::newRow("Label17 at its place") << "Label17"
                                          << "Frame4" << QRect(200, 32, 25, 17);
    QTest::newRow("Label15 at its place") << "Label15"
                                          << "Frame4" << QRect(240, 32, 73, 17);
    QTest::newRow("Label19 at its place") << "Label19"
                                          << "Frame4" << QRect(8, 56, 121, 25);
    QTest::newRow("TxtL at its place") << "TxtL"
                                       << "Frame4" << QRect(136, 56, 57, 25);
    QTest::newRow("LblSr at its place") << "LblSr"
                                        << "Frame4" << QRect(232, 56, 81, 25);
    QTest::newRow("Label12 at its place") << "Label12"
                                          << "Frame4" << QRect(200, 64, 25, 17);
    QTest::newRow("Label21 at its place") << "Label21"
                                          << "Frame4" << QRect(8, 88, 65, 25);
    QTest::newRow("TxtW at its place") << "TxtW"
                                       << "Frame4" << QRect(136, 88, 57, 25);
    QTest::newRow("Label16 at its place") << "Label16"
                                          << "Frame4" << QRect(256, 88, 49, 25);
    QTest::newRow("Label20 at its place") << "Label20"
                                          << "Frame4" << QRect(200, 96, 25, 17);
    QTest::newRow("Label23 at its place") << "Label23"
                                          << "Frame7" << QRect(8, 24, 169, 25);
    QTest::newRow("Label25 at its place") << "Label25"
                                          << "Frame7" << QRect(184, 24, 169, 25);
    QTest::newRow("Label26 at its place") << "Label26"
                                          << "Frame7" << QRect(384, 24, 185, 33);
    QTest::newRow("CmbUPS at its place") << "CmbUPS"
                                         << "Frame7" << QRect(208, 56, 89, 24);
    QTest::newRow("CmbVP at its place") << "CmbVP"
                                        << "Frame7" << QRect(408, 56, 89, 24);
    QTest::newRow("Image1 at its place") << "Image1"
                                         << "Frame2" << QRect(16, 24, 100, 100);
    QTest::newRow("Label5 at its place") << "Label5"
                                         << "Frame2" << QRect(152, 24, 169, 33);
    QTest::newRow("LblPd at its place") << "LblPd"
                                        << "Frame2" << QRect(336, 24, 65, 25);
    QTest::newRow("Label6 at its place") << "Label6"
                                         << "Frame2" << QRect(408, 32, 33, 17);
    QTest::newRow("Label7 at its place") << "Label7"
                                         << "Frame2" << QRect(152, 64, 169, 65);
    QTest::newRow("LblD at its place") << "LblD"
                                       << "Frame2" << QRect(336, 72, 65, 25);
    QTest::newRow("Label8 at its place") << "Label8"
                                         << "Frame2" << QRect(408, 80, 25, 17);
    QTest::newRow("Label13 at its place") << "Label13"
                                          << "Frame2" << QRect(152, 128, 169, 33);
    QTest::newRow("LblS at its place") << "LblS"
                                       << "Frame2" << QRect(336, 128, 65, 25);
    QTest::newRow("Label14 at its place") << "Label14"
                                          << "Frame2" << QRect(408, 136, 41, 17);
    QTest::newRow("Command1 at its place") << "Command1"
                                           << "Frame2" << QRect(8, 144, 113, 49);
    QTest::newRow("Label9 at its place") << "Label9"
                                         << "Frame2" << QRect(152, 168, 145, 33);
    QTest::newRow("LblKs at its place") << "LblKs"
                                        << "Frame2" << QRect(336, 168, 65, 25);
    QTest::newRow("Label11 at its place") << "Label11"
                                          << "Frame2" << QRect(408, 176, 25, 17);
    QTest::newRow("Label22 at its place") << "Label22"
                                          << "Frame5" << QRect(16, 24, 97, 17);
    QTest::newRow("TxtDln at its place") << "TxtDln"
                                         << "Frame5" << QRect(24, 48, 57, 25);
    QTest::newRow("Label24 at its place") << "Label24"
                                          << "Frame5" << QRect(16, 80, 105, 17);
    QTest::newRow("LblZat at its place") << "LblZat"
                                         << "Frame5" << QRect(24, 104, 57, 25);
    QTest::newRow("Command2 at its place") << "Command2"
                                           << "Frame5" << QRect(8, 144, 113, 49);
}

void TestMainWindow::controlGeometry() {
    QFETCH(QString, name);
    QFETCH(QString, container);
    QFETCH(QRect, geometry);
    WindowUnderTest w;
    auto* widget = w.window->findChild<QWidget*>(name);
    QVERIFY(widget);
    QCOMPARE(pathOf(widget, w.window->centralWidget()), container);
    QCOMPARE(widget->geometry(), geometry);
    QVERIFY(widget->isVisible());
}

void TestMainWindow::clientAreaIsFixed() {
    WindowUnderTest w;
    QCOMPARE(w.window->centralWidget()->size(), QSize(602, 543));
    QCOMPARE(w.window->centralWidget()->y(), w.window->menuBar()->height());
    QCOMPARE(w.window->minimumSize(), w.window->maximumSize());
    const Qt::WindowFlags flags = w.window->windowFlags();
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QCOMPARE(w.window->objectName(), QStringLiteral("Form1"));
    QCOMPARE(w.window->windowTitle(),
             QStringLiteral("Расчет эффективной дальности, площади и количества  "
                            "громкоговорителей (версия 3)"));
    QVERIFY(!w.window->windowIcon().isNull());
    QCOMPARE(w.label("Image1")->pixmap().size(), QSize(100, 100));
    auto* timer = w.window->findChild<QTimer*>(QStringLiteral("Timer1"));
    QVERIFY(timer);
    QCOMPARE(timer->interval(), 500);
    QVERIFY(!timer->isActive());
}

void TestMainWindow::framesLieAboveInputFrame_data() {
    QTest::addColumn<QString>("upper");
    QTest::addColumn<QString>("lower");
    QTest::newRow("type frame lies above input frame") << "Frame3"
                                                       << "Frame1";
    QTest::newRow("room frame lies above input frame") << "Frame4"
                                                       << "Frame1";
    QTest::newRow("parameter frame lies above input frame") << "Frame7"
                                                            << "Frame1";
    QTest::newRow("directivity list lies above parameter frame") << "CmbDn"
                                                                 << "Frame7";
}

void TestMainWindow::framesLieAboveInputFrame() {
    QFETCH(QString, upper);
    QFETCH(QString, lower);
    WindowUnderTest w;
    QWidget* client = w.window->centralWidget();
    auto* top = w.window->findChild<QWidget*>(upper);
    auto* bottom = w.window->findChild<QWidget*>(lower);
    QVERIFY(top->geometry().intersects(bottom->geometry()));
    // What the user clicks at the centre of the upper control must belong to it.
    QWidget* hit = client->childAt(top->geometry().center());
    QVERIFY(hit);
    QVERIFY2(hit == top || top->isAncestorOf(hit), qPrintable(hit->objectName()));
}

void TestMainWindow::tabVisitsFieldsInDesignedOrder() {
    WindowUnderTest w;
    w.combo("CmbD")->setFocus();
    const QStringList expected{"CmbD",     "TxtPv", "TxtPd",  "TxtN",   "CmbOn",   "Opt1",
                               "TxtH",     "TxtL",  "TxtW",   "TxtDln", "Opt_1_1", "Command1",
                               "Command2", "CmbDn", "CmbUPS", "CmbVP",  "CmbD"};
    QStringList visited{QApplication::focusWidget()->objectName()};
    for (int i = 1; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, expected);

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("CmbVP"));
}

void TestMainWindow::tabStopsAtSelectedOptionOnly() {
    WindowUnderTest w;
    w.pick("CmbD", 33);
    w.option("Opt3")->click();
    w.edit("TxtPd")->setFocus();
    QTest::keyClick(w.edit("TxtPd"), Qt::Key_Tab);             // TxtN
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); // CmbOn
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("TxtH"));
    w.edit("TxtDln")->setFocus();
    QTest::keyClick(w.edit("TxtDln"), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Opt3"));
    w.option("Opt_1_2")->click();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Opt_1_2"));
}

void TestMainWindow::captionsShowCyrillic() {
    WindowUnderTest w;
    int checked = 0;
    const auto widgets = w.window->findChildren<QWidget*>();
    for (QWidget* widget : widgets) {
        QString caption;
        if (auto* label = qobject_cast<QLabel*>(widget))
            caption = label->text();
        else if (auto* box = qobject_cast<QGroupBox*>(widget))
            caption = box->title();
        else if (auto* button = qobject_cast<QAbstractButton*>(widget))
            caption = button->text();
        if (caption.isEmpty())
            continue;
        const QRawFont raw = QRawFont::fromFont(widget->font());
        for (QChar c : caption)
            QVERIFY2(c.isSpace() || raw.supportsCharacter(c),
                     qPrintable(widget->objectName() + QStringLiteral(": ") + c));
        ++checked;
    }
    QVERIFY(checked >= 41); // 26 captions, 7 frames, 6 options, 2 buttons
    const QFont font = w.label("Label10")->font();
    QVERIFY(!font.bold());
    QCOMPARE(font.pointSizeF(), 8.25);
    QVERIFY(w.label("LblPd")->font().bold());
    QCOMPARE(w.label("LblPd")->font().pointSizeF(), 9.75);
    QCOMPARE(w.get<QPushButton>("Command1")->font().pointSizeF(), 11.25);
    QCOMPARE(w.get<QGroupBox>("Frame1")->font().pointSizeF(), 12.0);
    QCOMPARE(w.window->font().pointSizeF(), 9.75);
}

void TestMainWindow::resultLabelsShareOneStyle() {
    WindowUnderTest w;
    for (const char* name : kAllResultLabels) {
        QLabel* result = w.label(name);
        QVERIFY2(result->font().bold(), name);
        QCOMPARE(result->height(), 25);
        QCOMPARE(result->frameShape(), QFrame::Panel);
        QCOMPARE(result->frameShadow(), QFrame::Sunken);
        QCOMPARE(result->lineWidth(), 1);
    }
    for (const char* name : {"Label7", "Label23", "Label5", "Label3"}) {
        QLabel* caption = w.label(name);
        QVERIFY2(caption->wordWrap(), name);
        QCOMPARE(caption->frameShape(), QFrame::NoFrame);
        QVERIFY(caption->alignment() & Qt::AlignLeft);
    }
    QCOMPARE(w.label("Label10")->palette().color(QPalette::WindowText), QColor(0, 0, 128));
    QCOMPARE(w.label("Label3")->palette().color(QPalette::WindowText), QColor(0, 0, 0));
    QCOMPARE(w.get<QGroupBox>("Frame1")->palette().color(QPalette::WindowText), QColor(0, 64, 0));
    QCOMPARE(w.get<QGroupBox>("Frame3")->palette().color(QPalette::WindowText),
             QApplication::palette().color(QPalette::Highlight));
    // A frame's caption colour must not leak into the options it holds.
    QCOMPARE(w.option("Opt1")->palette().color(QPalette::WindowText),
             QApplication::palette().color(QPalette::WindowText));
    QCOMPARE(w.get<QPushButton>("Command1")->palette().color(QPalette::Button),
             QColor(224, 224, 224));
}

void TestMainWindow::accessibleNamesComeFromCaptions_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("spoken");
    QTest::newRow("power field is named after its caption") << "TxtPv"
                                                            << "Мощность";
    QTest::newRow("length field is named after its caption") << "TxtL"
                                                             << "Длина";
    QTest::newRow("width field is named after its caption") << "TxtW"
                                                            << "Ширина";
    QTest::newRow("height field is named after its caption") << "TxtH"
                                                             << "Высота потолков";
    QTest::newRow("distance field is named after its caption") << "TxtDln"
                                                               << "Дальность (м)";
    QTest::newRow("model list is named after its caption") << "CmbD"
                                                           << "Выберите громкоговоритель";
    QTest::newRow("directivity list is named after its caption")
        << "CmbDn"
        << "Диаграмма направленности (Град)";
    QTest::newRow("listening height list is named after its caption")
        << "CmbVP"
        << "Высота точки прослушивания (См)";
}

void TestMainWindow::accessibleNamesComeFromCaptions() {
    QFETCH(QString, name);
    QFETCH(QString, spoken);
    WindowUnderTest w;
    QCOMPARE(w.window->findChild<QWidget*>(name)->accessibleName(), spoken);
}

void TestMainWindow::menuHasDirectCommands() {
    WindowUnderTest w;
    const QList<QAction*> actions = w.window->menuBar()->actions();
    QCOMPARE(actions.size(), 5);
    // The room plan and the project stand between the report and the help.
    const QStringList names{"Mppech", "Mplan", "Mproject", "Mspr", "Mopr"};
    const QStringList captions{"&Печать в файл", "Пла&н помещения", "Про&ект", "Краткая &справка",
                               "&О программе"};
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(actions[i]->objectName(), names[i]);
        QCOMPARE(actions[i]->text(), captions[i]);
        QVERIFY(!actions[i]->menu());
    }
}

// A plan module that will not load says why; the main window works on, and the next click on
// the menu item tries again.
void TestMainWindow::planThatWillNotLoad() {
    ScriptedDialogs dialogs;
    int tries = 0;
    pa::Form1 window(
        dialogs,
        [&tries](pa::Dialogs&, std::function<std::string()>, QWidget*) {
            ++tries;
            return pa::PlanOpening{nullptr, QStringLiteral("нет файла")};
        },
        {}, QString());
    window.show();
    QAction* plan = window.findChild<QAction*>(QStringLiteral("Mplan"));
    plan->trigger();
    QCOMPARE(dialogs.informations(),
             QStringList(QStringLiteral(
                 "Расчет громкоговорителей|Не удалось загрузить план помещения: нет файла")));
    QVERIFY(window.isVisible());
    plan->trigger();
    QCOMPARE(tries, 2);
    QCOMPARE(dialogs.informations().size(), 2);
}

void TestMainWindow::startTexts_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::newRow("power starts at 3") << "TxtPv"
                                       << "3";
    QTest::newRow("sensitivity starts at 90") << "TxtPd"
                                              << "90";
    QTest::newRow("noise starts at 70") << "TxtN"
                                        << "70";
    QTest::newRow("height starts at 3") << "TxtH"
                                        << "3";
    QTest::newRow("length starts at 6") << "TxtL"
                                        << "6";
    QTest::newRow("width starts at 6") << "TxtW"
                                       << "6";
    QTest::newRow("distance starts at 10") << "TxtDln"
                                           << "10";
}

void TestMainWindow::startTexts() {
    QFETCH(QString, name);
    QFETCH(QString, text);
    WindowUnderTest w;
    QCOMPARE(w.edit(qPrintable(name))->text(), text);
}

void TestMainWindow::startLists_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::addColumn<int>("startItem");
    QTest::newRow("model list starts at TD-13 among 34 items") << "CmbD"
                                                               << "TD-13" << 34 << "KLT-7"
                                                               << "ПРОЧИЕ" << 1;
    QTest::newRow("room list starts at the car park among 15 items")
        << "CmbOn"
        << "АВТОСТОЯНКА" << 15 << "БОЛЬНИЦА"
        << "ПРОЧИЕ" << 7;
    QTest::newRow("directivity list starts at 90 among 17 items") << "CmbDn"
                                                                  << "90" << 17 << "10"
                                                                  << "170" << 8;
    QTest::newRow("overlap list starts at 10 among 8 items") << "CmbUPS"
                                                             << "10" << 8 << "3"
                                                             << "10" << 7;
    QTest::newRow("listening height list starts at 150 among 8 items") << "CmbVP"
                                                                       << "150" << 8 << "120"
                                                                       << "190" << 3;
}

void TestMainWindow::startLists() {
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(int, count);
    QFETCH(QString, first);
    QFETCH(QString, last);
    QFETCH(int, startItem);
    WindowUnderTest w;
    PickComboBox* box = w.combo(qPrintable(name));
    QCOMPARE(box->currentText(), text);
    QCOMPARE(box->currentIndex(), -1);
    QCOMPARE(box->count(), count);
    QCOMPARE(box->itemText(0), first);
    QCOMPARE(box->itemText(count - 1), last);
    QCOMPARE(box->itemText(startItem), text);
    QVERIFY(box->isEditable());
    QCOMPARE(box->insertPolicy(), QComboBox::NoInsert);
}

void TestMainWindow::startOptionsAndFields() {
    WindowUnderTest w;
    QVERIFY(w.option("Opt1")->isChecked());
    QVERIFY(w.option("Opt1")->isEnabled());
    QVERIFY(!w.option("Opt2")->isEnabled());
    QVERIFY(!w.option("Opt3")->isEnabled());
    QVERIFY(w.option("Opt_1_1")->isChecked());
    QVERIFY(!w.option("Opt_1_2")->isChecked());
    QVERIFY(!w.option("Opt_1_3")->isChecked());
    auto* gradation = w.window->findChild<QButtonGroup*>(QStringLiteral("Opt_1"));
    QVERIFY(gradation);
    QVERIFY(!gradation->button(0));
    QCOMPARE(gradation->id(w.option("Opt_1_1")), 1);
    QCOMPARE(gradation->id(w.option("Opt_1_2")), 2);
    QCOMPARE(gradation->id(w.option("Opt_1_3")), 3);
    QCOMPARE(gradation->checkedId(), 1);
    const QColor menuColour = QApplication::palette().color(QPalette::Window);
    for (const char* name : {"TxtPv", "TxtPd", "TxtN"}) {
        QVERIFY2(w.edit(name)->isReadOnly(), name);
        QCOMPARE(w.edit(name)->palette().color(kFieldBackground), menuColour);
    }
    for (const char* name : {"TxtH", "TxtL", "TxtW", "TxtDln"})
        QVERIFY2(!w.edit(name)->isReadOnly(), name);
    QCOMPARE(w.caption("Label3"), QStringLiteral("Высота потолков"));
}

void TestMainWindow::startLabelsAndRecord() {
    WindowUnderTest w;
    QCOMPARE(w.caption("LblSr"), QStringLiteral("36"));
    QCOMPARE(w.label("LblSr")->toolTip(), QStringLiteral("Площадь помещения"));
    for (const char* name : kResultLabels)
        QVERIFY2(w.caption(name).isEmpty(), name);
    const pa::CalculationRecord& r = w.window->record();
    QCOMPARE(r.DirAngle.text(), std::string("90"));
    QCOMPARE(r.DirCoef.number(), 3.1415 / 2);
    QCOMPARE(r.OverlapLevel.number(), 10.0);
    QCOMPARE(r.ListenHeight.number(), 150.0);
    QVERIFY(r.SpeakerPower.isUnset());
    QVERIFY(r.RoomArea.isUnset());
    QVERIFY(r.MsgAnswer.isUnset());
}

void TestMainWindow::startTablesFollowLists() {
    WindowUnderTest w;
    const auto& letters = w.window->TypeLetter();
    QCOMPARE(letters[0], QStringLiteral("Н"));
    QCOMPARE(letters[1], QStringLiteral("П"));
    QCOMPARE(letters[21], QStringLiteral("Р"));
    QCOMPARE(letters[33], QStringLiteral("П"));
    const auto& noise = w.window->NoisePreset();
    QCOMPARE(noise[0], 20);
    QCOMPARE(noise[7], 70);
    QCOMPARE(noise[14], 60);
}

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
