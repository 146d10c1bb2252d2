#include "jetimage.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

namespace mdbcheck {

namespace {

void need(std::span<const uint8_t> b, size_t off, size_t len, const char* what)
{
    if (off > b.size() || len > b.size() - off)
        throw FormatError(std::string(what) + " runs past its buffer (offset " +
                          std::to_string(off) + ", " + std::to_string(len) + " bytes of " +
                          std::to_string(b.size()) + ")");
}

// Jet 4 "compressed unicode": after FF FE, single bytes are characters with a
// zero high byte and a 00 byte switches between one- and two-byte mode.
std::vector<uint16_t> textUnits(std::span<const uint8_t> b)
{
    std::vector<uint16_t> units;
    if (b.size() >= 2 && b[0] == 0xFF && b[1] == 0xFE) {
        bool compressed = true;
        size_t i = 2;
        while (i < b.size()) {
            if (b[i] == 0) {
                compressed = !compressed;
                ++i;
            } else if (compressed) {
                units.push_back(b[i++]);
            } else {
                if (i + 1 >= b.size())
                    throw FormatError("compressed text ends inside a character");
                units.push_back(uint16_t(b[i] | (b[i + 1] << 8)));
                i += 2;
            }
        }
        return units;
    }
    if (b.size() % 2 != 0)
        throw FormatError("UTF-16 text of odd length " + std::to_string(b.size()));
    for (size_t i = 0; i < b.size(); i += 2)
        units.push_back(uint16_t(b[i] | (b[i + 1] << 8)));
    return units;
}

} // namespace

void appendUtf8(std::string& out, uint32_t cp)
{
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

uint16_t le16(std::span<const uint8_t> b, size_t off)
{
    need(b, off, 2, "16-bit field");
    return uint16_t(b[off] | (b[off + 1] << 8));
}

uint32_t le32(std::span<const uint8_t> b, size_t off)
{
    need(b, off, 4, "32-bit field");
    return uint32_t(b[off]) | (uint32_t(b[off + 1]) << 8) | (uint32_t(b[off + 2]) << 16) |
           (uint32_t(b[off + 3]) << 24);
}

double leDouble(std::span<const uint8_t> b, size_t off)
{
    need(b, off, 8, "double field");
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i)
        v = (v << 8) | b[off + size_t(i)];
    double d;
    std::memcpy(&d, &v, sizeof d);
    return d;
}

std::string utf16ToUtf8(std::span<const uint8_t> b)
{
    std::vector<uint16_t> units = textUnits(b);
    std::string out;
    for (size_t i = 0; i < units.size(); ++i) {
        uint32_t cp = units[i];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        }
        appendUtf8(out, cp);
    }
    return out;
}

void rc4Xor(std::span<const uint8_t> key, std::span<uint8_t> data)
{
    uint8_t s[256];
    for (int i = 0; i < 256; ++i)
        s[i] = uint8_t(i);
    uint8_t j = 0;
    for (int i = 0; i < 256; ++i) {
        j = uint8_t(j + s[i] + key[size_t(i) % key.size()]);
        std::swap(s[i], s[j]);
    }
    uint8_t a = 0;
    uint8_t b = 0;
    for (uint8_t& byte : data) {
        a = uint8_t(a + 1);
        b = uint8_t(b + s[a]);
        std::swap(s[a], s[b]);
        byte ^= s[uint8_t(s[a] + s[b])];
    }
}

const Column* TableDef::column(const std::string& name) const
{
    for (const Column& c : columns)
        if (c.name == name)
            return &c;
    return nullptr;
}

const Column* TableDef::columnNumber(uint16_t number) const
{
    for (const Column& c : columns)
        if (c.number == number)
            return &c;
    return nullptr;
}

size_t TableDef::fixedAreaSize() const
{
    size_t end = 0;
    for (const Column& c : columns)
        if (c.fixed() && !c.boolean())
            end = std::max(end, size_t(c.fixedOffset) + c.length);
    return end;
}

Image::Image(Bytes bytes) : m_bytes(std::move(bytes)) {}

Image Image::fromFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw FormatError("cannot open " + path);
    Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return Image(std::move(bytes));
}

std::span<const uint8_t> Image::page(uint32_t n) const
{
    if (n >= pageCount())
        throw FormatError("page " + std::to_string(n) + " is past the end of the file (" +
                          std::to_string(pageCount()) + " pages)");
    return std::span<const uint8_t>(m_bytes).subspan(size_t(n) * jet4::kPageSize, jet4::kPageSize);
}

