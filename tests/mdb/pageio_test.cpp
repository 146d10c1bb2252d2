#include "mdb/bytes.h"
#include "mdb/errors.h"
#include "mdb/pageio.h"
#include "testfiles.h"

#include <fcntl.h>

using namespace mdb;

TEST(HeaderMask, Rc4KeystreamMatchesJetKey)
{
    std::vector<uint8_t> zeros(8, 0);
    const uint8_t key[] = {0xC7, 0xDA, 0x39, 0x6B};
    rc4Xor(key, zeros);
    EXPECT_EQ(zeros, (std::vector<uint8_t>{0xB5, 0x6F, 0x03, 0x62, 0x61, 0x08, 0xC2, 0x55}));
}

TEST(HeaderMask, JetMadeHeaderDecodes)
{
    LOAD_REFERENCE(file, "emptyJet4.mdb");
    std::vector<uint8_t> page0(file.begin(), file.begin() + 4096);
    toggleHeaderMask(page0);
    HeaderInfo info = decodeHeader(page0);
    EXPECT_EQ(info.version, 1u);
    EXPECT_EQ(info.databaseKey, 0u);
    EXPECT_NEAR(info.creationDate, 42850.48191293982, 1e-9);
    EXPECT_TRUE(info.password.empty());
    EXPECT_EQ(passwordMask(info.creationDate), 0xA762u);
    // Sort order and code page sit in the masked area.
    EXPECT_EQ(get16(page0, 0x3C), 1252);
    EXPECT_EQ(get16(page0, 0x6E), 0x0409);
}

TEST(HeaderMask, ForeignHeadersAreRefused)
{
    std::vector<uint8_t> page0(4096, 0);
    EXPECT_THROW(decodeHeader(page0), FormatError);
    std::memcpy(page0.data() + 4, "MSISAM Database", 16);
    EXPECT_THROW(decodeHeader(page0), FormatError);
    EXPECT_THROW(decodeHeader(std::span<const uint8_t>(page0).first(20)), FormatError);
}

TEST(MemoryStore, BoundsAndFullDisk)
{
    EXPECT_THROW(MemoryPageStore(std::vector<uint8_t>(100)), FormatError);
    MemoryPageStore store(std::vector<uint8_t>(2 * 4096));
    std::vector<uint8_t> page(4096, 0xAB);
    EXPECT_THROW(store.readPage(2, page), FormatError);
    EXPECT_THROW(store.writePage(3, page), FormatError); // would leave a hole
    store.setMaxPages(3);
    store.writePage(2, page);
    EXPECT_EQ(store.pageCount(), 3u);
    try {
        store.writePage(3, page);
        FAIL() << "append beyond the disk succeeded";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), 3026);
    }
    EXPECT_EQ(store.pageCount(), 3u);
}

TEST(FileStore, SizeMustBeWholePagesAndReadOnlyRefusesWrites)
{
    mdbtest::TempDir dir;
    std::string path = dir.file("odd.mdb");
    mdbtest::writeBytes(path, std::vector<uint8_t>(4096 + 10, 0));
    EXPECT_THROW(FilePageStore(::open(path.c_str(), O_RDONLY), path, true), FormatError);

    mdbtest::writeBytes(path, std::vector<uint8_t>(2 * 4096, 7));
    FilePageStore store(::open(path.c_str(), O_RDONLY), path, true);
    std::vector<uint8_t> page(4096);
    store.readPage(1, page);
    EXPECT_EQ(page[4095], 7);
    try {
        store.writePage(1, page);
        FAIL() << "read-only store wrote";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), 3027);
    }
}
