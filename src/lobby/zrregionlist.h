#pragma once
// The "Select Game Location" list without its widget: the rows ("(Least busy server)" first,
// then one per region, each naming its region by id), their cells, the column sort and the
// selection that survives a refill.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "lobby/zrcolumnsort.h"

namespace pk {

struct tsbregion;

inline constexpr char LeastBusyServer[] = "(Least busy server)";

class TRegionListModel {
public:
    struct Row {
        std::int32_t regionId = 0;         // 0: "(Least busy server)", the server picks
        std::array<std::string, 4> cells;  // Location, Games, People, Ping
    };

    // Rebuilds the rows from SbRegions with the sort reset to Location ascending; the row whose
    // caption equals the one selected before stays selected.
    void Fill();
    // A click on the current column flips the direction, another column sorts ascending.
    void ColumnClick(int column);
    void Sort();

    const std::vector<Row>& Rows() const { return rows_; }
    int Selected() const { return selected_; }  // -1: none
    void Select(int row);
    // The chosen region's id; 0 for "(Least busy server)", no selection or a region gone.
    std::int32_t SelectedRegionId() const;
    int SortColumn() const { return sort_.column; }
    bool Ascending() const { return sort_.ascending; }

private:
    std::vector<Row> rows_;
    int selected_ = -1;
    TColumnSort sort_;
};

// The region with an id, or none.
tsbregion* FindRegionById(std::int32_t id);

// The game-set window's region box for the region it keeps by id: "(Least busy server)" for
// none (or a region that has gone), else the name and its ping in brackets.
std::string RegionBoxText(std::int32_t regionId);

// "Ping Servers" (the lobby window's button and the location picker's refresh): asks for the
// regions with nothing to do once they arrive but measure them. Nothing without the link.
void pingserversClick();

}  // namespace pk
