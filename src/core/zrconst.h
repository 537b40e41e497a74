#pragma once
// Values the program fixes for itself and shares with the servers it talks
// to (and with our scripted test servers in tests/peers/). Every value here is
// our own choice; each comment says why it was chosen. Change one only
// together with the servers that rely on it.
#include <cstddef>
#include <cstdint>

namespace pk {

// Password masking for the lobby login: a linear congruential step
// seed = seed * MaskMul + MaskAdd (32-bit, wrapping) whose bits 16-23 are
// XORed into each password byte. The pair is the classic ANSI C rand()
// generator: full period modulo 2^32, and the master server must use the
// same two numbers to read the masked password back.
inline constexpr std::uint32_t MaskMul = 1103515245u;
inline constexpr std::uint32_t MaskAdd = 12345u;

// Upper bound for anything we inflate from a file or a server. The largest
// legitimate blob is the configuration file with its theme and key tables,
// well under a megabyte; 16 MiB leaves room and still stops a zlib bomb.
inline constexpr std::size_t MaxInflatedSize = 16u * 1024u * 1024u;

// Size the client log may reach before its oldest lines are dropped. The log
// is emptied at each game start, but between games a server can keep adding
// lines (errors in its messages); the newest lines say what went wrong, and
// 32 KiB of them still fit one error report frame (16-bit length).
inline constexpr std::size_t MaxClientLogSize = 32u * 1024u;

// Upper bound for one inflated game set. A full set is a few kilobytes (the
// description holds at most 4000 bytes); unknown keys are kept, so without a
// tighter bound than MaxInflatedSize a server's 64 KiB message could inflate
// to over a million of them.
inline constexpr std::size_t MaxGameSetSize = 1024u * 1024u;

// Largest bitmap we decode from a theme library, in pixels. Main bitmaps are
// a few hundred pixels a side and skin images at most a screen; 4096 x 4096
// is far above both, yet keeps a hostile 1-bit image of a few megabytes from
// unpacking into gigabytes of pixels.
inline constexpr std::size_t MaxBitmapPixels = 4096u * 4096u;

// Repeats of one held key that a single key poll may emit. A late poll replays the repeats it
// missed; after a stall of seconds (a suspended machine, a debugger) with a 1 ms interval that
// would be thousands of moves at once. 64 covers any real delay of the 5 ms poll with the
// shortest sensible interval and still ends at once.
inline constexpr int MaxKeyRepeatsPerPoll = 64;

// Key material of the scrambled server links. Each byte b of a stream is
// XORed with bits 16-23 of a running key K, then K becomes
// (K div (plain b + 1)) * Mul + Add, K signed, wrapping. The game link
// unscrambles with (ScrambleMulA, ScrambleAddA) and scrambles with
// (ScrambleMulB, ScrambleAddB); the master server link uses the pairs the
// other way round. Any odd multiplier keeps the state from collapsing to a
// short cycle; the increments are odd so that a division result of 0 still
// moves the state. The pairs are two well-known full-period LCG steps
// (Microsoft C rand and Borland C rand), chosen so the servers can be checked
// against published sequences. They are fixed at build time: the client never
// changes them, and the test servers in tests/peers/ read the same four.
inline constexpr std::uint32_t ScrambleMulA = 214013u;
inline constexpr std::uint32_t ScrambleAddA = 2531011u;
inline constexpr std::uint32_t ScrambleMulB = 22695477u;
inline constexpr std::uint32_t ScrambleAddB = 1u;

// Key mixing (KeyMix): from the state bytes s0..s3 and value bytes v0..v3
// (least significant first) four bytes are derived, each step modulo 256:
//   d0 = s0 + v3 + KeyMixC0
//   d1 = s1 - v2 + d0 + KeyMixC1
//   d2 = s2 + v1 - d1 + KeyMixC2
//   d3 = s3 - v0 + d2 + KeyMixC3
// and state = state XOR value XOR (d0 | d1 << 8 | d2 << 16 | d3 << 24).
// Crossing state and value bytes end to end makes every value byte reach
// every derived byte; the constants are arbitrary non-zero bytes with both
// halves set, so an all-zero state and value still mix to a non-zero key.
inline constexpr std::uint8_t KeyMixC0 = 0x5B;
inline constexpr std::uint8_t KeyMixC1 = 0x2D;
inline constexpr std::uint8_t KeyMixC2 = 0x8F;
inline constexpr std::uint8_t KeyMixC3 = 0xC6;

// The value mixed into the game send key at the seed exchange while the
// master server link is up: the game server's IPv4 address A (first dotted
// number in the low byte: the address bytes in network order read as a
// little-endian word) and the lobby key L the lobby handed over with the join
// request:
//   (A << AddrKeyShiftA) ^ (A >> (32 - AddrKeyShiftA)) ^ L ^ (L >> AddrKeyShiftL)
// A rotation keeps all address bits; the shifted lobby key spreads its high
// bits downwards. Both sides compute it, so it proves that the client came
// through the lobby to this very server.
inline constexpr int AddrKeyShiftA = 7;
inline constexpr int AddrKeyShiftL = 11;

// Longest game message body: the length field of a frame is 16 bits.
inline constexpr std::size_t MaxGameFrameBody = 65535u;
// A server text line (before the binary phase) may be at most this long
// without its CR LF.
inline constexpr std::size_t MaxGameTextLine = 1000u;
// Where the client looks for a newer version after a game server answered
// "update". The name is the deployment's to change.
inline constexpr const char* UpdateServerHost = "update.pelkorin.net";
inline constexpr int UpdateServerPort = 16705;
// The master server the client logs in to unless "-ms" names another: our
// own machine, where the scripted master server of tests/peers listens when
// started by hand. A deployment sets its own host here.
inline constexpr const char* DefaultMasterServerHost = "127.0.0.1";
inline constexpr int DefaultMasterServerPort = 16803;
// Seconds a connect to a server may take.
inline constexpr int ConnectTimeoutSeconds = 30;
// Seconds the client may take to close in order after SIGTERM or SIGINT before the process ends
// at once: the close saves a small configuration file, which takes far less; a session that
// ends must not wait for a client that hangs.
inline constexpr unsigned TerminationGraceSeconds = 1;

// The update client and the patch applier. Everything they read comes from an
// update server that only a CRC of its own vouches for, so every size is capped.
// A whole patch: real patches are a few megabytes; 256 MiB leaves room for a
// full reinstall and still fits in memory, where the patch is read whole.
inline constexpr std::int64_t MaxPatchSize = 256 * 1024 * 1024;
// One file a patch builds (inflated new file, rebuilt file, difference stream):
// the client's largest file is its theme library, far below this.
inline constexpr std::size_t MaxPatchedFileSize = 256u * 1024u * 1024u;
// Longest name of a file in a patch, in bytes.
inline constexpr std::size_t MaxPatchNameLength = 1024u;
// Text the update server may send before "start" without ending a message:
// its messages are a keyword and two words.
inline constexpr std::size_t MaxUpdateTextSize = 64u * 1024u;
// Redirects one update run follows: a server chain longer than this is a loop.
inline constexpr int MaxUpdateRedirects = 5;
// Seconds the updater waits for the client to exit before it gives up and
// leaves the queue for the next run.
inline constexpr int UpdaterExitWaitSeconds = 120;
// Longest pause the updater accepts in a "run" line, in milliseconds.
inline constexpr int MaxUpdaterRunDelayMs = 10000;

// ---- The master-server (lobby) link ---------------------------------------
//
// Login: the client sends "login 136 <LobbyExchangeVersion> <account> <masked password>".
// The second number names the key exchange below, so that a server that speaks another one
// answers "update" instead of failing on garbage.
//
// Key exchange, between the server's "ok" line and the first frame (the welcome):
//   1. On "ok" the client sends its exchange value C: four bytes, least significant first,
//      unscrambled. C is drawn at random from 1 .. 2147483646 at every connect.
//   2. On receiving C the server sends its own random value S the same way.
//   3. Both sides take the transcript T: every text line sent and received with its CR LF
//      (the login line, the "ok" line), then C's four bytes, then S's, in that order, and
//      derive with KeyMix (value, state):
//        client-to-server key = KeyMix(StringCrc32(T), KeyMix(S, C))
//        server-to-client key = KeyMix(StringCrc32(T), KeyMix(C, S))
//      A key that comes out 0 becomes LobbyZeroKeyStandIn, so neither key is ever 0.
//   4. From then on the link is framed (an explicit flag, not "both keys non-zero"):
//      client-to-server bytes scramble with (ScrambleMulA, ScrambleAddA), server-to-client
//      bytes with (ScrambleMulB, ScrambleAddB). The first frame from the server must be the
//      welcome (26); once it is read the client mixes the welcome number W into its receive
//      key, key = KeyMix(W, key), and the server does the same to its send key after sending it.
// Each side contributes a fresh value, so neither can replay an old session's keys; the
// transcript ties the keys to the exact login that was made. Nothing framed is sent before
// step 4: there is no key to scramble it with.
inline constexpr std::uint32_t LobbyExchangeVersion = 1u;
// Any fixed non-zero value would do; this one has bits set in every byte.
inline constexpr std::uint32_t LobbyZeroKeyStandIn = 0x6A09E667u;
// Largest exchange value (the values are below 2^31 - 1).
inline constexpr std::uint32_t LobbyExchangeValueMax = 2147483646u;

// A text reply from the master server may be at most this long without its CR LF.
inline constexpr std::size_t MaxLobbyTextLine = 1000u;
// Longest lobby message body (code byte and payload): the frame's length field is 16 bits.
inline constexpr std::size_t MaxLobbyFrameBody = 65535u;
// The link is given up when the server has not pinged for more than this many seconds.
inline constexpr int LobbyKeepAliveSeconds = 60;
// Connection attempts in login mode before the client gives up and says so.
inline constexpr int LobbyMaxTries = 5;

// Recent private-message senders kept for the reply and completion keys. A
// player cycles through a handful; a server sending endless new names must
// not grow the list without end.
inline constexpr std::size_t MaxRecentPrivateNames = 32u;

// The least contrast (the WCAG 2 ratio of relative luminances, 1 to 21) that text drawn in a
// palette's colours must have on its ground before that colour is darkened or lightened. 3 is
// the ratio asked of large text and of parts of a control one must see; the lobby's list rows
// are short names and captions, and a higher bar would turn the greyed names of offline friends
// as dark as everyone else's.
inline constexpr double MinTextContrast = 3.0;

// The client reads a theme library a part at a time, so that a library of any size costs only
// what it lists or loads. The texts of one entry before its block (group path, Theme ID list,
// information, references, skin lists) may take at most this many bytes together; an entry
// with longer texts is read as damage. No theme author writes scripts of megabytes.
inline constexpr std::size_t MaxKlbEntryTexts = 4u << 20;

// Lines a chat text box keeps; older ones are dropped. A long session in a busy room must
// not grow a box without end, and a few hours of chat still fit.
inline constexpr std::size_t TextBoxMaxLines = 5000u;

// The region pinger: a try that has not been answered this long after its connect started
// counts as failed; the deadlines are checked this often; at most this many pings run at once
// whatever the option says; a region given up without any answer shows this time.
inline constexpr int RegionPingTimeoutMs = 3000;
inline constexpr int RegionPingTimerMs = 250;
inline constexpr int MaxConcurrentPings = 32;
inline constexpr std::int32_t NoPingTime = 9999;

// Rows and tables read from the master server's lists and records: enough for any real list,
// bounded so that a hostile record cannot make the client build huge grids.
inline constexpr std::size_t MaxStatusListRows = 10000u;
inline constexpr int MaxTableCount = 64;
inline constexpr int MaxTableHeadings = 256;
inline constexpr int MaxTableLines = 10000;
inline constexpr int MaxDbResultRows = 10000;
// Column widths and row heights a server may ask for, in pixels.
inline constexpr int MinTableCellSize = 4;
inline constexpr int MaxTableCellSize = 2000;

// The last game's statistics table: columns a server may send, the widest column in pixels;
// and the largest existing log file the player's "Save log to..." appends to.
inline constexpr int MaxStatsColumns = 64;
inline constexpr int MaxStatsColumnWidth = 2000;
inline constexpr std::size_t MaxStatsLogFileSize = 64u * 1024u * 1024u;

// What a theme's main bitmap may set before the client refuses it: a field of at least four
// cells each way (a piece must fit), block sizes up to 64 pixels and a minimum window of up
// to 8192 pixels each way. Anything beyond is a broken or hostile theme, not a design.
inline constexpr int MinThemeFieldCells = 4;
inline constexpr int MaxThemeBlockSize = 64;
inline constexpr int MaxThemeWindowSize = 8192;

}  // namespace pk
