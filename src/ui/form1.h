#pragma once

#include "core/coverage.h"
#include "core/record.h"
#include "core/speaker_type.h"
#include "data/catalogue.h"
#include "data/presets.h"
#include "ui/dialogs.h"

#include <QMainWindow>
#include <QString>

#include <array>
#include <string>

class QAction;
class QButtonGroup;
class QLabel;
class QLineEdit;
class QRadioButton;
class QTimer;

namespace pa {

class EnterPushButton;
class PickComboBox;
class ResultLabel;

// The controls the window's behaviour uses, resolved once from the layout table.
struct Form1Controls {
    QLineEdit* TxtPv;
    QLineEdit* TxtPd;
    QLineEdit* TxtN;
    QLineEdit* TxtH;
    QLineEdit* TxtL;
    QLineEdit* TxtW;
    QLineEdit* TxtDln;
    PickComboBox* CmbD;
    PickComboBox* CmbOn;
    PickComboBox* CmbDn;
    PickComboBox* CmbUPS;
    PickComboBox* CmbVP;
    QRadioButton* Opt1;
    QRadioButton* Opt2;
    QRadioButton* Opt3;
    QRadioButton* Opt_1_1;
    QRadioButton* Opt_1_2;
    QRadioButton* Opt_1_3;
    QLabel* Label3;
    ResultLabel* LblPd;
    ResultLabel* LblD;
    ResultLabel* LblS;
    ResultLabel* LblKs;
    ResultLabel* LblZat;
    ResultLabel* LblSr;
    EnterPushButton* Command1;
    EnterPushButton* Command2;
    QAction* Mppech;
    QAction* Mspr;
    QAction* Mopr;
};

// The program's one window: the inputs, the five lists, the type and gradation options, the
// two calculations and the menu. Every number it shows comes from the calculation core.
class Form1 final : public QMainWindow {
    Q_OBJECT
public:
    Form1(Dialogs& dialogs, QString workingFolder, QWidget* parent = nullptr);

    const CalculationRecord& record() const { return record_; }
    // Type letter of each entry of the model list, and noise level of each room of the room list.
    const std::array<QString, kCatalogue.size()>& TypeLetter() const { return typeLetter_; }
    const std::array<int, kRoomPresets.size()>& NoisePreset() const { return noisePreset_; }

private:
    void connectBehaviour();
    void startUp();

    void pickModel(int index);
    void pickDirectivity(int index);
    void pickRoom(int index);
    void pickOverlap(int index);
    void pickListenHeight(int index);

    void switchTypeOn(SpeakerType type);
    void typeChanged(SpeakerType type);
    SpeakerType selectedType() const;

    void calculate();
    void showAttenuation();
    void showRoomArea();
    void printReport();
    void showHelp();
    void showAbout();

    void setUserEntry(QLineEdit* edit, bool userEntry);
    void emptyCoverageResults();
    void emptyAllResults();
    void showStop(const Stop& stop);
    std::string decimalSeparator() const;

    Dialogs& dialogs_;
    QString workingFolder_;
    Form1Controls ui_{};
    CalculationRecord record_;
    std::array<QString, kCatalogue.size()> typeLetter_;
    std::array<int, kRoomPresets.size()> noisePreset_{};
    QButtonGroup* gradation_ = nullptr;
    QTimer* areaTimer_ = nullptr;
};

} // namespace pa
