// Layout numbers of the Jet 4 file format (Access 2000-2003), in one place so
// that every layer reads the same offsets. Multi-byte values are little-endian.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mdb::jet4 {

inline constexpr std::size_t kPageSize = 4096;

// Byte 0 of every page.
enum PageType : uint8_t {
    kPageHeader = 0x00,
    kPageData = 0x01,
    kPageTdef = 0x02,
    kPageIndexNode = 0x03,
    kPageIndexLeaf = 0x04,
    kPageUsageMap = 0x05,
};
// Byte 1 of every page but the header.
inline constexpr std::size_t kPageSignature = 1;
inline constexpr uint8_t kPageSignatureValue = 0x01;

// Page 0 (database header).
inline constexpr std::size_t kHdrEngineName = 0x04;
inline constexpr std::size_t kHdrVersion = 0x14;
inline constexpr uint32_t kVersionJet4 = 1;
inline constexpr std::size_t kHdrMaskedStart = 0x18; // RC4-masked area, 128 bytes
inline constexpr std::size_t kHdrMaskedLength = 128;
inline constexpr std::size_t kHdrCodePage = 0x3C;
inline constexpr std::size_t kHdrDatabaseKey = 0x3E;
inline constexpr std::size_t kHdrPassword = 0x42; // 40 bytes of UCS-2, masked
inline constexpr std::size_t kHdrPasswordLength = 40;
inline constexpr std::size_t kHdrSortOrder = 0x6E;
inline constexpr std::size_t kHdrCreationDate = 0x72;

// Data pages (also page 1 and the pages holding usage-map rows).
inline constexpr std::size_t kDataFreeSpace = 2;
inline constexpr std::size_t kDataOwner = 4;
inline constexpr std::size_t kDataRowCount = 12;
inline constexpr std::size_t kDataRowTable = 14;
inline constexpr uint16_t kRowDeleted = 0x8000;
inline constexpr uint16_t kRowLookup = 0x4000;
inline constexpr uint16_t kRowOffsetMask = 0x1FFF;
inline constexpr std::size_t kMaxRowsPerPage = 255;
inline constexpr std::size_t kMaxRowSize = 4060;
inline constexpr std::size_t kEmptyDataPageFree = kPageSize - kDataRowTable;

// Table definition pages.
inline constexpr std::size_t kTdefFreeSpace = 2;
inline constexpr std::size_t kTdefNextPage = 4;
inline constexpr std::size_t kTdefLength = 8;
inline constexpr std::size_t kTdefMagic = 12;
inline constexpr std::size_t kTdefRowCount = 16;
inline constexpr std::size_t kTdefAutoNumber = 20;
inline constexpr std::size_t kTdefFlag = 24;
inline constexpr std::size_t kTdefTableType = 40;
inline constexpr std::size_t kTdefMaxCols = 41;
inline constexpr std::size_t kTdefNumVarCols = 43;
inline constexpr std::size_t kTdefNumCols = 45;
inline constexpr std::size_t kTdefNumLogicalIndexes = 47;
inline constexpr std::size_t kTdefNumRealIndexes = 51;
inline constexpr std::size_t kTdefOwnedMap = 55;
inline constexpr std::size_t kTdefFreeMap = 59;
inline constexpr std::size_t kTdefRealIndexInfo = 63;
inline constexpr uint32_t kTdefMagicValue = 1625;
inline constexpr uint8_t kTableTypeUser = 0x4E;
inline constexpr uint8_t kTableTypeSystem = 0x53;
// A definition leaves at least this many bytes of its page unused, and the
// free-space field does not count them.
inline constexpr std::size_t kTdefTailReserve = 8;
inline constexpr uint16_t kTdefTrailer = 0xFFFF;
// After the header, blocks of each kind follow one another in this order:
// real-index counts, columns, column names, real indexes, logical indexes,
// logical index names, long-value maps, then the trailer. Names are a 16-bit
// byte length and UTF-16LE. Offsets below are within one block.

// Real-index counts, one per real index.
inline constexpr std::size_t kRealIndexInfoSize = 12;
inline constexpr std::size_t kRealInfoRowCount = 0;
inline constexpr std::size_t kRealInfoUniqueEntries = 4;
inline constexpr std::size_t kRealInfoReserved = 8;

