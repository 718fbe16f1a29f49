#pragma once

#include <QString>
#include <QTableWidget>

#include <array>
#include <optional>
#include <string_view>
#include <vector>

namespace pa {

// The rooms of a project, one row each. Rooms stand grouped by floor or zone, in the order the
// floors first come in the project, under a header row each once there is more than one group.
// A click on a column's header sorts the rooms of each group by it, a second click the other way
// round, a third brings the project's own order back. A room dragged onto another row moves to
// it in the project; the table only reports the wishes, the window changes the project.
class RoomTable final : public QTableWidget {
    Q_OBJECT
public:
    static constexpr std::array<std::string_view, 10> kColumns{
        "Имя",        "Этаж/зона",    "Размеры, м", "Тип",      "Модель",
        "Количество", "Мин. уровень", "Доля ≥ T",   "Проверки", "Линия"};
    static constexpr int kNameColumn = 0;
    static constexpr int kFloorColumn = 1;
    static constexpr int kSizeColumn = 2;
    static constexpr int kCountColumn = 5;
    static constexpr int kLevelColumn = 6;
    static constexpr int kShareColumn = 7;
    static constexpr int kChecksColumn = 8;
    static constexpr int kLineColumn = 9;

    // One room as shown: its cells, and what sorts it where the text does not.
    struct Row {
        std::array<QString, kColumns.size()> cells;
        // A column's number to sort by (the area for the size); none sorts by the text, and a
        // room without the figure goes after those with it.
        std::array<std::optional<double>, kColumns.size()> numbers;
        QString lineId;
        QString checksTip;
        bool failed = false; // a check fails: the checks cell is marked
    };

    explicit RoomTable(QWidget* parent);

    // Shows the rooms in the project's order, floor by floor; the current room stays current.
    void setRooms(std::vector<Row> rooms);
    // The project's index of the room in a row; -1 for a floor's header.
    int roomAt(int row) const;
    int rowOf(int room) const;
    // The room of the current row, or -1.
    int currentRoom() const;
    void setCurrentRoom(int room);
    // The sorting column, -1 for the project's order.
    int sortColumn() const { return sortColumn_; }
    void sortBy(int column, Qt::SortOrder order);
    // Where a room dropped at a point of the viewport goes: before or after the target room. A
    // floor's header takes it before the floor's first room, the space below the last room after
    // that one.
    struct Drop {
        int target = -1;
        bool after = false;
    };
    std::optional<Drop> dropAt(QPoint at) const;

signals:
    void renamed(int room, const QString& name);
    void floorTyped(int room, const QString& floor);
    void wired(int room, const QString& lineId);
    // The room is to stand right before (or after) the target room, on the target's floor.
    void moved(int room, int target, bool after);

protected:
    void dropEvent(QDropEvent* event) override;

private:
    void fill();
    void headerClicked(int column);
    void cellEdited(QTableWidgetItem* item);
    bool before(int a, int b) const;

    std::vector<Row> rooms_;
    std::vector<int> order_; // per row, the room shown in it; -1 for a header
    int sortColumn_ = -1;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
    bool filling_ = false;
};

} // namespace pa
