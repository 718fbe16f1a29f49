#pragma once

#include "plan/acoustics.h"
#include "plan/room_setup.h"

#include <QString>
#include <QWidget>

#include <array>
#include <optional>
#include <string>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace pa {

// The «Акустика» tab: the room's height, finishes, listeners, typed octave values and whether
// people sleep there, with the room's figures or, in red, why the room is refused. It reads and
// shows a plan::RoomSetup; what the room gives is the window's business.
class RoomPanel final : public QWidget {
    Q_OBJECT
public:
    explicit RoomPanel(QWidget* parent = nullptr);

    // The setup as the panel holds it, or why a typed octave value cannot be read.
    struct Reading {
        plan::RoomSetup setup;
        QString error;
    };
    Reading read(const QString& separator) const;
    // Shows a setup; a room height it does not keep follows the mounting height.
    void setSetup(const plan::RoomSetup& setup);
    // The calculation's mounting height, shown as the room height where none was typed, and the
    // separator the numbers are typed and shown with.
    void followCalculation(double mountHeight, const QString& separator);

    void showError(const QString& error);
    // The room's volume, surfaces, mean absorption and reverberation per octave, the critical
    // distance where the field has one, and why the chosen map could not be made.
    void showRoom(const plan::RoomAcoustics& room, const plan::SoundField& field,
                  const std::string& mapError, const std::string& separator);
    void clearRoom();

signals:
    // Anything was changed by the user.
    void changed();

private:
    using OctaveFields = std::array<QLineEdit*, plan::kBands>;
    void showHead();

    QDoubleSpinBox* height_ = nullptr;
    QComboBox* floor_ = nullptr;
    QComboBox* ceiling_ = nullptr;
    QComboBox* walls_ = nullptr;
    QSpinBox* people_ = nullptr;
    OctaveFields noise_{};
    OctaveFields measured_{};
    QCheckBox* sleeping_ = nullptr;
    QDoubleSpinBox* head_ = nullptr;
    QLabel* error_ = nullptr;
    QLabel* figures_ = nullptr;
    bool heightTyped_ = false; // the user's height stays for new calculations
};

} // namespace pa
