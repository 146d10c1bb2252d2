// Page I/O: the only code that reads or writes the bytes of a database,
// either a file (filestore.cpp with pread/pwrite, filestore_win32.cpp with
// positioned ReadFile/WriteFile) or an in-memory buffer for tests. Also the
// obfuscation of the header page, which every Jet 4 file carries.
#pragma once

#include "mdb/format.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace mdb {

// An open file as the system hands it out.
#ifdef _WIN32
using NativeFile = void*; // HANDLE
#else
using NativeFile = int; // descriptor
#endif

class PageStore {
public:
    virtual ~PageStore() = default;
    virtual uint32_t pageCount() const = 0;
    // `out` must hold one page.
    virtual void readPage(uint32_t page, std::span<uint8_t> out) const = 0;
    // Writes one whole page; page == pageCount() appends.
    virtual void writePage(uint32_t page, std::span<const uint8_t> data) = 0;
    virtual void sync() = 0;
    virtual bool readOnly() const = 0;
};

class MemoryPageStore : public PageStore {
public:
    explicit MemoryPageStore(std::vector<uint8_t> bytes = {}, bool readOnly = false);
    uint32_t pageCount() const override;
    void readPage(uint32_t page, std::span<uint8_t> out) const override;
    void writePage(uint32_t page, std::span<const uint8_t> data) override;
    void sync() override {}
    bool readOnly() const override { return m_readOnly; }

    const std::vector<uint8_t>& bytes() const { return m_bytes; }
    // Test hooks: a write that would grow the store beyond maxPages fails as
    // a full disk does; onWrite sees the bytes after every page write.
    void setMaxPages(uint32_t maxPages) { m_maxPages = maxPages; }
    void setOnWrite(std::function<void(const std::vector<uint8_t>&)> hook)
    {
        m_onWrite = std::move(hook);
    }

private:
    std::vector<uint8_t> m_bytes;
    bool m_readOnly;
    uint32_t m_maxPages = UINT32_MAX;
    std::function<void(const std::vector<uint8_t>&)> m_onWrite;
};

class FilePageStore : public PageStore {
public:
    // Takes ownership of file. The size must be a whole number of pages.
    FilePageStore(NativeFile file, std::string path, bool readOnly);
    ~FilePageStore() override;
    FilePageStore(const FilePageStore&) = delete;
    FilePageStore& operator=(const FilePageStore&) = delete;

    uint32_t pageCount() const override { return m_pageCount; }
    void readPage(uint32_t page, std::span<uint8_t> out) const override;
    void writePage(uint32_t page, std::span<const uint8_t> data) override;
    void sync() override;
    bool readOnly() const override { return m_readOnly; }

private:
    // The system's part (filestore.cpp, filestore_win32.cpp). A failed write
    // raises Jet's error after cutting off a page it half appended.
    int64_t fileSize() const;
    void readWhole(uint32_t page, std::span<uint8_t> out) const;
    void writeWhole(uint32_t page, std::span<const uint8_t> data);
    void flush();
    void closeFile() noexcept;

    NativeFile m_file;
    std::string m_path;
    bool m_readOnly;
    uint32_t m_pageCount = 0;
};

// Opens an existing database file and holds a lock on it while the store
// lives: an exclusive one keeps every other opener out, a shared one only
// exclusive openers. Error 3024 when nothing or a folder is at `path`, 3051
// when the file is held or cannot be opened; FormatError as the constructor.
std::unique_ptr<FilePageStore>
openFileStore(const std::string& path, bool exclusive, bool readOnly);

// RC4 (key scheduling, then keystream XORed over data).
void rc4Xor(std::span<const uint8_t> key, std::span<uint8_t> data);

// Masks or unmasks bytes 0x18..0x97 of page 0 (the operation is its own inverse).
void toggleHeaderMask(std::span<uint8_t> page0);

// What the engine needs from the header page (given unmasked).
struct HeaderInfo {
    uint32_t version = 0;
    uint32_t databaseKey = 0;
    double creationDate = 0;
    std::u16string password;
};

// Throws FormatError when page 0 is not a Jet 4 header.
HeaderInfo decodeHeader(std::span<const uint8_t> page0);

// The 4-byte mask Jet XORs over the password field: floor(creation date).
uint32_t passwordMask(double creationDate);

} // namespace mdb