DataPage Image::dataPage(uint32_t n) const
{
    auto p = page(n);
    if (p[0] != jet4::kPageData)
        throw FormatError("page " + std::to_string(n) + " has type " + std::to_string(p[0]) +
                          ", not a data page");
    DataPage d;
    d.freeSpace = le16(p, 2);
    d.owner = le32(p, 4);
    d.reserved = le32(p, 8);
    uint16_t count = le16(p, 12);
    if (jet4::kDataRowTable + 2 * size_t(count) > jet4::kPageSize)
        throw FormatError("page " + std::to_string(n) + " claims " + std::to_string(count) +
                          " row slots");
    uint16_t end = uint16_t(jet4::kPageSize);
    for (uint16_t i = 0; i < count; ++i) {
        RowSlot s;
        s.raw = le16(p, jet4::kDataRowTable + 2 * size_t(i));
        s.start = s.raw & jet4::kOffsetMask;
        s.end = end;
        d.slots.push_back(s);
        end = s.start;
    }
    return d;
}

std::span<const uint8_t> Image::rowBytes(RowPointer ptr) const
{
    DataPage d = dataPage(ptr.page);
    if (ptr.row >= d.slots.size())
        throw FormatError("row " + std::to_string(ptr.row) + " of page " +
                          std::to_string(ptr.page) + " does not exist");
    const RowSlot& s = d.slots[ptr.row];
    size_t low = jet4::kDataRowTable + 2 * d.slots.size();
    if (s.start < low || s.start > s.end)
        throw FormatError("row " + std::to_string(ptr.row) + " of page " +
                          std::to_string(ptr.page) + " has a bad offset");
    return page(ptr.page).subspan(s.start, s.end - s.start);
}

UsageMap Image::usageMap(uint32_t rawPointer) const
{
    UsageMap m;
    m.where = RowPointer::fromRaw(rawPointer);
    auto row = rowBytes(m.where);
    if (row.empty())
        throw FormatError("usage map row is empty");
    m.type = row[0];
    if (m.type == 0) {
        m.startPage = le32(row, 1);
        m.windowPages = uint32_t((row.size() - 5) * 8);
        for (size_t k = 5; k < row.size(); ++k)
            for (int b = 0; b < 8; ++b)
                if (row[k] & (1 << b))
                    m.pages.insert(m.startPage + uint32_t((k - 5) * 8) + uint32_t(b));
    } else if (m.type == 1) {
        size_t pointers = (row.size() - 1) / 4;
        for (size_t i = 0; i < pointers; ++i) {
            uint32_t mapPage = le32(row, 1 + 4 * i);
            if (mapPage == 0)
                continue;
            m.bitmapPages.push_back(mapPage);
            auto bits = page(mapPage);
            if (bits[0] != jet4::kPageUsageMap)
                throw FormatError("usage map page " + std::to_string(mapPage) + " has type " +
                                  std::to_string(bits[0]));
            for (size_t k = 4; k < jet4::kPageSize; ++k)
                for (int b = 0; b < 8; ++b)
                    if (bits[k] & (1 << b))
                        m.pages.insert(uint32_t(i) * jet4::kPagesPerMapPage +
                                       uint32_t((k - 4) * 8) + uint32_t(b));
        }
    } else {
        throw FormatError("usage map of unknown type " + std::to_string(m.type));
    }
    return m;
}

namespace {

std::string readName(std::span<const uint8_t> b, size_t& pos)
{
    uint16_t len = le16(b, pos);
    need(b, pos + 2, len, "name");
    std::string s = utf16ToUtf8(b.subspan(pos + 2, len));
    pos += 2 + size_t(len);
    return s;
}

Column readColumn(std::span<const uint8_t> b, size_t at)
{
    need(b, at, jet4::kColumnBlockSize, "column block");
    Column c;
    c.type = b[at];
    c.number = le16(b, at + 5);
    c.varIndex = le16(b, at + 7);
    c.number2 = le16(b, at + 9);
    c.flags = b[at + 15];
    c.extFlags = b[at + 16];
    c.fixedOffset = le16(b, at + 21);
    c.length = le16(b, at + 23);
    return c;
}

RealIndex readRealIndex(std::span<const uint8_t> b, size_t at)
{
    need(b, at, jet4::kRealIndexBlockSize, "real index block");
    RealIndex r;
    if (le32(b, at) != jet4::kRealIndexMagic)
        throw FormatError("real index block without its 1923 mark");
    for (size_t i = 0; i < 10; ++i) {
        uint16_t col = le16(b, at + 4 + 3 * i);
        if (col != 0xFFFF)
            r.columns.emplace_back(col, b[at + 6 + 3 * i]);
    }
    r.mapPointer = le32(b, at + 34);
    r.rootPage = le32(b, at + 38);
    r.flags = b[at + 46];
    return r;
}

} // namespace

