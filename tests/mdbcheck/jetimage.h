// A read-only view of a Jet 4 file for the structural checker: pages, usage
// maps, table definitions and rows, decoded from the bytes with no help from
// the engine in mdb/, so that a misreading of the format in one place shows
// up as a disagreement with the other.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace mdbcheck {

using Bytes = std::vector<uint8_t>;

// Layout numbers of Jet 4, in one place.
namespace jet4 {
constexpr size_t kPageSize = 4096;
constexpr uint8_t kPageHeader = 0x00;
constexpr uint8_t kPageData = 0x01;
constexpr uint8_t kPageTdef = 0x02;
constexpr uint8_t kPageIndexNode = 0x03;
constexpr uint8_t kPageIndexLeaf = 0x04;
constexpr uint8_t kPageUsageMap = 0x05;

constexpr uint32_t kTdefMagic = 1625;
constexpr uint32_t kRealIndexMagic = 1923;
constexpr size_t kDataRowTable = 14; // slot table start on a data page
constexpr uint16_t kOffsetMask = 0x1FFF;
constexpr uint16_t kFlagDeleted = 0xC000; // Access and Jackcess both set both bits
constexpr uint16_t kFlagHigh = 0x8000;
constexpr uint16_t kFlagLow = 0x4000;

// TDEF offsets
constexpr size_t kTdefNextPage = 4;
constexpr size_t kTdefLen = 8;
constexpr size_t kTdefMagicAt = 12;
constexpr size_t kTdefRowCount = 16;
constexpr size_t kTdefTableType = 40;
constexpr size_t kTdefMaxCols = 41;
constexpr size_t kTdefNumVarCols = 43;
constexpr size_t kTdefNumCols = 45;
constexpr size_t kTdefNumIdx = 47;
constexpr size_t kTdefNumRealIdx = 51;
constexpr size_t kTdefOwnedMap = 55;
constexpr size_t kTdefFreeMap = 59;
constexpr size_t kTdefRealIdxCounts = 63;
constexpr size_t kRealIdxCountSize = 12;
constexpr size_t kColumnBlockSize = 25;
constexpr size_t kRealIndexBlockSize = 52;
constexpr size_t kLogicalIndexBlockSize = 28;
constexpr size_t kLongValueMapSize = 10;

// Index leaf pages
constexpr size_t kIndexPrefixLen = 24;
constexpr size_t kIndexBitmap = 0x1B;
constexpr size_t kIndexEntries = 0x1E0;

// A reference map's bitmap page covers this many pages: (4096 - 4) * 8.
constexpr uint32_t kPagesPerMapPage = 32736;

// Catalog
constexpr uint32_t kCatalogPage = 2;
constexpr int32_t kTablesContainer = 0x0F000001;
constexpr int16_t kTypeTable = 1;
} // namespace jet4

// A structural fault that stops decoding of one element.
class FormatError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

uint16_t le16(std::span<const uint8_t> b, size_t off);
uint32_t le32(std::span<const uint8_t> b, size_t off);
double leDouble(std::span<const uint8_t> b, size_t off);
std::string utf16ToUtf8(std::span<const uint8_t> b);
void appendUtf8(std::string& out, uint32_t codePoint);

// RC4 keystream XOR (encryption and decryption are the same).
void rc4Xor(std::span<const uint8_t> key, std::span<uint8_t> data);

// Page and row of a stored "page:row" pointer (row in the low byte).
struct RowPointer {
    uint32_t page = 0;
    uint8_t row = 0;
    static RowPointer fromRaw(uint32_t raw) { return {raw >> 8, uint8_t(raw & 0xFF)}; }
};

struct RowSlot {
    uint16_t raw = 0;
    uint16_t start = 0;
    uint16_t end = 0; // exclusive
    bool deleted() const { return (raw & jet4::kFlagDeleted) == jet4::kFlagDeleted; }
    bool flagged() const { return (raw & jet4::kFlagDeleted) != 0; }
    size_t length() const { return end > start ? end - start : 0; }
};

