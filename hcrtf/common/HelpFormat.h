#pragma once

#include <cstddef>
#include <cstdint>

// The numbers of the WinHelp file format, which the compiler writes and the
// reader checks. Every integer is little-endian; "compressed" numbers are the
// variable-length forms of ByteReader and ByteWriter.
namespace hcrtf {

// ---- The container -------------------------------------------------------
// A help file is a small file system: a 16-byte header (magic, offset of the
// internal directory, first free block or -1, file size), then internal files
// whose names start with '|' ("|SYSTEM", "|TOPIC", "|bm0"), each behind a
// 9-byte header: bytes reserved (header included; viewers check that it is
// at least used + 9), bytes used, a flags byte.
inline constexpr std::uint32_t kHelpFileMagic = 0x00035F3F;
inline constexpr std::size_t kHelpFileHeaderSize = 16;
inline constexpr std::uint32_t kNoFreeBlock = 0xFFFFFFFF;
inline constexpr std::size_t kInternalFileHeaderSize = 9;
inline constexpr std::uint8_t kInternalFileFlagsPlain = 0;
inline constexpr std::uint8_t kInternalFileFlagsDirectory = 4;

// ---- B+ trees ------------------------------------------------------------
// The directory and the look-up files are B+ trees: a 38-byte header (magic,
// flags, page size, a 16-byte string naming the entry layout, a zero, page
// splits, root page, -1, page count, levels, entry count) and then the
// pages. A leaf page starts with 8 bytes (free bytes, entries, previous and
// next leaf, -1 at either end), an index page with 6 (free bytes, entries,
// first child), followed by key and child page for every further child. Page
// numbers are signed 16-bit numbers.
inline constexpr std::uint16_t kBTreeMagic = 0x293B;
inline constexpr std::size_t kBTreeHeaderSize = 38;
inline constexpr std::size_t kBTreeLayoutSize = 16;
inline constexpr std::size_t kBTreeLeafHeaderSize = 8;
inline constexpr std::size_t kBTreeIndexHeaderSize = 6;
inline constexpr std::uint16_t kBTreeNoPage = 0xFFFF;
inline constexpr std::size_t kBTreeMaxPages = 0x7FFF;
// The directory: file names (layout "z4": a NUL-terminated name, then the
// offset of the file's header) in byte order, 1 KiB pages.
inline constexpr std::uint16_t kDirectoryTreeFlags = 0x0402;
inline constexpr std::uint16_t kDirectoryPageSize = 0x0400;
inline constexpr const char* kDirectoryLayout = "z4";
// |CONTEXT ("L4": hash, topic offset), |TTLBTREE ("Lz": topic offset,
// title) and |KWBTREE ("F24": keyword, count, offset into |KWDATA) use 2 KiB
// pages.
inline constexpr std::uint16_t kIndexTreeFlags = 0x0002;
inline constexpr std::uint16_t kIndexPageSize = 0x0800;
inline constexpr const char* kContextLayout = "L4";
inline constexpr const char* kTitleLayout = "Lz";
inline constexpr const char* kKeywordLayout = "F24";

// ---- |SYSTEM -------------------------------------------------------------
// A 12-byte header (magic, minor and major version, creation time, flags),
// then records of a 16-bit type and a 16-bit length. Minor 16 and below are
// Windows 3.0 files, which have a title in place of records and 2 KiB topic
// blocks stored as they are; 21 is WinHelp 3.1, 33 WinHelp 4.
inline constexpr std::uint16_t kSystemMagic = 0x036C;
inline constexpr std::uint16_t kSystemMajor = 1;
inline constexpr std::uint16_t kSystemMinorWin30 = 16;
inline constexpr std::uint16_t kSystemMinorWin4 = 33;
// Flags of newer files: 0 stores 4 KiB topic blocks as they are, 4 packs
// them with LZ77, 8 packs 2 KiB blocks with LZ77.
inline constexpr std::uint16_t kSystemFlagsStored = 0;
inline constexpr std::uint16_t kSystemFlagsLz77 = 4;
inline constexpr std::uint16_t kSystemFlagsLz77SmallBlocks = 8;
// Record types. Strings end in a NUL (some compilers leave it out).
inline constexpr std::uint16_t kSystemTitle = 1;
inline constexpr std::uint16_t kSystemCopyright = 2;
inline constexpr std::uint16_t kSystemContents = 3;          // topic offset of the contents
inline constexpr std::uint16_t kSystemMacro = 4;             // one start-up macro per record
inline constexpr std::uint16_t kSystemWindow = 6;            // a window record, below
inline constexpr std::uint16_t kSystemCitation = 8;
inline constexpr std::uint16_t kSystemLcid = 9;              // 8 bytes, then the language id
inline constexpr std::uint16_t kSystemContentsFile = 10;     // the .cnt file
inline constexpr std::uint16_t kSystemCharset = 11;          // 16 bits, 0 for ANSI
inline constexpr std::uint16_t kSystemDefaultFont = 12;      // size, charset, face name
inline constexpr std::uint16_t kSystemIndexSeparators = 14;
// A window record is 90 bytes: flags saying which fields hold values, the
// type ("main" or "secondary"), the name and the caption in NUL-padded
// fields, x, y, width and height (0..1023 of the screen), the maximize state
// and two colours (0x00BBGGRR), of the scrolling and the non-scrolling region.
inline constexpr std::size_t kWindowRecordSize = 90;
inline constexpr std::size_t kWindowTypeSize = 10;
inline constexpr std::size_t kWindowNameSize = 9;
inline constexpr std::size_t kWindowCaptionSize = 51;
inline constexpr std::uint16_t kWindowHasType = 0x0001;
inline constexpr std::uint16_t kWindowHasName = 0x0002;
inline constexpr std::uint16_t kWindowHasCaption = 0x0004;
inline constexpr std::uint16_t kWindowHasX = 0x0008;
inline constexpr std::uint16_t kWindowHasY = 0x0010;
inline constexpr std::uint16_t kWindowHasWidth = 0x0020;
inline constexpr std::uint16_t kWindowHasHeight = 0x0040;
inline constexpr std::uint16_t kWindowHasMaximize = 0x0080;
inline constexpr std::uint16_t kWindowHasScrollingColour = 0x0100;
inline constexpr std::uint16_t kWindowHasNonScrollingColour = 0x0200;

// ---- |TOPIC --------------------------------------------------------------
// Blocks of 4 KiB (2 KiB, see the |SYSTEM flags), each a 12-byte header (the
// last record started in an earlier block, the first record starting in this
// one, the last topic header started before this one) and then data, stored
// or LZ77-packed; a block's data unpacks to at most 16 KiB. The data of all
// blocks is one stream of records (TOPICLINKs), each chained to the ones
// before and after it.
inline constexpr std::size_t kTopicBlockSize = 0x1000;
inline constexpr std::size_t kTopicSmallBlockSize = 0x800;
inline constexpr std::size_t kTopicBlockHeaderSize = 12;
inline constexpr std::size_t kTopicBlockMaxUnpacked = 0x4000;
// Two kinds of address point into |TOPIC. A TOPICPOS names a record: block
// number * 0x4000 + 12 + its offset in the block's unpacked data, so the
// first record is at 12. A TOPICOFFSET names a place in the text: block
// number * 0x8000 + the characters of text records before it in the block.
// Both are 32 bits, which limits a file to 2^17 blocks. -1 stands for none.
inline constexpr std::uint32_t kTopicPosBlockStep = 0x4000;
inline constexpr std::uint32_t kTopicOffsetBlockStep = 0x8000;
inline constexpr std::uint32_t kFirstTopicPos = kTopicBlockHeaderSize;
inline constexpr std::size_t kMaxTopicBlocks = 0x20000;
inline constexpr std::uint32_t kNoTopic = 0xFFFFFFFF;
// A record is a 21-byte link header (size of the whole record, DataLen2,
// previous and next record, DataLen1 counting the link header, record type),
// LinkData1 and then LinkData2, the text, whose stored size may be less than
// DataLen2 when the text is phrase-compressed.
inline constexpr std::size_t kTopicLinkHeaderSize = 21;
inline constexpr std::size_t kTopicLinkPreviousField = 8;  // offset of "previous", "next" follows
inline constexpr std::uint8_t kRecordOldText = 0x01;       // WinHelp 3.0
inline constexpr std::uint8_t kRecordTopicHeader = 0x02;
inline constexpr std::uint8_t kRecordText = 0x20;
inline constexpr std::uint8_t kRecordTable = 0x23;
// A topic header's LinkData1: the topic's size, previous and next topic of
// its browse sequence (topic offsets), topic number, the first record of its
// non-scrolling and of its scrolling region, and the next topic header
// (TOPICPOS). Its LinkData2 holds the title and each entry macro, NUL apart.
inline constexpr std::size_t kTopicHeaderDataSize = 28;

// ---- Paragraphs (text and table records) ---------------------------------
// LinkData1 of a text record: two lengths (a compressed signed 32, then the
// record's share of topic offsets as a compressed unsigned 16, which is the
// length of its text), then the paragraph info: two bytes (0, 0x80), a
// 16-bit paragraph id, 16 bits saying which values follow, and those values
// (distances as compressed signed 16-bit numbers of half points, which are
// 10 twips).
inline constexpr std::uint8_t kParagraphInfoStart[] = {0x00, 0x80};
inline constexpr int kTwipsPerHalfPoint = 10;
inline constexpr std::uint16_t kParagraphUnknown = 0x0001;  // a compressed signed 32 follows
inline constexpr std::uint16_t kParagraphSpaceBefore = 0x0002;
inline constexpr std::uint16_t kParagraphSpaceAfter = 0x0004;
inline constexpr std::uint16_t kParagraphLineSpacing = 0x0008;
inline constexpr std::uint16_t kParagraphLeftIndent = 0x0010;
inline constexpr std::uint16_t kParagraphRightIndent = 0x0020;
inline constexpr std::uint16_t kParagraphFirstIndent = 0x0040;
inline constexpr std::uint16_t kParagraphBorder = 0x0100;  // border bits, then 16-bit width
inline constexpr std::uint16_t kParagraphTabs = 0x0200;    // count, then the stops
inline constexpr std::uint16_t kParagraphRight = 0x0400;
inline constexpr std::uint16_t kParagraphCentre = 0x0800;
inline constexpr std::uint16_t kParagraphKeep = 0x1000;
// A tab stop is a compressed unsigned 16 of its position; with 0x4000 set,
// another compressed unsigned 16 gives its kind (1 right, 2 centre).
inline constexpr std::uint16_t kTabStopHasKind = 0x4000;
inline constexpr std::uint16_t kTabStopPosition = 0x3FFF;
// Then the formatting commands: one byte each, with arguments, and each
// taking the place of one NUL in the text, which runs between them.
inline constexpr std::uint8_t kCommandField = 0x20;      // 32-bit field value
inline constexpr std::uint8_t kCommandDataType = 0x21;   // 16-bit
inline constexpr std::uint8_t kCommandFont = 0x80;       // 16-bit font descriptor number
inline constexpr std::uint8_t kCommandLineBreak = 0x81;
inline constexpr std::uint8_t kCommandParagraphEnd = 0x82;
inline constexpr std::uint8_t kCommandTab = 0x83;
inline constexpr std::uint8_t kCommandPictureInline = 0x86;  // picture reference, below
inline constexpr std::uint8_t kCommandPictureLeft = 0x87;
inline constexpr std::uint8_t kCommandPictureRight = 0x88;
inline constexpr std::uint8_t kCommandHotspotEnd = 0x89;
inline constexpr std::uint8_t kCommandNonBreakingSpace = 0x8B;
inline constexpr std::uint8_t kCommandNonBreakingHyphen = 0x8C;
inline constexpr std::uint8_t kCommandMacro = 0xC8;          // 16-bit length, the macro, NUL
inline constexpr std::uint8_t kCommandPopupAtOffset = 0xE0;  // 32-bit topic offset
inline constexpr std::uint8_t kCommandJumpAtOffset = 0xE1;
inline constexpr std::uint8_t kCommandPopup = 0xE2;          // 32-bit context hash
inline constexpr std::uint8_t kCommandJump = 0xE3;
inline constexpr std::uint8_t kCommandPopupExternal = 0xEA;  // 16-bit length, then the target
inline constexpr std::uint8_t kCommandJumpExternal = 0xEB;
inline constexpr std::uint8_t kCommandEnd = 0xFF;
// Hotspot commands come in pairs and variants: bit 0 set is a jump, clear a
// popup; bit 2 set (0xCC, 0xE6, 0xE7, 0xEE, 0xEF) shows the hotspot text in
// its own font rather than as a hotspot.
inline constexpr std::uint8_t kHotspotJumpBit = 0x01;
inline constexpr std::uint8_t kHotspotPlainBit = 0x04;
// The target of an external hotspot: a type byte, the context hash, then
// for type 1 a window number, for type 4 the help file's name, for type 6 a
// window name and the file's name, each NUL-terminated.
inline constexpr std::uint8_t kExternalWindowNumber = 1;
inline constexpr std::uint8_t kExternalFile = 4;
inline constexpr std::uint8_t kExternalWindowAndFile = 6;
// A picture command: a type byte, the size of what follows (compressed,
// signed 32), for type 0x22 a hotspot count (compressed, unsigned 16); for
// types 3 and 0x22 that is a 16-bit 0 and the N of the |bmN file.
inline constexpr std::uint8_t kPictureByNumber = 0x03;
inline constexpr std::uint8_t kPictureEmbeddedObject = 0x05;
inline constexpr std::uint8_t kPictureWithHotspots = 0x22;
// A table record's LinkData1 holds, after the record's lengths, the columns
// (count, table type, for the variable types the table's width, then width
// and gap of each column), then per cell its column, 16-bit 0, 8-bit 0 and a
// paragraph, and a 16-bit -1 after the last cell. Tables of types 0 and 2
// have a variable width: their widths are shares of 32767 of the window's
// width. Types 1 and 3 have a fixed width.
inline constexpr std::uint8_t kTableVariableWidth = 0;
inline constexpr std::uint8_t kTableFixedWidth = 1;
constexpr bool isVariableWidthTable(unsigned type) { return type == 0 || type == 2; }
inline constexpr std::int16_t kTableRowEnd = -1;
inline constexpr int kTableFullShare = 32767;
inline constexpr int kTableMaxColumns = 255;

// ---- |FONT ---------------------------------------------------------------
// An 8-byte header (face names, descriptors, offset of the face names,
// offset of the descriptors), the face names in fixed slots (32 bytes in the
// files WinHelp 4 compilers write), then 11-byte descriptors: attributes,
// size in half points, family, 16-bit face number, foreground and background
// colour as red, green, blue. Multimedia files put more in the header and
// use other descriptors.
inline constexpr std::uint16_t kFontHeaderSize = 8;
inline constexpr std::size_t kFontFaceSize = 32;
inline constexpr std::uint8_t kFontBold = 0x01;
inline constexpr std::uint8_t kFontItalic = 0x02;
inline constexpr std::uint8_t kFontUnderline = 0x04;
inline constexpr std::uint8_t kFontStrikeout = 0x08;
inline constexpr std::uint8_t kFontDoubleUnderline = 0x10;
inline constexpr std::uint8_t kFontSmallCaps = 0x20;

// ---- Pictures (|bmN) -----------------------------------------------------
// A 16-bit magic, the number of pictures (one per resolution) and the 32-bit
// offset of each. A picture starts with its type and packing bytes; a bitmap
// then gives compressed numbers (dpi x and y, planes, bit count, width,
// height, colours used, colours important, packed size, hotspot size), the
// offsets of its pixel and hotspot data from the type byte, and for DIBs of
// 8 bits and fewer its palette as blue, green, red, 0. Pixel rows run bottom
// up, each padded to 32 bits. Colours important 1 makes the last palette
// entry transparent.
inline constexpr std::uint16_t kPictureMagic = 0x506C;     // "lP", what compilers store
inline constexpr std::uint16_t kPictureMagicShg = 0x706C;  // "lp", hypergraphics files
inline constexpr std::uint8_t kPictureDdb = 5;
inline constexpr std::uint8_t kPictureDib = 6;
inline constexpr std::uint8_t kPictureMetafile = 8;
enum class PicturePacking : std::uint8_t {
  None = 0,
  RunLength = 1,
  Lz77 = 2,
  RunLengthThenLz77 = 3,  // run-length first, the result LZ77-packed
};

// ---- LZ77 and run-length packing -----------------------------------------
// LZ77: a flag byte governs the next eight items, lowest bit first; a clear
// bit is one literal byte, a set bit a 16-bit word of a distance back into
// the output (low 12 bits, minus one) and a length (top 4 bits, minus three).
inline constexpr std::size_t kLz77Window = 4096;
inline constexpr std::size_t kLz77MinMatch = 3;
inline constexpr std::size_t kLz77MaxMatch = 18;
// Run-length: a byte n with the top bit set copies the next n & 0x7F bytes,
// any other n repeats the next byte n times.
inline constexpr std::uint8_t kRunLengthCopy = 0x80;
inline constexpr std::size_t kRunLengthMax = 0x7F;

// ---- Phrase compression --------------------------------------------------
// |Phrases (WinHelp 3.1): phrase count, 0x0100, for minor versions above 16
// the unpacked size of the phrase text, then count + 1 16-bit offsets (from
// the start of the offsets) and the phrase text, LZ77-packed where there is
// an unpacked size. In the text, a byte c of 1..15 and the byte d after it
// stand for phrase (256 * c + d - 256) / 2, followed by a space when that
// number is odd.
inline constexpr std::uint16_t kPhrasesLayout = 0x0100;
inline constexpr std::uint8_t kPhrasesReferenceEnd = 0x10;
// |PhrIndex and |PhrImage (WinHelp 4): a 28-byte header (magic 1, phrase
// count, size of the index, size of the phrase text unpacked and stored, 0,
// the bits of the low part of each length, 0x4A00 beside them), then every
// phrase length minus one: its high part in unary (ones closed by a zero),
// then its low bits. |PhrImage holds the phrase texts one after the other.
// The text then is a byte code:
//   xxxxxxx0            phrase 0..127
//   xxxxxx01 yyyyyyyy   phrase 128 + 256 * (x >> 2) + y (up to 16511)
//   xxxxx011            the next x/8 + 1 bytes (1..32) as they are
//   xxxx0111            x/16 + 1 spaces
//   xxxx1111            x/16 + 1 NULs
inline constexpr std::uint32_t kPhrIndexMagic = 1;
inline constexpr std::size_t kPhrIndexHeaderSize = 28;
inline constexpr std::uint16_t kPhrIndexTrailer = 0x4A00;
inline constexpr std::size_t kPhraseCodeShortPhrases = 128;
inline constexpr std::size_t kMaxPhrases = kPhraseCodeShortPhrases + 64 * 256;
inline constexpr std::uint8_t kPhraseCodeLongPhrase = 0x01;  // low two bits
inline constexpr std::uint8_t kPhraseCodeLiterals = 0x03;    // low three bits
inline constexpr std::uint8_t kPhraseCodeSpaces = 0x07;      // low four bits
inline constexpr std::uint8_t kPhraseCodeNuls = 0x0F;        // low four bits
inline constexpr std::size_t kPhraseCodeMaxLiterals = 32;
inline constexpr std::size_t kPhraseCodeMaxFill = 16;

}  // namespace hcrtf
