#include "mdb/rowcodec.h"

#include "mdb/bytes.h"

#include <algorithm>
#include <cstring>

namespace mdb {

using namespace jet4;

namespace {

std::size_t fixedSize(uint8_t type)
{
    switch (type) {
    case kTypeByte:
        return 1;
    case kTypeInteger:
        return 2;
    case kTypeLong:
    case kTypeSingle:
        return 4;
    case kTypeCurrency:
    case kTypeDouble:
    case kTypeDateTime:
        return 8;
    case kTypeGuid:
        return 16;
    case kTypeNumeric:
        return 17;
    default:
        return 0;
    }
}

void putFixed(std::span<uint8_t> out, const ColumnDef& c, const Cell& v)
{
    std::size_t size = fixedSize(c.type);
    if (size == 0 || size > c.length)
        throw FormatError("unsupported fixed column");
    std::size_t at = 2u + c.fixedOffset;
    if (c.type == kTypeGuid || c.type == kTypeNumeric) {
        const auto* bytes = std::get_if<std::vector<uint8_t>>(&v);
        if (bytes == nullptr || bytes->size() != size)
            throw FormatError("wrong value for a fixed binary column");
        requireRange(out, at, size);
        std::copy(bytes->begin(), bytes->end(), out.begin() + static_cast<std::ptrdiff_t>(at));
        return;
    }
    if (c.type == kTypeSingle || c.type == kTypeDouble || c.type == kTypeDateTime) {
        const auto* d = std::get_if<double>(&v);
        if (d == nullptr)
            throw FormatError("floating-point column given another kind of value");
        if (c.type == kTypeSingle) {
            auto f = static_cast<float>(*d);
            uint32_t bits;
            std::memcpy(&bits, &f, sizeof bits);
            put32(out, at, bits);
        } else {
            putDouble(out, at, *d);
        }
        return;
    }
    const auto* i = std::get_if<int64_t>(&v);
    if (i == nullptr)
        throw FormatError("integer column given another kind of value");
    auto u = static_cast<uint64_t>(*i);
    switch (size) {
    case 1:
        put8(out, at, static_cast<uint8_t>(u));
        break;
    case 2:
        put16(out, at, static_cast<uint16_t>(u));
        break;
    case 4:
        put32(out, at, static_cast<uint32_t>(u));
        break;
    default:
        put64(out, at, u);
    }
}

Cell getFixed(std::span<const uint8_t> row, const ColumnDef& c)
{
    std::size_t at = 2u + c.fixedOffset;
    switch (c.type) {
    case kTypeByte:
        return static_cast<int64_t>(get8(row, at));
    case kTypeInteger:
        return static_cast<int64_t>(static_cast<int16_t>(get16(row, at)));
    case kTypeLong:
        return static_cast<int64_t>(static_cast<int32_t>(get32(row, at)));
    case kTypeCurrency:
        return static_cast<int64_t>(get64(row, at));
    case kTypeSingle: {
        uint32_t bits = get32(row, at);
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return static_cast<double>(f);
    }
    case kTypeDouble:
    case kTypeDateTime:
        return getDouble(row, at);
    case kTypeGuid:
    case kTypeNumeric: {
        std::size_t size = fixedSize(c.type);
        requireRange(row, at, size);
        return std::vector<uint8_t>(row.begin() + static_cast<std::ptrdiff_t>(at),
                                    row.begin() + static_cast<std::ptrdiff_t>(at + size));
    }
    default:
        throw FormatError("unsupported fixed column type");
    }
}

} // namespace

std::vector<uint8_t> encodeText(std::u16string_view text, bool compressible)
{
    std::vector<uint8_t> out;
    bool narrow =
        std::all_of(text.begin(), text.end(), [](char16_t c) { return c >= 0x01 && c <= 0xFF; });
    // Shorter texts would not get smaller: the marker costs two bytes.
    if (compressible && narrow && text.size() >= 3) {
        out.reserve(text.size() + 2);
        out.push_back(0xFF);
        out.push_back(0xFE);
        for (char16_t c : text)
            out.push_back(static_cast<uint8_t>(c));
        return out;
    }
    out.reserve(text.size() * 2);
    for (char16_t c : text) {
        out.push_back(static_cast<uint8_t>(c));
        out.push_back(static_cast<uint8_t>(c >> 8));
    }
    return out;
}

std::u16string decodeText(std::span<const uint8_t> bytes)
{
    std::u16string text;
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        bool compressed = true;
        std::size_t i = 2;
        while (i < bytes.size()) {
            if (bytes[i] == 0) {
                compressed = !compressed;
                ++i;
            } else if (compressed) {
                text.push_back(bytes[i++]);
            } else {
                if (i + 1 >= bytes.size())
                    break;
                text.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
                i += 2;
            }
        }
        return text;
    }
    if (bytes.size() % 2 != 0)
        throw FormatError("odd length for an uncompressed text");
    for (std::size_t i = 0; i < bytes.size(); i += 2)
        text.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
    return text;
}

