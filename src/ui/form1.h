#pragma once

#include "core/coverage.h"
#include "core/record.h"
#include "core/speaker_type.h"
#include "ui/dialogs.h"
#include "ui/layout_table.h"

#include <QFont>
#include <QHash>
#include <QMainWindow>
#include <QString>

#include <array>
#include <string_view>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QTimer;

namespace pa {

class PickComboBox;

// The program's one window: the inputs, the five lists, the type and gradation options, the
// two calculations and the menu. Every number it shows comes from the calculation core.
class Form1 final : public QMainWindow {
    Q_OBJECT
public:
    Form1(Dialogs& dialogs, QString workingFolder, QWidget* parent = nullptr);

    const CalculationRecord& record() const { return record_; }
    // Type letter of each entry of the model list, and noise level of each room of the room list.
    const std::array<QString, 34>& TypeLetter() const { return typeLetter_; }
    const std::array<int, 15>& NoisePreset() const { return noisePreset_; }
    const QString& workingFolder() const { return workingFolder_; }

private:
    void buildControls(const std::array<QFont, layout::kFontCount>& fonts);
    void buildMenu();
    void buildTabChain();
    void connectBehaviour();
    void startUp();

    template <class T> T* control(std::string_view name) const;
    QLineEdit* field(std::string_view name) const;
    QLabel* label(std::string_view name) const;
    QString text(std::string_view name) const;

    void pickModel(int index);
    void pickDirectivity(int index);
    void pickRoom(int index);
    void pickOverlap(int index);
    void pickListenHeight(int index);

    void switchTypeOn(SpeakerType type);
    void typeChanged(SpeakerType type);
    SpeakerType selectedType() const;
    void keepTabOnChecked(std::string_view group);

    void calculate();
    void showAttenuation();
    void showRoomArea();
    void printReport();
    void showHelp();
    void showAbout();

    void setUserEntry(QLineEdit* edit, bool userEntry);
    void emptyLabels(std::initializer_list<std::string_view> names);
    void emptyCoverageResults();
    void emptyAllResults();
    void showStop(const Stop& stop);
    std::string decimalSeparator() const;

    Dialogs& dialogs_;
    QString workingFolder_;
    CalculationRecord record_;
    std::array<QString, 34> typeLetter_;
    std::array<int, 15> noisePreset_{};
    QHash<QString, QWidget*> controls_;
    QButtonGroup* gradation_ = nullptr;
    QTimer* areaTimer_ = nullptr;
};

} // namespace pa
