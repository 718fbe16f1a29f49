#include "ui/project/room_table.h"

#include "ui/qt_text.h"
#include "ui/table_style.h"

#include <QCollator>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace pa {

namespace {

const QString kNoFloor = QStringLiteral("Без этажа");

// The mark of a drag that began in an item view: the only drops the table takes.
const QString kItemDragFormat = QStringLiteral("application/x-qabstractitemmodeldatalist");

bool editable(int column) {
    return column == RoomTable::kNameColumn || column == RoomTable::kFloorColumn ||
           column == RoomTable::kLineColumn;
}

} // namespace

RoomTable::RoomTable(QWidget* parent) : QTableWidget(0, kColumns.size(), parent) {
    QStringList headers;
    for (std::string_view caption : kColumns)
        headers.append(qs(caption));
    setHorizontalHeaderLabels(headers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    verticalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setSortIndicatorShown(false);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &RoomTable::headerClicked);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::InternalMove);
    setDragDropOverwriteMode(false);
    setDropIndicatorShown(true);
    setDefaultDropAction(Qt::MoveAction);
    connect(this, &QTableWidget::itemChanged, this, &RoomTable::cellEdited);
}

void RoomTable::setRooms(std::vector<Row> rooms) {
    const int current = currentRoom();
    rooms_ = std::move(rooms);
    fill();
    setCurrentRoom(current < static_cast<int>(rooms_.size()) ? current : -1);
}

int RoomTable::roomAt(int row) const {
    return row >= 0 && static_cast<std::size_t>(row) < order_.size()
               ? order_[static_cast<std::size_t>(row)]
               : -1;
}

int RoomTable::rowOf(int room) const {
    const auto found = std::find(order_.begin(), order_.end(), room);
    return room < 0 || found == order_.end() ? -1 : static_cast<int>(found - order_.begin());
}

int RoomTable::currentRoom() const {
    return roomAt(currentRow());
}

void RoomTable::setCurrentRoom(int room) {
    const int row = rowOf(room);
    if (row >= 0)
        setCurrentCell(row, kNameColumn);
    else
        setCurrentCell(-1, -1);
}

void RoomTable::sortBy(int column, Qt::SortOrder order) {
    const int current = currentRoom();
    sortColumn_ = column >= 0 && column < columnCount() ? column : -1;
    sortOrder_ = order;
    if (sortColumn_ < 0)
        horizontalHeader()->setSortIndicatorShown(false);
    else {
        horizontalHeader()->setSortIndicator(sortColumn_, sortOrder_);
        horizontalHeader()->setSortIndicatorShown(true);
    }
    fill();
    setCurrentRoom(current);
}

void RoomTable::headerClicked(int column) {
    if (column != sortColumn_)
        sortBy(column, Qt::AscendingOrder);
    else if (sortOrder_ == Qt::AscendingOrder)
        sortBy(column, Qt::DescendingOrder);
    else
        sortBy(-1, Qt::AscendingOrder);
}

