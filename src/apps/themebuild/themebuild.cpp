#include "apps/themebuild/themebuild.h"

#include <charconv>
#include <map>
#include <optional>
#include <stdexcept>

#include "apps/themebuild/draw.h"
#include "apps/themebuild/pixelfont.h"
#include "apps/themebuild/synth.h"
#include "gfx/dib.h"

namespace pk::themebuild {

namespace {

// The characters that have block tiles, in tile order, and those of them that are specials.
constexpr std::string_view kTileAlphabet = "12345acnrsbgqovidfm";
constexpr std::string_view kSpecials = "acnrsbgqovidfm";

struct Line {
    int number = 0;
    bool indented = false;
    std::vector<std::string> words;
};

struct BuildError : std::runtime_error {
    BuildError(int line, const std::string& what)
        : std::runtime_error("line " + std::to_string(line) + ": " + what) {}
};

std::vector<Line> SplitLines(std::string_view text) {
    std::vector<Line> lines;
    int number = 0;
    size_t at = 0;
    while (at <= text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view raw = text.substr(at, end - at);
        at = end + 1;
        ++number;
        if (!raw.empty() && raw.back() == '\r')
            raw.remove_suffix(1);
        Line line{number, !raw.empty() && (raw[0] == ' ' || raw[0] == '\t'), {}};
        size_t i = 0;
        while (i < raw.size()) {
            while (i < raw.size() && (raw[i] == ' ' || raw[i] == '\t')) ++i;
            if (i >= raw.size())
                break;
            if (line.words.empty() && raw[i] == '#')
                break;  // a comment line
            if (raw[i] == '"') {
                const size_t close = raw.find('"', i + 1);
                if (close == std::string_view::npos)
                    throw BuildError(number, "a quote is not closed");
                line.words.emplace_back(raw.substr(i + 1, close - i - 1));
                i = close + 1;
            } else {
                size_t j = i;
                while (j < raw.size() && raw[j] != ' ' && raw[j] != '\t') ++j;
                line.words.emplace_back(raw.substr(i, j - i));
                i = j;
            }
        }
        if (!line.words.empty())
            lines.push_back(std::move(line));
        if (end == text.size())
            break;
    }
    return lines;
}

struct Item {
    Line head;
    std::vector<Line> props;
};

std::string Join(const std::vector<std::string>& words, size_t from, char sep) {
    std::string out;
    for (size_t i = from; i < words.size(); ++i) {
        if (i > from)
            out += sep;
        out += words[i];
    }
    return out;
}

class Builder {
public:
    std::vector<KlbEntry> Run(std::string_view text) {
        std::vector<Item> items;
        for (Line& line : SplitLines(text)) {
            if (line.indented) {
                if (items.empty())
                    throw BuildError(line.number, "a property outside any item");
                items.back().props.push_back(std::move(line));
            } else {
                items.push_back({std::move(line), {}});
            }
        }
        for (const Item& item : items) Handle(item);
        return std::move(entries_);
    }

private:
    int Int(const Line& l, size_t i) const {
        if (i >= l.words.size())
            throw BuildError(l.number, "a number is missing");
        int v = 0;
        const std::string& w = l.words[i];
        auto [p, ec] = std::from_chars(w.data(), w.data() + w.size(), v);
        if (ec != std::errc() || p != w.data() + w.size())
            throw BuildError(l.number, "not a number: " + w);
        return v;
    }

    const std::string& Word(const Line& l, size_t i) const {
        if (i >= l.words.size())
            throw BuildError(l.number, "a word is missing after " + l.words.back());
        return l.words[i];
    }

    // A colour at word i: a name, or three numbers; i moves past it.
    Rgb Colour(const Line& l, size_t& i) const {
        const std::string& w = Word(l, i);
        if (auto it = colours_.find(w); it != colours_.end()) {
            ++i;
            return it->second;
        }
        Rgb c{Int(l, i), Int(l, i + 1), Int(l, i + 2)};
        i += 3;
        return c;
    }
    Rgb Colour(const Line& l, size_t&& i) const {
        size_t at = i;
        return Colour(l, at);
    }
    Rgb Named(const std::string& name, int line) const {
        auto it = colours_.find(name);
        if (it == colours_.end())
            throw BuildError(line, "no colour named " + name);
        return it->second;
    }

