// A whole own game against the independent acknowledgement computer: pieces are placed by a
// simple greedy player, held now and then, special blocks land in the field and the inventory,
// and the acknowledgements arrive late (several pieces behind) so every one of them goes
// through the replay of the pending history.
#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <random>

#include "core/zrlog.h"
#include "core/zrmisc.h"
#include "game/zrfield.h"
#include "game/zrowngame.h"
#include "support/ack_computer.h"
#include "support/fake_game_io.h"

namespace pk {
namespace {

using testing::AckComputer;
using testing::AckRules;

class OwnGamePlayTest : public testing::EngineTest {};

// A plain evaluation of the field after a placement: low, flat and without covered holes.
int Evaluate(const TFieldString& f, int cleared) {
    int aggregate = 0, holes = 0, bumps = 0, prev = -1;
    for (int c = 0; c < FieldWidth; ++c) {
        int height = 0;
        bool covered = false;
        for (int r = 0; r < FieldHeight; ++r) {
            const bool filled = f[static_cast<size_t>(r * FieldWidth + c)] != '0';
            if (filled && !covered) {
                covered = true;
                height = FieldHeight - r;
            } else if (!filled && covered) {
                ++holes;
            }
        }
        aggregate += height;
        if (prev >= 0)
            bumps += std::abs(height - prev);
        prev = height;
    }
    return cleared * 76 - aggregate * 51 - holes * 36 - bumps * 18;
}

// The placement of the falling piece with the best evaluation.
bool ChooseMove(const std::string& token, int& bestRot, int& bestX) {
    const TFieldString& field = OwnField();
    int bestScore = 0;
    bool found = false;
    for (int rot = 1; rot <= 4; ++rot) {
        const TPieceString p = chpiece(TokenPiece(token), rot);
        for (int x = 1; x + PieceWidth(p) - 1 <= FieldWidth; ++x) {
            if (collision(x, 1, p, field))
                continue;
            int px = x, py = 1;
            refitpiece(p, px, py, true, field);
            TFieldString after = field;
            stickpiece(p, px, py, after);
            const std::string rows = FullRows(after);
            removelines(after, rows);
            const int score = Evaluate(after, WordCount(rows));
            if (!found || score > bestScore) {
                bestScore = score;
                bestRot = rot;
                bestX = px;
                found = true;
            }
        }
    }
    return found;
}

TEST_F(OwnGamePlayTest, HundredPiecesAcknowledgedWithoutAMismatch) {
    AckRules rules;
    rules.invcap = 9;
    rules.sbinc = 2;
    rules.pools = {"acn", "rsbg", "qovi", "dfm"};
    tgamerules& r = Settings.rules;
    r.invcap = rules.invcap;
    r.sbinc = rules.sbinc;
    for (int i = 0; i < 4; ++i)
        r.sbchance[static_cast<size_t>(i + 1)] = rules.pools[static_cast<size_t>(i)];
    r.holdpiece = 1;

    std::mt19937 rng(20261208);
    auto randomToken = [&](char kind) {
        return std::string(1, kind) + std::string(PieceTable[rng() % 7]);
    };
    std::vector<std::string> start;
    for (int i = 0; i < 8; ++i) start.push_back(randomToken('2'));
    std::string list;
    for (const auto& t : start) list += (list.empty() ? "" : "\x02") + t;
    const uint32_t seedA = 0x9E3779B9u, seedB = 0x7F4A7C15u;
    AckComputer server(rules, EmptyField(), start, seedA, seedB);
    StartWith(list, static_cast<int32_t>(seedA), static_cast<int32_t>(seedB), 8);

    tmegame& g = ClientState.game;
    std::deque<std::string> inFlight;  // acknowledgements the server has sent, not yet delivered
    size_t seen = 0;
    int placed = 0, holds = 0, clears = 0, delivered = 0;
    auto serve = [&] {
        for (; seen < sender.sent.size(); ++seen) {
            ASSERT_EQ(sender.sent[seen].first, MsgPiecePlaced);
            inFlight.push_back(server.OnReport(sender.sent[seen].second, {randomToken('1')}));
        }
    };
    auto deliverOne = [&] {
        AcknowledgementMessage(inFlight.front());
        inFlight.pop_front();
        ++delivered;
    };

    for (int step = 0; placed < 110 && step < 1000; ++step) {
        serve();
        // Deliver late: keep a few acknowledgements in flight, all of them once the piece waits.
        while (!inFlight.empty() && (inFlight.size() > 3 || g.PieceWaiting)) deliverOne();
        ASSERT_EQ(g.PieceWaiting, 0) << "piece never started at step " << step;
        ASSERT_NE(g.PieceX, -1);
        if (g.HoldUsed == 0 && rng() % 9 == 0) {
            QueueHoldPiece(false);
            ++holds;
            continue;
        }
        int rot = 1, x = 1;
        ASSERT_TRUE(ChooseMove(PieceToken(g.UpcomingPieces, 1), rot, x)) << "topped out";
        g.CurrentPiece = chpiece(TokenPiece(PieceToken(g.UpcomingPieces, 1)), rot);
        g.PieceRotation = rot;
        g.PieceX = x;
        const int linesBefore = g.LinesCleared;
        QueueEndPiece(true);
        ++placed;
        clears += g.LinesCleared > linesBefore;
        ASSERT_EQ(ClientLog().find("BUG"), std::string::npos) << ClientLog();
    }
    serve();
    while (!inFlight.empty()) deliverOne();

    EXPECT_EQ(ClientLog().find("BUG"), std::string::npos) << ClientLog();
    EXPECT_GE(placed, 100);
    EXPECT_GT(holds, 3);
    EXPECT_GT(clears, 10);
    EXPECT_EQ(delivered, static_cast<int>(seen));  // one acknowledgement per report
    EXPECT_TRUE(PendingHistory.empty());
    EXPECT_EQ(OwnField(), server.Field());
    EXPECT_EQ(g.Inventory, server.state().inventory);
    EXPECT_FALSE(g.Inventory.empty());
    EXPECT_EQ(g.LinesCleared, server.state().lines);
    EXPECT_EQ(static_cast<uint32_t>(g.SeedA), server.state().seedA);
    EXPECT_EQ(static_cast<uint32_t>(g.SeedB), server.state().seedB);
    EXPECT_EQ(g.OwnLevel, server.level());
}

}  // namespace
}  // namespace pk