// Whether room a goes before room b in the sorted column; equal rooms keep the project's order.
bool RoomTable::before(int a, int b) const {
    const auto column = static_cast<std::size_t>(sortColumn_);
    const Row& ra = rooms_[static_cast<std::size_t>(a)];
    const Row& rb = rooms_[static_cast<std::size_t>(b)];
    const std::optional<double>& na = ra.numbers.at(column);
    const std::optional<double>& nb = rb.numbers.at(column);
    const bool descending = sortOrder_ == Qt::DescendingOrder;
    if (na || nb) {
        if (!na || !nb)
            return na.has_value(); // the rooms without the figure last, either way round
        return descending ? *nb < *na : *na < *nb;
    }
    // Names with numbers in them ("Кабинет 9", "Кабинет 10") in the order people count.
    static const QCollator collator = [] {
        QCollator c{QLocale(QLocale::Russian, QLocale::Russia)};
        c.setNumericMode(true);
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    const int compared = collator.compare(ra.cells.at(column), rb.cells.at(column));
    return descending ? compared > 0 : compared < 0;
}

void RoomTable::fill() {
    // The groups in the order their floors first come.
    std::vector<QString> floors;
    std::vector<std::vector<int>> groups;
    for (std::size_t i = 0; i < rooms_.size(); ++i) {
        const QString& floor = rooms_[i].cells[kFloorColumn];
        const auto found = std::find(floors.begin(), floors.end(), floor);
        if (found == floors.end()) {
            floors.push_back(floor);
            groups.emplace_back();
        }
        groups[static_cast<std::size_t>(std::find(floors.begin(), floors.end(), floor) -
                                        floors.begin())]
            .push_back(static_cast<int>(i));
    }
    const bool headers = groups.size() > 1;
    order_.clear();
    for (std::vector<int>& group : groups) {
        if (sortColumn_ >= 0)
            std::stable_sort(group.begin(), group.end(),
                             [this](int a, int b) { return before(a, b); });
        if (headers)
            order_.push_back(-1);
        order_.insert(order_.end(), group.begin(), group.end());
    }

    filling_ = true;
    clearSpans();
    setRowCount(static_cast<int>(order_.size()));
    std::size_t group = 0;
    for (std::size_t row = 0; row < order_.size(); ++row) {
        const int r = static_cast<int>(row);
        if (order_[row] < 0) {
            const QString& floor = floors[group];
            auto* header =
                new QTableWidgetItem((floor.isEmpty() ? kNoFloor : floor) +
                                     QStringLiteral(" (помещений: %1)").arg(groups[group].size()));
            ++group;
            // A drop on a floor's header moves a room onto that floor; it is no room itself.
            header->setFlags(Qt::ItemIsEnabled | Qt::ItemIsDropEnabled);
            QFont bold = font();
            bold.setBold(true);
            header->setFont(bold);
            header->setBackground(palette().alternateBase());
            setItem(r, 0, header);
            // The cells under the span, so that nothing of a room shown here before stays.
            for (int c = 1; c < columnCount(); ++c) {
                auto* hidden = new QTableWidgetItem;
                hidden->setFlags(Qt::NoItemFlags);
                setItem(r, c, hidden);
            }
            setSpan(r, 0, 1, columnCount());
            continue;
        }
        const Row& room = rooms_[static_cast<std::size_t>(order_[row])];
        for (std::size_t c = 0; c < room.cells.size(); ++c) {
            auto* item = new QTableWidgetItem(room.cells[c]);
            if (!editable(static_cast<int>(c)))
                item->setFlags(item->flags() & ~Qt::ItemIsEditable);
            setItem(r, static_cast<int>(c), item);
        }
        item(r, kLineColumn)->setData(Qt::UserRole, room.lineId);
        QTableWidgetItem* checks = item(r, kChecksColumn);
        checks->setToolTip(room.checksTip);
        if (room.failed)
            checks->setForeground(kFailureColour);
    }
    filling_ = false;
}

// The change fills the table anew, which must not happen under the edited item's feet.
void RoomTable::cellEdited(QTableWidgetItem* item) {
    if (filling_)
        return;
    const int room = roomAt(item->row());
    if (room < 0)
        return;
    switch (item->column()) {
    case kNameColumn:
        QTimer::singleShot(0, this,
                           [this, room, name = item->text()] { emit renamed(room, name); });
        break;
    case kFloorColumn:
        QTimer::singleShot(0, this, [this, room, floor = item->text().trimmed()] {
            emit floorTyped(room, floor);
        });
        break;
    case kLineColumn:
        QTimer::singleShot(0, this, [this, room, id = item->data(Qt::UserRole).toString()] {
            emit wired(room, id);
        });
        break;
    default:
        break;
    }
}

std::optional<RoomTable::Drop> RoomTable::dropAt(QPoint at) const {
    if (order_.empty())
        return std::nullopt;
    int row = rowAt(at.y());
    bool after = false;
    if (row < 0) {
        // Below the last row: after the last room.
        row = static_cast<int>(order_.size()) - 1;
        after = true;
    } else if (roomAt(row) < 0) {
        // A floor's header: the first room of that floor.
        ++row;
    } else {
        after = at.y() > visualRect(model()->index(row, 0)).center().y();
    }
    const int target = roomAt(row);
    return target < 0 ? std::nullopt : std::optional<Drop>({target, after});
}

void RoomTable::dropEvent(QDropEvent* event) {
    const int room = currentRoom();
    const std::optional<Drop> drop = dropAt(event->position().toPoint());
    if (!event->mimeData()->hasFormat(kItemDragFormat) || room < 0 || !drop) {
        event->ignore();
        return;
    }
    // The table is filled anew from the project; the view must not move or remove rows itself.
    event->setDropAction(Qt::IgnoreAction);
    event->accept();
    if (drop->target == room)
        return;
    // Shown in the project's order from now on, so that the room is seen where it went.
    if (sortColumn_ >= 0)
        sortBy(-1, Qt::AscendingOrder);
    QTimer::singleShot(0, this,
                       [this, room, drop = *drop] { emit moved(room, drop.target, drop.after); });
}

} // namespace pa