    KlbEntry NewEntry(KlbKind kind, const std::string& name) const {
        KlbEntry e;
        e.kind = kind;
        e.version = KlbCurrentVersion(kind);
        e.groupPath = path_;
        e.themeIdList = ids_;
        e.name = name;
        return e;
    }

    void Handle(const Item& item) {
        const Line& h = item.head;
        const std::string& what = h.words[0];
        if (what == "ids") {
            ids_ = Join(h.words, 1, ' ');
        } else if (what == "colour") {
            colours_[Word(h, 1)] = Colour(h, 2);
        } else if (what == "group") {
            Group(h);
        } else if (what == "main") {
            Main(item);
        } else if (what == "detail") {
            Detail(item);
        } else if (what == "sound") {
            Sound(item);
        } else if (what == "music") {
            Music(item);
        } else if (what == "element" || what == "button" || what == "tab") {
            Element(item);
        } else {
            throw BuildError(h.number, "unknown item " + what);
        }
    }

    void Group(const Line& h) {
        const std::string full = Word(h, 1);
        const size_t bar = full.rfind('|');
        KlbEntry e =
            NewEntry(KlbKind::Group, bar == std::string::npos ? full : full.substr(bar + 1));
        e.groupPath = bar == std::string::npos ? "" : full.substr(0, bar + 1);
        entries_.push_back(std::move(e));
        path_ = full + "|";
    }

    void Main(const Item& item) {
        KlbEntry e = NewEntry(KlbKind::Main, Join(item.head.words, 1, ' '));
        Rgb fieldFill{0, 0, 0}, fieldGrid{40, 40, 40};
        bool withMask = false;
        for (const Line& p : item.props) {
            const std::string& k = p.words[0];
            if (k == "info")
                e.information = Join(p.words, 1, ' ');
            else if (k == "references")
                e.references = Join(p.words, 1, ' ');
            else if (k == "window")
                e.minWindowWidth = Int(p, 1), e.minWindowHeight = Int(p, 2);
            else if (k == "field")
                e.fieldWidth = Int(p, 1), e.fieldHeight = Int(p, 2);
            else if (k == "blocks")
                e.largeBlockSize = Int(p, 1), e.smallBlockSize = Int(p, 2);
            else if (k == "tile") {
                const std::string& c = Word(p, 1);
                if (c.size() != 1 || kTileAlphabet.find(c[0]) == std::string_view::npos)
                    throw BuildError(p.number, "no tile for " + c);
                tileColours_[c[0]] = Colour(p, 2);
            } else if (k == "fieldbg") {
                size_t i = 1;
                fieldFill = Colour(p, i);
                fieldGrid = Colour(p, i);
            } else if (k == "mask")
                withMask = true;
            else
                throw BuildError(p.number, "unknown main property " + k);
        }
        const int B = e.largeBlockSize, S = e.smallBlockSize, W = e.fieldWidth, H = e.fieldHeight;
        if (B <= 0 || S <= 0 || W <= 0 || H <= 0 || e.minWindowWidth <= 0 || e.minWindowHeight <= 0)
            throw BuildError(item.head.number, "the main bitmap needs window, field and blocks");
        for (char c : kTileAlphabet)
            if (!tileColours_.count(c))
                throw BuildError(item.head.number, std::string("no tile colour for ") + c);
        blockSize_ = B;
        const int width = std::max(static_cast<int>(kTileAlphabet.size()) * B, W * B + W * S);
        Canvas canvas(width, B + S + H * B);
        DibBitmap mask(width, canvas.height(), 0xFFFFFFFFu, 1);
        for (size_t i = 0; i < kTileAlphabet.size(); ++i) {
            const char c = kTileAlphabet[i];
            const char letter = kSpecials.find(c) != std::string_view::npos ? c : 0;
            DrawBlockTile(canvas, static_cast<int>(i) * B, 0, B, tileColours_[c], letter);
            DrawBlockTile(canvas, static_cast<int>(i) * S, B, S, tileColours_[c], letter);
            mask.fillRect(static_cast<int>(i) * B, 0, B, B, 0xFF000000u);
            mask.fillRect(static_cast<int>(i) * S, B, S, S, 0xFF000000u);
        }
        DrawFieldBackground(canvas, 0, B + S, W, H, B, fieldFill, fieldGrid);
        DrawFieldBackground(canvas, W * B, B + S, W, H, S, fieldFill, fieldGrid);
        e.image = EncodeBmp(canvas.Image());
        if (withMask)
            e.mask = *EncodeBmp(mask, 1);
        entries_.push_back(std::move(e));
    }

