// The room window's messages from the game server: the statistics record (0x02), raw and as
// the serial record compressed, and the ready marks (0x05) on a room with open slots. The
// table must stay within its column bound and no width outside its range.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/zrconst.h"
#include "core/zrzstream.h"
#include "game/zrgame.h"
#include "room/zrgamestats.h"
#include "room/zrpartyline.h"

namespace {

void Check(const std::optional<pk::TGameStats>& stats) {
    if (!stats)
        return;
    if (stats->headers.size() > static_cast<std::size_t>(pk::MaxStatsColumns))
        std::abort();
    for (const auto& row : stats->rows)
        if (!row.empty() && row.size() != stats->headers.size())
            std::abort();
    for (int w :
         pk::StatsColumnWidths("", stats->colwidths, static_cast<int>(stats->headers.size())))
        if (w < 0 || w > pk::MaxStatsColumnWidth)
            std::abort();
    (void)pk::StatsResultLines(*stats);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    Check(pk::ParseGameStats(input));
    Check(pk::ParseGameStats(pk::Compress(input, pk::CompressionLevel::Fastest)));

    pk::InitPlayerSlots();
    pk::SeatPlayer(*pk::AddPlayer("a"), 2);
    pk::SeatPlayer(*pk::AddPlayer("b"), 6);
    pk::SeatPlayer(*pk::AddPlayer("w"), 0);
    pk::SetReadyFlags(input);
    pk::FreePlayerSlots();
    pk::Players.clear();
    pk::SlotPlayers.fill(nullptr);
    return 0;
}
