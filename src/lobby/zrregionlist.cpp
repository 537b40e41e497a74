#include "lobby/zrregionlist.h"

#include <algorithm>

#include "game/zrgame.h"
#include "lobby/zrlobbydispatch.h"
#include "lobby/zrlobbylink.h"
#include "lobby/zrlobbylists.h"
#include "lobby/zrlobbymodel.h"

namespace pk {

tsbregion* FindRegionById(std::int32_t id) {
    if (id == 0) {
        return nullptr;
    }
    for (tsbregion& region : SbRegions) {
        if (region.id == id) {
            return &region;
        }
    }
    return nullptr;
}

std::string RegionBoxText(std::int32_t regionId) {
    const tsbregion* region = FindRegionById(regionId);
    if (!region) {
        return LeastBusyServer;
    }
    const std::string ping = RegionMeasured(*region) ? std::to_string(region->time) : "???";
    return region->name + " [" + ping + "ms]";
}

void pingserversClick() {
    if (ClientState.lobby.LobbyLinkState != sbConnected) {
        return;
    }
    ClientState.lobby.PendingAction = paPingOnly;
    LobbyModel.pendingGame.reset();
    LobbySend(LobbyMsgAskRegions, "");
}

void TRegionListModel::Fill() {
    sort_.Reset();
    const std::string keep = selected_ >= 0 && selected_ < static_cast<int>(rows_.size())
                                 ? rows_[selected_].cells[0]
                                 : LeastBusyServer;
    rows_.clear();
    rows_.push_back({0, {LeastBusyServer, "", "", ""}});
    for (const tsbregion& region : SbRegions) {
        const std::string ping =
            RegionMeasured(region) ? std::to_string(region.time) + "ms" : "???ms";
        rows_.push_back(
            {region.id,
             {region.name, std::to_string(region.games), std::to_string(region.people), ping}});
    }
    selected_ = -1;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].cells[0] == keep) {
            selected_ = static_cast<int>(i);
            break;
        }
    }
}

void TRegionListModel::ColumnClick(int column) {
    sort_.Click(column, static_cast<int>(std::tuple_size_v<decltype(Row::cells)>));
    Sort();
}

void TRegionListModel::Sort() {
    const std::int32_t keep = selected_ >= 0 ? rows_[selected_].regionId : -1;
    std::stable_sort(rows_.begin(), rows_.end(), [this](const Row& a, const Row& b) {
        // A region that went since the fill sorts like the row without one.
        return regionlistCompare(FindRegionById(a.regionId), FindRegionById(b.regionId),
                                 sort_.column, sort_.ascending);
    });
    selected_ = -1;
    for (std::size_t i = 0; i < rows_.size() && keep >= 0; ++i) {
        if (rows_[i].regionId == keep) {
            selected_ = static_cast<int>(i);
            break;
        }
    }
}

void TRegionListModel::Select(int row) {
    selected_ = row >= 0 && row < static_cast<int>(rows_.size()) ? row : -1;
}

std::int32_t TRegionListModel::SelectedRegionId() const {
    if (selected_ < 0) {
        return 0;
    }
    const std::int32_t id = rows_[selected_].regionId;
    return FindRegionById(id) ? id : 0;
}

}  // namespace pk