    void Detail(const Item& item) {
        KlbEntry e = NewEntry(KlbKind::Detail, Word(item.head, 1));
        std::string tiles;
        for (const Line& p : item.props) {
            if (p.words[0] != "tiles")
                throw BuildError(p.number, "unknown detail property " + p.words[0]);
            tiles = Word(p, 1);
        }
        if (tiles.empty() || blockSize_ == 0)
            throw BuildError(item.head.number, "the special blocks need tiles after the main");
        Canvas canvas(static_cast<int>(tiles.size()) * blockSize_, blockSize_);
        for (size_t i = 0; i < tiles.size(); ++i) {
            auto it = tileColours_.find(tiles[i]);
            if (it == tileColours_.end())
                throw BuildError(item.head.number, std::string("no tile for ") + tiles[i]);
            DrawBlockTile(canvas, static_cast<int>(i) * blockSize_, 0, blockSize_, it->second,
                          tiles[i]);
        }
        e.image = EncodeBmp(canvas.Image());
        entries_.push_back(std::move(e));
    }

    void Sound(const Item& item) {
        KlbEntry e = NewEntry(KlbKind::Sound, Word(item.head, 1));
        std::vector<SoundSegment> segments;
        for (const Line& p : item.props) {
            if (p.words[0] != "play")
                throw BuildError(p.number, "unknown sound property " + p.words[0]);
            SoundSegment s;
            if (!WaveOf(Word(p, 1), s.wave))
                throw BuildError(p.number, "unknown wave " + p.words[1]);
            const std::string& f = Word(p, 2);
            const size_t dash = f.find('-');
            Line part{p.number, true, {f.substr(0, dash)}};
            s.f0 = s.f1 = Int(part, 0);
            if (dash != std::string::npos) {
                part.words[0] = f.substr(dash + 1);
                s.f1 = Int(part, 0);
            }
            s.millis = Int(p, 3);
            if (p.words.size() > 4)
                s.volume = Int(p, 4);
            segments.push_back(s);
        }
        if (segments.empty())
            throw BuildError(item.head.number, "a sound without anything to play");
        e.image = WavFile(RenderSound(segments, kSoundRate), kSoundRate);
        entries_.push_back(std::move(e));
    }

    void Music(const Item& item) {
        KlbEntry e = NewEntry(KlbKind::Music, Join(item.head.words, 1, ' '));
        e.fileType = "wav";
        int tempo = 120, rate = 11025;
        std::vector<MusicVoice> voices;
        for (const Line& p : item.props) {
            const std::string& k = p.words[0];
            if (k == "tempo") {
                tempo = Int(p, 1);
            } else if (k == "rate") {
                rate = Int(p, 1);
            } else if (k == "voice") {
                MusicVoice v;
                if (!WaveOf(Word(p, 1), v.wave))
                    throw BuildError(p.number, "unknown wave " + p.words[1]);
                v.volume = Int(p, 2);
                voices.push_back(v);
            } else if (k == "notes") {
                if (voices.empty())
                    throw BuildError(p.number, "notes before any voice");
                for (size_t i = 1; i < p.words.size(); ++i) {
                    const std::string& w = p.words[i];
                    const size_t slash = w.find('/');
                    const int hz = NoteCentiHz(w.substr(0, slash));
                    if (hz < 0 || slash == std::string::npos)
                        throw BuildError(p.number, "not a note: " + w);
                    Line len{p.number, true, {w.substr(slash + 1)}};
                    voices.back().notes.push_back({hz, Int(len, 0)});
                }
            } else {
                throw BuildError(p.number, "unknown music property " + k);
            }
        }
        if (tempo <= 0 || rate < 4000 || voices.empty())
            throw BuildError(item.head.number, "music needs a tempo, a rate and a voice");
        e.image = WavFile(RenderMusic(voices, tempo, rate), rate);
        entries_.push_back(std::move(e));
    }

    struct ElementSpec {
        std::string name;
        std::vector<std::string> flags;  // skins first, then flags
        std::vector<std::string> events;
        std::string parent;
        int x = 0, y = 0, w = 0, h = 0;
        int32_t colour = -1;
        std::optional<Canvas> picture;
    };