std::vector<uint8_t> encodeRow(const TableDef& def, std::span<const Cell> values)
{
    if (values.size() != def.columns.size())
        throw FormatError("row has the wrong number of values");
    std::size_t fixedLength = 0;
    uint16_t varCount = def.varColumnCount();
    for (const ColumnDef& c : def.columns)
        if (c.isFixed() && c.type != kTypeBoolean)
            fixedLength = std::max<std::size_t>(fixedLength, c.fixedOffset + fixedSize(c.type));

    std::vector<uint8_t> row(2 + fixedLength, 0);
    put16(row, 0, def.maxCols);
    std::vector<uint8_t> mask((def.maxCols + 7u) / 8u, 0);
    auto present = [&mask](uint16_t col) {
        mask[col / 8u] |= static_cast<uint8_t>(1u << (col % 8u));
    };

    std::vector<const ColumnDef*> vars(varCount, nullptr);
    std::vector<const Cell*> varValues(varCount, nullptr);
    for (std::size_t i = 0; i < def.columns.size(); ++i) {
        const ColumnDef& c = def.columns[i];
        const Cell& v = values[i];
        if (c.type == kTypeBoolean) {
            if (const bool* b = std::get_if<bool>(&v); b != nullptr && *b)
                present(c.number);
            continue;
        }
        if (std::holds_alternative<std::monostate>(v)) {
            if (!c.isFixed() && c.varIndex < varCount)
                vars[c.varIndex] = &c;
            continue;
        }
        present(c.number);
        if (c.isFixed()) {
            putFixed(row, c, v);
            continue;
        }
        if (c.varIndex >= varCount)
            throw FormatError("variable column index out of range");
        vars[c.varIndex] = &c;
        varValues[c.varIndex] = &v;
    }

    std::vector<uint16_t> offsets(varCount);
    for (uint16_t k = 0; k < varCount; ++k) {
        offsets[k] = static_cast<uint16_t>(row.size());
        const Cell* v = varValues[k];
        if (v == nullptr)
            continue;
        const ColumnDef& c = *vars[k];
        std::vector<uint8_t> bytes;
        if (c.type == kTypeText) {
            const auto* text = std::get_if<std::u16string>(v);
            if (text == nullptr || text->size() * 2 > c.length)
                throw FormatError("text value missing or too long for its column");
            bytes = encodeText(*text, (c.extFlags & kColumnExtCompressedUnicode) != 0);
        } else if (c.type == kTypeBinary) {
            const auto* b = std::get_if<std::vector<uint8_t>>(v);
            if (b == nullptr || b->size() > c.length)
                throw FormatError("binary value missing or too long for its column");
            bytes = *b;
        } else {
            throw FormatError("long values are not supported");
        }
        row.insert(row.end(), bytes.begin(), bytes.end());
    }
    if (varCount > 0) {
        auto eod = static_cast<uint16_t>(row.size());
        std::size_t at = row.size();
        row.resize(at + 2 + 2u * varCount + 2);
        put16(row, at, eod);
        for (uint16_t k = 0; k < varCount; ++k)
            put16(row, at + 2 + 2u * (varCount - 1 - k), offsets[k]);
        put16(row, at + 2 + 2u * varCount, varCount);
    }
    row.insert(row.end(), mask.begin(), mask.end());
    if (row.size() > kMaxRowSize)
        throw FormatError("row longer than a page can hold");
    return row;
}

