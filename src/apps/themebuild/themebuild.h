// Builds a theme library from a readable manifest: groups, the main bitmap with its metrics,
// special blocks, sounds, music and skin elements, every picture and sound made by code. The
// same manifest always gives the same bytes.
//
// The manifest is line based. A line that starts with "#" (after blanks) is a comment. A line
// that starts in the first column opens an item; the indented lines below it are its
// properties. Words in double quotes are one word. A colour is a name defined by "colour" or
// three numbers red green blue.
//
//   ids WORDS...              Theme ID list of every later entry
//   colour NAME R G B         a named colour
//   group A|B                 a group B inside A; later entries sit in it
//   main NAME                 the main bitmap:
//       info TEXT...  references WORDS...  window W H  field W H  blocks LARGE SMALL
//       tile CHAR COLOUR (special letters are lettered)  fieldbg COLOUR GRID  mask
//   detail NAME               the special-block bitmap: tiles CHARS (of the main's colours)
//   sound NAME                a sound: play WAVE HZ[-HZ] MILLIS [VOLUME], in order
//   music NAME                a piece (WAV): tempo Q  rate HZ  voice WAVE VOLUME
//       notes NOTE/EIGHTHS... (to the last voice; "r" is a rest)
//   element NAME              a skin element:
//       skins NAMES...  rect X Y W H  parent NAME  colour COLOUR  flag NAME [VALUE...]
//       on EVENT ACTION [TARGET]
//       image gradient TOP BOTTOM | image panel FILL BORDER RADIUS (24 x 24, for "border")
//       | image text SCALE COLOUR ALIGN TEXT | image icons (with icon COL ROW COLOUR GLYPH)
//   button NAME               an element drawn as a button with a hover picture NAME_hi:
//       the element properties, label TEXT, style STYLE (colours STYLE.top .bottom .border
//       .text, and STYLEhi.* for the hover picture)
//   tab NAME                  a button with a selected picture NAME_on (style "tabon") that
//       hides on the custom action TABSET + "off": tabset TABSET, selected
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "klb/klbformat.h"

namespace pk::themebuild {

struct BuildResult {
    bool ok = false;
    std::string error;  // "line N: ..." when not ok
    std::vector<KlbEntry> entries;
};

BuildResult BuildTheme(std::string_view manifest);
// The library file's bytes: header and entries, the count being the entries written.
std::string LibraryBytes(const std::vector<KlbEntry>& entries);

}  // namespace pk::themebuild