    KlbEntry SkinEntry(const ElementSpec& s) const {
        KlbEntry e = NewEntry(KlbKind::Skin, s.name);
        e.flagList = Join(s.flags, 0, '\r');
        e.eventList = Join(s.events, 0, '\r');
        e.parentName = s.parent;
        e.left = s.x, e.top = s.y, e.width = s.w, e.height = s.h;
        e.backColour = s.colour;
        if (s.picture) {
            e.image = EncodeBmp(s.picture->Image());
            if (auto mask = s.picture->Mask())
                e.mask = *EncodeBmp(*mask, 1);
        }
        return e;
    }

    Canvas ButtonPicture(const ElementSpec& s, const std::string& style, const std::string& label,
                         int line) const {
        Canvas c(s.w, s.h);
        c.RoundBox(0, 0, s.w, s.h, std::min(5, s.h / 4), Named(style + ".top", line),
                   Named(style + ".bottom", line), Named(style + ".border", line));
        const int scale = s.h >= 24 ? 2 : 1;
        c.TextIn(2, 0, s.w - 4, s.h, label, scale, Named(style + ".text", line), 'c',
                 Darker(Named(style + ".bottom", line), 140));
        return c;
    }

    void Picture(const Line& p, ElementSpec& s, const std::vector<Line>& props) {
        const std::string& kind = Word(p, 1);
        if (s.w <= 0 || s.h <= 0)
            throw BuildError(p.number, "a picture needs the rectangle first");
        if (kind == "gradient") {
            size_t i = 2;
            const Rgb top = Colour(p, i);
            const Rgb bottom = Colour(p, i);
            const int w = i < p.words.size() ? Int(p, i) : 4;
            Canvas c(w, s.h);
            c.VGradient(0, 0, w, s.h, top, bottom);
            s.picture = std::move(c);
        } else if (kind == "panel") {
            size_t i = 2;
            const Rgb fill = Colour(p, i);
            const Rgb border = Colour(p, i);
            const int radius = Int(p, i);
            Canvas c(24, 24);
            c.RoundBox(0, 0, 24, 24, radius, fill, fill, border);
            s.picture = std::move(c);
        } else if (kind == "text") {
            size_t i = 2;
            const int scale = Int(p, i++);
            const Rgb colour = Colour(p, i);
            const std::string& align = Word(p, i++);
            const std::string text = Join(p.words, i, ' ');
            for (char ch : text)
                if (!PixelFontHas(ch))
                    throw BuildError(p.number, std::string("the font has no ") + ch);
            if (PixelTextWidth(text, scale) > s.w || kGlyphHeight * scale > s.h)
                throw BuildError(p.number, "the text does not fit its element: " + text);
            Canvas c(s.w, s.h);
            std::optional<Rgb> shadow;
            if (scale >= 2)
                shadow = Rgb{0, 0, 0};
            c.TextIn(0, 0, s.w, s.h, text, scale, colour, align.empty() ? 'l' : align[0], shadow);
            s.picture = std::move(c);
        } else if (kind == "icons") {
            Canvas c(s.w, s.h);
            c.Fill(0, 0, s.w, s.h, Named("iconkey", p.number));
            for (const Line& q : props) {
                if (q.words[0] != "icon")
                    continue;
                const int x = (Int(q, 1) - 1) * 16, y = (Int(q, 2) - 1) * 16;
                size_t i = 3;
                const Rgb col = Colour(q, i);
                c.RoundBox(x + 1, y, 14, 15, 3, Lighter(col, 60), col, Darker(col, 100));
                c.TextIn(x + 1, y, 14, 15, Word(q, i), 1, {255, 255, 255}, 'c', std::nullopt);
            }
            s.picture = std::move(c);
        } else {
            throw BuildError(p.number, "unknown picture " + kind);
        }
    }