std::vector<Cell> decodeRow(const TableDef& def, std::span<const uint8_t> row)
{
    uint16_t cols = get16(row, 0);
    std::size_t maskBytes = (cols + 7u) / 8u;
    if (maskBytes + 2 > row.size())
        throw FormatError("row shorter than its null mask");
    std::size_t maskAt = row.size() - maskBytes;
    auto isPresent = [&](uint16_t col) {
        return col < cols && ((row[maskAt + col / 8u] >> (col % 8u)) & 1) != 0;
    };
    uint16_t varCount = 0;
    std::size_t eodAt = 0;
    if (def.varColumnCount() > 0) {
        if (maskAt < 2)
            throw FormatError("row too short for its variable columns");
        varCount = get16(row, maskAt - 2);
        if (2u * varCount + 4 > maskAt)
            throw FormatError("variable column table larger than the row");
        eodAt = maskAt - 4 - 2u * varCount;
    }
    // offset[k] is stored last-column-first just before the count.
    auto varOffset = [&](uint16_t k) -> std::size_t {
        return k == varCount ? get16(row, eodAt) : get16(row, maskAt - 4 - 2u * k);
    };

    std::vector<Cell> cells(def.columns.size());
    for (std::size_t i = 0; i < def.columns.size(); ++i) {
        const ColumnDef& c = def.columns[i];
        if (c.type == kTypeBoolean) {
            cells[i] = isPresent(c.number);
            continue;
        }
        if (!isPresent(c.number))
            continue;
        if (c.isFixed()) {
            cells[i] = getFixed(row.first(maskAt), c);
            continue;
        }
        if (c.varIndex >= varCount)
            continue;
        std::size_t start = varOffset(c.varIndex);
        std::size_t end = varOffset(static_cast<uint16_t>(c.varIndex + 1));
        if (start > end || end > eodAt)
            throw FormatError("variable column outside its row");
        auto bytes = row.subspan(start, end - start);
        if (c.type == kTypeText)
            cells[i] = decodeText(bytes);
        else if (c.type == kTypeBinary)
            cells[i] = std::vector<uint8_t>(bytes.begin(), bytes.end());
    }
    return cells;
}

std::u16string utf8ToUtf16(std::string_view text)
{
    std::u16string out;
    std::size_t i = 0;
    while (i < text.size()) {
        auto b = static_cast<uint8_t>(text[i]);
        int extra = b < 0x80             ? 0
                    : (b & 0xE0) == 0xC0 ? 1
                    : (b & 0xF0) == 0xE0 ? 2
                    : (b & 0xF8) == 0xF0 ? 3
                                         : -1;
        if (extra < 0 || i + static_cast<std::size_t>(extra) >= text.size())
            throw FormatError("invalid UTF-8");
        uint32_t cp = extra == 0 ? b : (b & (0x3F >> extra));
        for (int k = 1; k <= extra; ++k) {
            auto cont = static_cast<uint8_t>(text[i + static_cast<std::size_t>(k)]);
            if ((cont & 0xC0) != 0x80)
                throw FormatError("invalid UTF-8");
            cp = (cp << 6) | (cont & 0x3F);
        }
        static constexpr uint32_t kMin[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            throw FormatError("invalid UTF-8");
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += 1 + static_cast<std::size_t>(extra);
    }
    return out;
}

std::string utf16ToUtf8(std::u16string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        uint32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

} // namespace mdb
