#include "mdb/pageio.h"

#include "mdb/bytes.h"
#include "mdb/errors.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace mdb {

using namespace jet4;

MemoryPageStore::MemoryPageStore(std::vector<uint8_t> bytes, bool readOnly)
    : m_bytes(std::move(bytes)), m_readOnly(readOnly)
{
    if (m_bytes.size() % kPageSize != 0)
        throw FormatError("file size is not a whole number of pages");
}

uint32_t MemoryPageStore::pageCount() const
{
    return static_cast<uint32_t>(m_bytes.size() / kPageSize);
}

void MemoryPageStore::readPage(uint32_t page, std::span<uint8_t> out) const
{
    if (page >= pageCount() || out.size() != kPageSize)
        throw FormatError("page " + std::to_string(page) + " is beyond the end of the file");
    std::copy_n(m_bytes.begin() + static_cast<std::ptrdiff_t>(page * kPageSize),
                kPageSize,
                out.begin());
}

void MemoryPageStore::writePage(uint32_t page, std::span<const uint8_t> data)
{
    if (m_readOnly)
        throw jetError(kErrReadOnly);
    if (page > pageCount() || data.size() != kPageSize)
        throw FormatError("write of page " + std::to_string(page) + " leaves a hole");
    if (page == pageCount()) {
        if (page >= m_maxPages)
            throw jetError(kErrDiskFull);
        m_bytes.resize(m_bytes.size() + kPageSize);
    }
    std::copy(data.begin(),
              data.end(),
              m_bytes.begin() + static_cast<std::ptrdiff_t>(page * kPageSize));
    if (m_onWrite)
        m_onWrite(m_bytes);
}

FilePageStore::FilePageStore(NativeFile file, std::string path, bool readOnly)
    : m_file(file), m_path(std::move(path)), m_readOnly(readOnly)
{
    int64_t size = 0;
    try {
        size = fileSize();
    } catch (...) {
        closeFile();
        throw;
    }
    const auto pageSize = static_cast<int64_t>(kPageSize);
    if (size % pageSize != 0 || size / pageSize > INT32_MAX / pageSize) {
        closeFile();
        throw FormatError("file size is not a whole number of pages");
    }
    m_pageCount = static_cast<uint32_t>(size / pageSize);
}

FilePageStore::~FilePageStore()
{
    closeFile();
}

void FilePageStore::readPage(uint32_t page, std::span<uint8_t> out) const
{
    if (page >= m_pageCount || out.size() != kPageSize)
        throw FormatError("page " + std::to_string(page) + " is beyond the end of the file");
    readWhole(page, out);
}

void FilePageStore::writePage(uint32_t page, std::span<const uint8_t> data)
{
    if (m_readOnly)
        throw jetError(kErrReadOnly);
    if (page > m_pageCount || data.size() != kPageSize)
        throw FormatError("write of page " + std::to_string(page) + " leaves a hole");
    writeWhole(page, data);
    if (page == m_pageCount)
        ++m_pageCount;
}

void FilePageStore::sync()
{
    if (!m_readOnly)
        flush();
}

void rc4Xor(std::span<const uint8_t> key, std::span<uint8_t> data)
{
    uint8_t s[256];
    for (int i = 0; i < 256; ++i)
        s[i] = static_cast<uint8_t>(i);
    uint8_t j = 0;
    for (int i = 0; i < 256; ++i) {
        j = static_cast<uint8_t>(j + s[i] + key[static_cast<std::size_t>(i) % key.size()]);
        std::swap(s[i], s[j]);
    }
    uint8_t a = 0;
    uint8_t b = 0;
    for (uint8_t& byte : data) {
        a = static_cast<uint8_t>(a + 1);
        b = static_cast<uint8_t>(b + s[a]);
        std::swap(s[a], s[b]);
        byte ^= s[static_cast<uint8_t>(s[a] + s[b])];
    }
}

void toggleHeaderMask(std::span<uint8_t> page0)
{
    // The fixed key Jet 4 uses for the header of every file.
    static constexpr uint8_t kKey[] = {0xC7, 0xDA, 0x39, 0x6B};
    requireRange(page0, kHdrMaskedStart, kHdrMaskedLength);
    rc4Xor(kKey, page0.subspan(kHdrMaskedStart, kHdrMaskedLength));
}

uint32_t passwordMask(double creationDate)
{
    if (!std::isfinite(creationDate) || creationDate < INT32_MIN || creationDate > INT32_MAX)
        return 0;
    return static_cast<uint32_t>(static_cast<int32_t>(std::floor(creationDate)));
}

HeaderInfo decodeHeader(std::span<const uint8_t> page0)
{
    static constexpr char kEngine[] = "Standard Jet DB";
    if (get8(page0, 0) != kPageHeader ||
        std::memcmp(page0.data() + kHdrEngineName, kEngine, sizeof kEngine) != 0)
        throw FormatError("not a Jet database header");
    HeaderInfo info;
    info.version = get32(page0, kHdrVersion);
    info.databaseKey = get32(page0, kHdrDatabaseKey);
    info.creationDate = getDouble(page0, kHdrCreationDate);
    uint32_t mask = passwordMask(info.creationDate);
    for (std::size_t i = 0; i < kHdrPasswordLength; i += 2) {
        uint16_t mask16 = static_cast<uint16_t>(mask >> ((i % 4) * 8));
        auto ch = static_cast<char16_t>(get16(page0, kHdrPassword + i) ^ mask16);
        if (ch == 0)
            break;
        info.password.push_back(ch);
    }
    return info;
}

} // namespace mdb