TableDef Image::tableDef(uint32_t n) const
{
    TableDef t;
    t.page = n;
    auto first = page(n);
    if (first[0] != jet4::kPageTdef)
        throw FormatError("page " + std::to_string(n) + " is not a table definition");
    Bytes buf(first.begin(), first.end());
    for (uint32_t next = le32(first, jet4::kTdefNextPage); next != 0;) {
        if (t.continuation.size() > pageCount() || next == n)
            throw FormatError("table definition pages form a loop");
        auto p = page(next);
        if (p[0] != jet4::kPageTdef)
            throw FormatError("table definition continues on page " + std::to_string(next) +
                              ", which is not a table definition");
        t.continuation.push_back(next);
        buf.insert(buf.end(), p.begin() + 8, p.end());
        next = le32(p, jet4::kTdefNextPage);
    }
    std::span<const uint8_t> b(buf);
    t.freeField = le16(b, 2);
    t.tdefLen = le32(b, jet4::kTdefLen);
    t.magic = le32(b, jet4::kTdefMagicAt);
    t.rowCount = le32(b, jet4::kTdefRowCount);
    t.tableType = b[jet4::kTdefTableType];
    t.maxCols = le16(b, jet4::kTdefMaxCols);
    t.numVarCols = le16(b, jet4::kTdefNumVarCols);
    t.numCols = le16(b, jet4::kTdefNumCols);
    t.numIdx = le32(b, jet4::kTdefNumIdx);
    t.numRealIdx = le32(b, jet4::kTdefNumRealIdx);
    t.ownedMap = le32(b, jet4::kTdefOwnedMap);
    t.freeMap = le32(b, jet4::kTdefFreeMap);
    if (t.numRealIdx > 1000 || t.numIdx > 1000)
        throw FormatError("implausible index counts");

    size_t pos = jet4::kTdefRealIdxCounts;
    std::vector<std::pair<uint32_t, uint32_t>> counts;
    for (uint32_t i = 0; i < t.numRealIdx; ++i, pos += jet4::kRealIdxCountSize)
        counts.emplace_back(le32(b, pos), le32(b, pos + 4));
    for (uint16_t i = 0; i < t.numCols; ++i, pos += jet4::kColumnBlockSize)
        t.columns.push_back(readColumn(b, pos));
    for (Column& c : t.columns)
        c.name = readName(b, pos);
    for (uint32_t i = 0; i < t.numRealIdx; ++i, pos += jet4::kRealIndexBlockSize) {
        t.realIndexes.push_back(readRealIndex(b, pos));
        t.realIndexes.back().firstCount = counts[i].first;
        t.realIndexes.back().uniqueCount = counts[i].second;
    }
    for (uint32_t i = 0; i < t.numIdx; ++i, pos += jet4::kLogicalIndexBlockSize) {
        need(b, pos, jet4::kLogicalIndexBlockSize, "logical index block");
        LogicalIndex l;
        l.magic = le32(b, pos);
        l.number = le32(b, pos + 4);
        l.realIndex = le32(b, pos + 8);
        l.type = b[pos + 23];
        t.logicalIndexes.push_back(l);
    }
    for (LogicalIndex& l : t.logicalIndexes)
        l.name = readName(b, pos);
    for (const Column& c : t.columns) {
        if (!c.longValue())
            continue;
        LongValueMaps lv;
        lv.column = le16(b, pos);
        lv.owned = le32(b, pos + 2);
        lv.free = le32(b, pos + 6);
        t.longValueMaps.push_back(lv);
        pos += jet4::kLongValueMapSize;
    }
    t.parsedEnd = pos;
    t.trailerFound = pos + 2 <= b.size() && b[pos] == 0xFF && b[pos + 1] == 0xFF;
    return t;
}