// Columns.
inline constexpr std::size_t kColumnBlockSize = 25;
inline constexpr std::size_t kColType = 0;
inline constexpr std::size_t kColMagic = 1; // Jet repeats kTdefMagicValue here
inline constexpr std::size_t kColNumber = 5;
inline constexpr std::size_t kColVarIndex = 7;
inline constexpr std::size_t kColNumber2 = 9;
inline constexpr std::size_t kColSortOrder = 11;
inline constexpr std::size_t kColFlags = 15;
inline constexpr std::size_t kColExtFlags = 16;
inline constexpr std::size_t kColReserved = 17;
inline constexpr std::size_t kColFixedOffset = 21;
inline constexpr std::size_t kColLength = 23;

// Real indexes: ten slots of (column number, 16 bits; order, 8 bits).
inline constexpr std::size_t kRealIndexBlockSize = 52;
inline constexpr uint32_t kRealIndexMagic = 1923;
inline constexpr std::size_t kRealMagic = 0;
inline constexpr std::size_t kRealColumns = 4;
inline constexpr std::size_t kIndexColumnSlots = 10;
inline constexpr std::size_t kIndexColumnSlotSize = 3;
inline constexpr std::size_t kSlotColumn = 0;
inline constexpr std::size_t kSlotOrder = 2;
inline constexpr std::size_t kRealUsageMap = 34;
inline constexpr std::size_t kRealRootPage = 38;
inline constexpr std::size_t kRealReserved = 42;
inline constexpr std::size_t kRealFlags = 46;

// Logical indexes.
inline constexpr std::size_t kLogicalIndexBlockSize = 28;
inline constexpr std::size_t kLogicalMagic = 0; // kTdefMagicValue
inline constexpr std::size_t kLogicalNumber = 4;
inline constexpr std::size_t kLogicalRealIndex = 8;
inline constexpr std::size_t kLogicalRelatedTableType = 12;
inline constexpr std::size_t kLogicalRelatedIndex = 13;
inline constexpr std::size_t kLogicalRelatedTablePage = 17;
inline constexpr std::size_t kLogicalCascadeUpdates = 21;
inline constexpr std::size_t kLogicalCascadeDeletes = 22;
inline constexpr std::size_t kLogicalIndexType = 23;
inline constexpr std::size_t kLogicalReserved = 24;

// Long-value maps, one per Memo or OLE column.
inline constexpr std::size_t kLongValueMapsBlockSize = 10;
inline constexpr std::size_t kLvColumn = 0;
inline constexpr std::size_t kLvOwnedMap = 2;
inline constexpr std::size_t kLvFreeMap = 6;

// Column types.
enum ColumnType : uint8_t {
    kTypeBoolean = 0x01,
    kTypeByte = 0x02,
    kTypeInteger = 0x03,
    kTypeLong = 0x04,
    kTypeCurrency = 0x05,
    kTypeSingle = 0x06,
    kTypeDouble = 0x07,
    kTypeDateTime = 0x08,
    kTypeBinary = 0x09,
    kTypeText = 0x0A,
    kTypeOle = 0x0B,
    kTypeMemo = 0x0C,
    kTypeGuid = 0x0F,
    kTypeNumeric = 0x10,
};

inline constexpr uint8_t kColumnFixed = 0x01;
inline constexpr uint8_t kColumnUpdatable = 0x02;
inline constexpr uint8_t kColumnExtCompressedUnicode = 0x01;

// Usage maps.
inline constexpr uint8_t kMapInline = 0x00;
inline constexpr uint8_t kMapReference = 0x01;
inline constexpr std::size_t kTableMapRowLength = 69; // 1 + 4 + 64
inline constexpr std::size_t kMapPageBitmapStart = 4;
inline constexpr std::size_t kPagesPerMapPage = (kPageSize - kMapPageBitmapStart) * 8;

// Index leaf pages.
inline constexpr std::size_t kLeafOwner = 4;
inline constexpr std::size_t kLeafFreeSpace = 2;
inline constexpr std::size_t kLeafBitmap = 0x1B;
inline constexpr std::size_t kLeafEntries = 0x1E0;

// Catalog (MSysObjects) constants.
inline constexpr uint32_t kCatalogTdefPage = 2;
inline constexpr uint32_t kGlobalMapPage = 1;
inline constexpr int32_t kTablesContainerId = 0x0F000001;
inline constexpr int16_t kObjectTypeTable = 1;

} // namespace mdb::jet4