    void Element(const Item& item) {
        const std::string& what = item.head.words[0];
        ElementSpec s;
        s.name = Word(item.head, 1);
        std::vector<std::string> skins, userEvents;
        std::string label, style = "button", tabset;
        bool selected = false;
        const Line* picture = nullptr;
        for (const Line& p : item.props) {
            const std::string& k = p.words[0];
            if (k == "skins") {
                for (size_t i = 1; i < p.words.size(); ++i) skins.push_back(p.words[i]);
            } else if (k == "rect") {
                s.x = Int(p, 1), s.y = Int(p, 2), s.w = Int(p, 3), s.h = Int(p, 4);
            } else if (k == "parent") {
                s.parent = Word(p, 1);
            } else if (k == "colour") {
                s.colour = WindowsColour(Colour(p, 1));
            } else if (k == "flag") {
                std::string f = Word(p, 1);
                if (p.words.size() > 2)
                    f += "\n" + Join(p.words, 2, ' ');
                s.flags.push_back(f);
            } else if (k == "colourparam") {
                const Rgb c = Colour(p, 2);
                s.flags.push_back(Word(p, 1) + "\n" + std::to_string(c.r) + " " +
                                  std::to_string(c.g) + " " + std::to_string(c.b));
            } else if (k == "on") {
                std::string ev = Word(p, 1) + "\n" + Word(p, 2);
                if (p.words.size() > 3)
                    ev += "\n" + Join(p.words, 3, ' ');
                userEvents.push_back(ev);
            } else if (k == "image") {
                picture = &p;
            } else if (k == "icon") {
                // read with its picture
            } else if (k == "label" && what != "element") {
                label = Join(p.words, 1, ' ');
            } else if (k == "style" && what != "element") {
                style = Word(p, 1);
            } else if (k == "tabset" && what == "tab") {
                tabset = Word(p, 1);
            } else if (k == "selected" && what == "tab") {
                selected = true;
            } else {
                throw BuildError(p.number, "unknown element property " + k);
            }
        }
        if (skins.empty())
            throw BuildError(item.head.number, "an element in no skin: " + s.name);
        if (s.w <= 0 || s.h <= 0)
            throw BuildError(item.head.number, "an element without a size: " + s.name);
        std::vector<std::string> flags = skins;
        flags.insert(flags.end(), s.flags.begin(), s.flags.end());
        s.flags = flags;
        if (what == "element") {
            if (picture)
                Picture(*picture, s, item.props);
            s.events = userEvents;
            entries_.push_back(SkinEntry(s));
            return;
        }
        // Buttons and tabs: the picture, then the selected picture, then the hover picture.
        if (label.empty())
            throw BuildError(item.head.number, "a button without a label: " + s.name);
        for (char ch : label)
            if (!PixelFontHas(ch))
                throw BuildError(item.head.number, std::string("the font has no ") + ch);
        const int line = item.head.number;
        const std::string hi = s.name + "_hi";
        ElementSpec base = s;
        base.picture = ButtonPicture(s, style, label, line);
        // A button hidden under the pointer (LEAVE by its own click) gets no leave event: its
        // hover picture goes with it.
        base.events = {"onmouseover\nshow\n" + hi, "onmouseoverleave\nhide\n" + hi,
                       "onmousedown\nshow\n" + hi, "onmousedownleave\nhide\n" + hi,
                       "onhide\nhide\n" + hi};
        base.events.insert(base.events.end(), userEvents.begin(), userEvents.end());
        entries_.push_back(SkinEntry(base));
        if (what == "tab") {
            if (tabset.empty())
                throw BuildError(line, "a tab without a tab set: " + s.name);
            ElementSpec on = s;
            on.name = s.name + "_on";
            if (!selected)
                on.flags.push_back("hide");
            on.picture = ButtonPicture(s, "tabon", label, line);
            on.events = {"on" + tabset + "off\nhide"};
            entries_.push_back(SkinEntry(on));
        }
        ElementSpec hover = s;
        hover.name = hi;
        hover.flags.push_back("hide");
        hover.picture = ButtonPicture(s, style + "hi", label, line);
        entries_.push_back(SkinEntry(hover));
    }

    std::map<std::string, Rgb> colours_;
    std::map<char, Rgb> tileColours_;
    std::string ids_ = "*";
    std::string path_;
    int blockSize_ = 0;
    std::vector<KlbEntry> entries_;
};

}  // namespace

BuildResult BuildTheme(std::string_view manifest) {
    BuildResult result;
    try {
        result.entries = Builder().Run(manifest);
        result.ok = true;
    } catch (const std::exception& e) {
        result.error = e.what();
        result.entries.clear();
    }
    return result;
}

std::string LibraryBytes(const std::vector<KlbEntry>& entries) {
    return WriteKlbLibrary(entries, static_cast<int32_t>(entries.size()));
}

}  // namespace pk::themebuild