Row Image::decodeRow(const TableDef& t, RowPointer where) const
{
    auto row = rowBytes(where);
    Row r;
    r.where = where;
    size_t len = row.size();
    uint16_t colCount = le16(row, 0);
    if (colCount > t.maxCols)
        throw FormatError("row has " + std::to_string(colCount) + " columns, table " +
                          std::to_string(t.maxCols));
    size_t maskLen = (size_t(colCount) + 7) / 8;
    size_t fixedEnd = 2 + t.fixedAreaSize();
    if (len < fixedEnd + maskLen)
        throw FormatError("row of " + std::to_string(len) +
                          " bytes is shorter than its fixed area");
    size_t maskAt = len - maskLen;
    auto present = [&](uint16_t col) {
        return col < colCount && (row[maskAt + col / 8] & (1 << (col % 8))) != 0;
    };
    std::vector<size_t> varStart;
    size_t dataEnd = maskAt;
    if (t.numVarCols > 0) {
        uint16_t varCount = le16(row, maskAt - 2);
        size_t tableAt = maskAt - 2;
        if (varCount > t.numVarCols || 2 * (size_t(varCount) + 1) > tableAt)
            throw FormatError("row declares " + std::to_string(varCount) + " variable columns");
        size_t eodAt = tableAt - 2 * (size_t(varCount) + 1);
        if (eodAt < fixedEnd)
            throw FormatError("variable offset table overlaps the fixed area");
        for (size_t k = 0; k < varCount; ++k)
            varStart.push_back(le16(row, tableAt - 2 * (k + 1)));
        varStart.push_back(le16(row, eodAt));
        if (varStart.front() < fixedEnd)
            throw FormatError("variable data starts inside the fixed area");
        for (size_t k = 0; k + 1 < varStart.size(); ++k)
            if (varStart[k] > varStart[k + 1])
                throw FormatError("variable offsets decrease at variable column " +
                                  std::to_string(k));
        if (varStart.back() > eodAt)
            throw FormatError("variable data runs into the offset table");
        dataEnd = eodAt;
    }
    for (const Column& c : t.columns) {
        if (c.boolean()) {
            r.values[c.number] = Bytes{uint8_t(present(c.number) ? 1 : 0)};
            continue;
        }
        if (c.fixed()) {
            if (!present(c.number)) {
                r.values[c.number] = std::nullopt;
                continue;
            }
            size_t at = 2 + size_t(c.fixedOffset);
            if (at + c.length > dataEnd)
                throw FormatError("fixed column " + c.name + " runs past the fixed area");
            r.values[c.number] = Bytes(row.begin() + long(at), row.begin() + long(at + c.length));
            continue;
        }
        if (c.varIndex + size_t(1) >= varStart.size()) {
            if (present(c.number))
                throw FormatError("column " + c.name + " is marked present but has no offset");
            r.values[c.number] = std::nullopt;
            continue;
        }
        size_t from = varStart[c.varIndex];
        size_t to = varStart[c.varIndex + size_t(1)];
        if (!present(c.number)) {
            if (to != from)
                throw FormatError("null column " + c.name + " holds " + std::to_string(to - from) +
                                  " bytes");
            r.values[c.number] = std::nullopt;
            continue;
        }
        if (!c.longValue() && c.length != 0 && to - from > c.length &&
            !(to - from >= 2 && row[from] == 0xFF && row[from + 1] == 0xFE))
            throw FormatError("column " + c.name + " holds " + std::to_string(to - from) +
                              " bytes, more than its " + std::to_string(c.length));
        r.values[c.number] = Bytes(row.begin() + long(from), row.begin() + long(to));
    }
    return r;
}

std::vector<Row> Image::liveRows(const TableDef& t) const
{
    std::vector<Row> rows;
    UsageMap owned = usageMap(t.ownedMap);
    for (uint32_t p : owned.pages) {
        if (p >= pageCount())
            continue;
        if (pageType(p) != jet4::kPageData)
            continue;
        DataPage d = dataPage(p);
        if (d.owner != t.page)
            continue;
        for (size_t i = 0; i < d.slots.size(); ++i) {
            if (d.slots[i].flagged())
                continue;
            rows.push_back(decodeRow(t, {p, uint8_t(i)}));
        }
    }
    return rows;
}

namespace {
const Bytes* valueOf(const Row& r, const Column* c, size_t size)
{
    if (c == nullptr)
        return nullptr;
    auto it = r.values.find(c->number);
    if (it == r.values.end() || !it->second || it->second->size() != size)
        return nullptr;
    return &*it->second;
}
} // namespace

std::optional<int32_t> asLong(const Row& r, const Column* c)
{
    const Bytes* v = valueOf(r, c, 4);
    if (v == nullptr)
        return std::nullopt;
    return int32_t(le32(*v, 0));
}

std::optional<int16_t> asInteger(const Row& r, const Column* c)
{
    const Bytes* v = valueOf(r, c, 2);
    if (v == nullptr)
        return std::nullopt;
    return int16_t(le16(*v, 0));
}

std::optional<double> asDouble(const Row& r, const Column* c)
{
    const Bytes* v = valueOf(r, c, 8);
    if (v == nullptr)
        return std::nullopt;
    return leDouble(*v, 0);
}

std::optional<std::string> asText(const Row& r, const Column* c)
{
    if (c == nullptr)
        return std::nullopt;
    auto it = r.values.find(c->number);
    if (it == r.values.end() || !it->second)
        return std::nullopt;
    return utf16ToUtf8(*it->second);
}

} // namespace mdbcheck
