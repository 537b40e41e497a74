#include "support/ack_computer.h"

#include <stdexcept>

namespace pk::testing {

namespace {

constexpr const char* kLetters = "acnrsbgqovidfm";

bool IsLetter(char c) {
    for (const char* p = kLetters; *p; ++p) {
        if (*p == c)
            return true;
    }
    return false;
}

// The shared generator: step, then scale.
struct Lcg {
    uint32_t s;
    uint32_t Next(uint32_t range) {
        s = s * 134775813u + 1u;
        return static_cast<uint32_t>((uint64_t{s} * range) >> 32);
    }
};

using Grid = std::vector<std::string>;

Grid ParsePiece(const std::string& piece) {
    const int w = std::stoi(piece.substr(0, 2));
    const int h = std::stoi(piece.substr(2, 2));
    Grid g;
    for (int r = 0; r < h; ++r)
        g.push_back(piece.substr(static_cast<size_t>(4 + r * w), static_cast<size_t>(w)));
    return g;
}

Grid TurnRight(const Grid& g) {
    const size_t h = g.size(), w = g.empty() ? 0 : g[0].size();
    Grid out(w, std::string(h, '0'));
    for (size_t r = 0; r < h; ++r) {
        for (size_t c = 0; c < w; ++c) out[c][h - 1 - r] = g[r][c];
    }
    return out;
}

class Bits {
public:
    void Put(uint32_t value, int count) {
        for (int i = count - 1; i >= 0; --i) {
            if (used_ % 8 == 0)
                out_ += '\0';
            if ((value >> i) & 1u)
                out_.back() = static_cast<char>(out_.back() | (0x80 >> (used_ % 8)));
            ++used_;
        }
    }
    const std::string& str() const { return out_; }

private:
    std::string out_;
    int used_ = 0;
};

}  // namespace

AckComputer::AckComputer(const AckRules& rules, const std::string& field,
                         const std::vector<std::string>& tokens, uint32_t seedA, uint32_t seedB)
    : rules_(rules) {
    for (int r = 0; r < rules.height; ++r) {
        st_.rows.push_back(
            field.substr(static_cast<size_t>(r * rules.width), static_cast<size_t>(rules.width)));
    }
    st_.upcoming.assign(tokens.begin(), tokens.end());
    st_.seedA = seedA;
    st_.seedB = seedB;
}

std::string AckComputer::Field() const {
    std::string f;
    for (const auto& r : st_.rows) f += r;
    return f;
}

int AckComputer::Checksum(const std::string& s) {
    int64_t sum = 32767;
    for (size_t i = 0; i < s.size(); ++i) {
        const int64_t term =
            int64_t{static_cast<unsigned char>(s[i])} * static_cast<int64_t>(i + 1);
        sum += (i % 2 == 0) ? term : -term;
    }
    return static_cast<int>(((sum % 65536) + 65536) % 65536);
}

std::string AckComputer::Encode(int level, const std::vector<std::string>& tokens,
                                const std::string& inventory, int checksum, uint32_t seedA,
                                uint32_t seedB) {
    Bits b;
    b.Put(static_cast<uint32_t>(level), 8);
    b.Put(static_cast<uint32_t>(tokens.size()), 5);
    for (const auto& t : tokens) {
        b.Put(static_cast<uint32_t>(t[0] - '0'), 3);
        const int w = std::stoi(t.substr(1, 2)), h = std::stoi(t.substr(3, 2));
        b.Put(static_cast<uint32_t>(w), 4);
        b.Put(static_cast<uint32_t>(h), 5);
        for (int i = 0; i < w * h; ++i)
            b.Put(static_cast<uint32_t>(t[static_cast<size_t>(5 + i)] - '0'), 3);
    }
    b.Put(static_cast<uint32_t>(inventory.size()), 5);
    for (char c : inventory) {
        uint32_t idx = 0;
        for (uint32_t k = 0; kLetters[k]; ++k) {
            if (kLetters[k] == c)
                idx = k + 1;
        }
        b.Put(idx, 5);
    }
    b.Put(static_cast<uint32_t>(checksum) & 0xFFFFu, 16);
    b.Put(seedA & 0xFFFFu, 16);
    b.Put(seedB & 0xFFFFu, 16);
    return b.str();
}

std::string AckComputer::OnReport(const std::string& payload,
                                  const std::vector<std::string>& newTokens) {
    std::vector<std::string> f;
    size_t start = 0;
    for (;;) {
        const size_t end = payload.find('\x02', start);
        f.push_back(
            payload.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    if (f.size() != 4)
        throw std::invalid_argument("0x19 needs four fields");
    const bool holdUsed = f[0] == "1";
    const int x = std::stoi(f[1]), y = std::stoi(f[2]), rot = std::stoi(f[3]);

    const std::string ack =
        Encode(level(), newTokens, st_.inventory, Checksum(Field()), st_.seedA, st_.seedB);

    // The new tokens join the list as it stood before this piece.
    size_t afterLastTwo = 0;
    for (size_t i = 0; i < st_.upcoming.size(); ++i) {
        if (st_.upcoming[i][0] == '2')
            afterLastTwo = i + 1;
    }
    for (const auto& t : newTokens) {
        if (t[0] == '2') {
            st_.upcoming.insert(st_.upcoming.begin() + static_cast<long>(afterLastTwo), t);
            ++afterLastTwo;
        } else if (t[0] == '1') {
            st_.upcoming.push_back(t);
        }
    }

    if (holdUsed && x == 0) {  // into the empty hold slot
        if (st_.hold.empty() && !st_.upcoming.empty()) {
            st_.hold = st_.upcoming.front();
            st_.upcoming.pop_front();
        }
        return ack;
    }
    if (holdUsed && !st_.hold.empty()) {  // the piece came from the hold slot
        st_.upcoming.push_front(st_.hold);
        st_.hold.clear();
    }
    if (st_.upcoming.empty())
        throw std::logic_error("placed a piece the server never sent");
    const std::string token = st_.upcoming.front();
    st_.upcoming.pop_front();
    Place(token, x, y, rot);
    return ack;
}

void AckComputer::Place(const std::string& token, int x, int y, int rotation) {
    Grid piece = ParsePiece(token.substr(1));
    for (int i = 1; i < rotation; ++i) piece = TurnRight(piece);
    const int h = static_cast<int>(piece.size()), w = static_cast<int>(piece[0].size());
    const int W = rules_.width, H = rules_.height;
    auto fits = [&](int px, int py) {
        if (px < 1 || py < 1 || px + w - 1 > W || py + h - 1 > H)
            return false;
        for (int r = 0; r < h; ++r) {
            for (int c = 0; c < w; ++c) {
                if (piece[r][c] != '0' && st_.rows[py - 1 + r][px - 1 + c] != '0')
                    return false;
            }
        }
        return true;
    };
    int px = x + w - 1 > W ? W - w + 1 : x;
    int py = 0;
    for (int r = y; r >= 1 && py == 0; --r) {
        if (fits(px, r))
            py = r;
    }
    if (py == 0) {
        px = x;
        py = y;
    } else {
        while (fits(px, py + 1)) ++py;
    }
    for (int r = 0; r < h; ++r) {
        for (int c = 0; c < w; ++c) {
            const int row = py - 1 + r, col = px - 1 + c;
            if (piece[r][c] != '0' && row >= 0 && row < H && col >= 0 && col < W)
                st_.rows[row][col] = piece[r][c];
        }
    }

    std::vector<int> full;
    for (int r = 0; r < H; ++r) {
        if (st_.rows[r].find('0') == std::string::npos)
            full.push_back(r);
    }
    const int n = static_cast<int>(full.size());
    st_.lines += n;
    if (n == 0)
        return;

    // Letters of the cleared rows into the inventory (the seed is only borrowed).
    Lcg inv{st_.seedA};
    for (int r : full) {
        for (char c : st_.rows[r]) {
            if (!IsLetter(c))
                continue;
            for (int k = 0; k < (rules_.multcolsb ? n : 1); ++k) {
                if (static_cast<int>(st_.inventory.size()) >= rules_.invcap)
                    continue;
                const uint32_t pos = inv.Next(static_cast<uint32_t>(st_.inventory.size() + 1));
                if (pos >= st_.inventory.size() || rules_.sbsinorder) {
                    st_.inventory.push_back(c);
                } else {
                    st_.inventory.insert(st_.inventory.begin() + pos, c);
                }
            }
        }
    }
    for (auto it = full.rbegin(); it != full.rend(); ++it) st_.rows.erase(st_.rows.begin() + *it);
    while (static_cast<int>(st_.rows.size()) < H)
        st_.rows.insert(st_.rows.begin(), std::string(static_cast<size_t>(W), '0'));

    // New specials.
    const std::string& pool = rules_.pools[static_cast<size_t>(std::min(n, 4) - 1)];
    if (pool.empty())
        return;
    int count = rules_.sbinc;
    if (rules_.multfieldsb) {
        count = 0;
        for (int m = st_.lines - n + 1; m <= st_.lines; ++m) {
            if (m % std::max(rules_.linesforsb, 1) == 0)
                count += rules_.sbinc;
        }
    }
    std::vector<std::pair<int, int>> blocks;
    for (int r = 0; r < H; ++r) {
        for (int c = 0; c < W; ++c) {
            if (st_.rows[r][c] != '0' && !IsLetter(st_.rows[r][c]))
                blocks.emplace_back(r, c);
        }
    }
    for (int k = 0; k < count; ++k) {
        Lcg b{st_.seedB};
        const char letter = pool[b.Next(static_cast<uint32_t>(pool.size()))];
        st_.seedB = b.s;
        Lcg a{st_.seedA};
        if (!blocks.empty()) {
            const uint32_t pick = a.Next(static_cast<uint32_t>(blocks.size()));
            st_.rows[blocks[pick].first][blocks[pick].second] = letter;
            blocks.erase(blocks.begin() + pick);
        } else {
            for (int r = H - 1; r >= 0; --r) {
                int holes = 0;
                for (char c : st_.rows[r]) holes += c == '0';
                if (holes < 2)
                    continue;
                for (;;) {
                    const uint32_t col = a.Next(static_cast<uint32_t>(W));
                    if (st_.rows[r][col] == '0') {
                        st_.rows[r][col] = letter;
                        break;
                    }
                }
                break;
            }
        }
        st_.seedA = a.s;
    }
}

}  // namespace pk::testing
