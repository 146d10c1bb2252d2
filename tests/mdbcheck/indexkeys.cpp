#include "indexkeys.h"

namespace mdbcheck {

namespace {

std::optional<uint8_t> legacyCode(char32_t c)
{
    // Letters sort case-insensitively; the codes are not evenly spaced.
    static const uint8_t kLetters[26] = {0x4A, 0x4C, 0x4D, 0x4F, 0x51, 0x53, 0x55, 0x57, 0x59,
                                         0x5B, 0x5C, 0x5E, 0x60, 0x62, 0x64, 0x66, 0x68, 0x69,
                                         0x6B, 0x6D, 0x6F, 0x71, 0x73, 0x75, 0x76, 0x78};
    if (c >= 'a' && c <= 'z')
        return kLetters[c - 'a'];
    if (c >= 'A' && c <= 'Z')
        return kLetters[c - 'A'];
    if (c >= '0' && c <= '9')
        return uint8_t(0x36 + 2 * (c - '0'));
    if (c == ' ')
        return uint8_t(0x07);
    return std::nullopt;
}

void putBigEndian(Bytes& out, uint32_t v, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(uint8_t(v >> (8 * i)));
}

} // namespace

std::optional<Bytes> generalLegacyTextKey(const std::string& utf8)
{
    std::string s = utf8;
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    Bytes key;
    for (unsigned char ch : s) {
        if (ch >= 0x80)
            return std::nullopt;
        auto code = legacyCode(char32_t(ch));
        if (!code)
            return std::nullopt;
        key.push_back(*code);
    }
    key.push_back(0x01);
    key.push_back(0x00);
    return key;
}

std::optional<Bytes> indexEntry(const TableDef& t, const RealIndex& index, const Row& row)
{
    Bytes entry;
    for (auto [number, order] : index.columns) {
        const Column* c = t.columnNumber(number);
        if (c == nullptr || order != 1)
            return std::nullopt;
        auto it = row.values.find(number);
        if (it == row.values.end() || !it->second) {
            entry.push_back(0x00);
            continue;
        }
        entry.push_back(0x7F);
        const Bytes& v = *it->second;
        switch (c->type) {
        case 0x02:
            entry.push_back(v.at(0));
            break;
        case 0x03:
            putBigEndian(entry, uint32_t(le16(v, 0) ^ 0x8000u), 2);
            break;
        case 0x04:
            putBigEndian(entry, le32(v, 0) ^ 0x80000000u, 4);
            break;
        case 0x0A: {
            auto key = generalLegacyTextKey(utf16ToUtf8(v));
            if (!key)
                return std::nullopt;
            entry.insert(entry.end(), key->begin(), key->end());
            break;
        }
        default:
            return std::nullopt;
        }
    }
    putBigEndian(entry, row.where.page, 3);
    entry.push_back(row.where.row);
    return entry;
}

LeafEntries readLeaf(std::span<const uint8_t> page)
{
    LeafEntries leaf;
    size_t prefixLen = le16(page, jet4::kIndexPrefixLen);
    size_t start = jet4::kIndexEntries;
    for (size_t byte = jet4::kIndexBitmap; byte < jet4::kIndexEntries; ++byte) {
        for (int bit = 0; bit < 8; ++bit) {
            if ((page[byte] & (1 << bit)) == 0)
                continue;
            size_t end = jet4::kIndexEntries + (byte - jet4::kIndexBitmap) * 8 + size_t(bit);
            if (end > page.size() || end <= start)
                throw FormatError("index entry-end bit " + std::to_string(end) +
                                  " points outside the page or before its entry start");
            Bytes e;
            if (!leaf.entries.empty()) {
                if (prefixLen > leaf.entries.front().size())
                    throw FormatError("index prefix longer than the first entry");
                e.assign(leaf.entries.front().begin(),
                         leaf.entries.front().begin() + long(prefixLen));
            }
            e.insert(e.end(), page.begin() + long(start), page.begin() + long(end));
            leaf.storedBytes += end - start;
            leaf.entries.push_back(std::move(e));
            start = end;
        }
    }
    return leaf;
}

} // namespace mdbcheck
