#include "display/zrfieldbitmaps.h"

#include <cstdint>

#include "game/zrfield.h"
#include "game/zrgamethread.h"

namespace pk {

int SmallBlockSize = 8;
std::array<Surface16, MaxSlots + 1> PlayerFieldBitmaps;
Surface16 FieldBuffer;

namespace {

// Products past the largest surface give the largest (the surface cuts them).
int Side(int cells, int size) {
    const int64_t v = int64_t{cells} * size;
    return v > Surface16::kMaxSide ? Surface16::kMaxSide : static_cast<int>(v);
}

}  // namespace

void CreatePlayerFieldBitmaps() {
    PlayerFieldBitmaps[0] = Surface16();
    PlayerFieldBitmaps[1] =
        Surface16(Side(FieldWidth, BlockSize), Side(FieldHeight, BlockSize), kBlack555);
    for (int p = 2; p <= MaxSlots; ++p) {
        PlayerFieldBitmaps[static_cast<size_t>(p)] = Surface16(
            Side(FieldWidth, SmallBlockSize), Side(FieldHeight, SmallBlockSize), kBlack555);
    }
    FieldBuffer = Surface16(Side(FieldWidth, BlockSize), Side(FieldHeight, BlockSize), kBlack555);
}

void FreePlayerFieldBitmaps() {
    for (auto& s : PlayerFieldBitmaps) s = Surface16();
    FieldBuffer = Surface16();
}

BlockMetrics CurrentBlockMetrics() {
    return {BlockSize, SmallBlockSize, FieldWidth, FieldHeight};
}

}  // namespace pk