struct DataPage {
    uint16_t freeSpace = 0;
    uint32_t owner = 0;
    uint32_t reserved = 0;
    std::vector<RowSlot> slots;
};

struct UsageMap {
    RowPointer where;
    uint8_t type = 0;                  // 0 inline, 1 reference
    uint32_t startPage = 0;            // inline only
    uint32_t windowPages = 0;          // inline only: pages covered from startPage
    std::vector<uint32_t> bitmapPages; // reference only, nonzero pointers
    std::set<uint32_t> pages;
};

struct Column {
    uint8_t type = 0;
    uint16_t number = 0;
    uint16_t varIndex = 0;
    uint16_t number2 = 0;
    uint8_t flags = 0;
    uint8_t extFlags = 0;
    uint16_t fixedOffset = 0;
    uint16_t length = 0;
    std::string name;
    bool fixed() const { return (flags & 0x01) != 0; }
    bool boolean() const { return type == 0x01; }
    bool longValue() const { return type == 0x0B || type == 0x0C; }
};

struct RealIndex {
    std::vector<std::pair<uint16_t, uint8_t>> columns; // column number, order (1 asc)
    uint32_t mapPointer = 0;
    uint32_t rootPage = 0;
    uint8_t flags = 0;
    uint32_t firstCount = 0;
    uint32_t uniqueCount = 0;
};

struct LogicalIndex {
    uint32_t magic = 0;
    uint32_t number = 0;
    uint32_t realIndex = 0;
    uint8_t type = 0;
    std::string name;
};

struct LongValueMaps {
    uint16_t column = 0;
    uint32_t owned = 0;
    uint32_t free = 0;
};

struct TableDef {
    uint32_t page = 0;
    std::vector<uint32_t> continuation;
    uint16_t freeField = 0;
    uint32_t tdefLen = 0;
    uint32_t magic = 0;
    uint32_t rowCount = 0;
    uint8_t tableType = 0;
    uint16_t maxCols = 0;
    uint16_t numVarCols = 0;
    uint16_t numCols = 0;
    uint32_t numIdx = 0;
    uint32_t numRealIdx = 0;
    uint32_t ownedMap = 0;
    uint32_t freeMap = 0;
    std::vector<Column> columns; // in stored order
    std::vector<RealIndex> realIndexes;
    std::vector<LogicalIndex> logicalIndexes;
    std::vector<LongValueMaps> longValueMaps;
    size_t parsedEnd = 0; // where the FF FF trailer was expected
    bool trailerFound = false;

    const Column* column(const std::string& name) const;
    const Column* columnNumber(uint16_t number) const;
    size_t fixedAreaSize() const;
};

// One decoded row: raw bytes per column number, nullopt for null. Booleans
// carry one byte, 1 or 0, from the null mask.
struct Row {
    RowPointer where;
    std::map<uint16_t, std::optional<Bytes>> values;
};

class Image {
public:
    explicit Image(Bytes bytes);
    static Image fromFile(const std::string& path);

    size_t sizeBytes() const { return m_bytes.size(); }
    uint32_t pageCount() const { return uint32_t(m_bytes.size() / jet4::kPageSize); }
    // Throws FormatError when the page is past the end of the file.
    std::span<const uint8_t> page(uint32_t n) const;
    uint8_t pageType(uint32_t n) const { return page(n)[0]; }

    DataPage dataPage(uint32_t n) const;
    std::span<const uint8_t> rowBytes(RowPointer p) const;
    UsageMap usageMap(uint32_t rawPointer) const;
    TableDef tableDef(uint32_t page) const;
    Row decodeRow(const TableDef& t, RowPointer where) const;
    // Every live row of the table, in owned-map page order and slot order.
    std::vector<Row> liveRows(const TableDef& t) const;

private:
    Bytes m_bytes;
};

// Value accessors for decoded rows (nullopt when null or of the wrong size).
std::optional<int32_t> asLong(const Row& r, const Column* c);
std::optional<int16_t> asInteger(const Row& r, const Column* c);
std::optional<double> asDouble(const Row& r, const Column* c);
std::optional<std::string> asText(const Row& r, const Column* c);

} // namespace mdbcheck
