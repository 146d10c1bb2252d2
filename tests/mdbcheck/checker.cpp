#include "checker_p.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <sstream>

namespace mdbcheck {

namespace {

constexpr uint8_t kHeaderKey[4] = {0xC7, 0xDA, 0x39, 0x6B};
constexpr size_t kMaskedFrom = 0x18;
constexpr size_t kMaskedTo = 0x98; // exclusive
constexpr uint8_t kHeaderConstant18[24] = {0x00, 0x01, 0x00, 0x00, 0x01, 0x01, 0x00, 0x00,
                                           0x02, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00,
                                           0x04, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00};

std::string hex(std::span<const uint8_t> b)
{
    static const char* digits = "0123456789ABCDEF";
    std::string s;
    for (uint8_t v : b) {
        if (!s.empty())
            s += ' ';
        s += digits[v >> 4];
        s += digits[v & 15];
    }
    return s;
}

bool allZero(std::span<const uint8_t> b)
{
    for (uint8_t v : b)
        if (v != 0)
            return false;
    return true;
}

} // namespace

void Checker::report(const std::string& check, const std::string& text, bool fatal)
{
    m_findings.push_back({check, text, fatal});
}

void Checker::claim(uint32_t page, const std::string& role)
{
    m_claims[page].push_back(role);
}

std::vector<Finding> Checker::run()
{
    size_t size = m_image.sizeBytes();
    if (size == 0 || size % jet4::kPageSize != 0)
        report("file-size",
               "file size " + std::to_string(size) + " is not a whole number of 4096-byte pages");
    if (m_image.pageCount() < 3) {
        report("file-size", "file has fewer than three pages: no catalog");
        return m_findings;
    }
    claim(0, "database header");
    checkHeader();
    claim(1, "global usage map");
    checkDataPage(1);
    loadCatalog();
    bool catalogListed = false;
    for (const CatalogRow& r : m_catalog) {
        if (r.type != jet4::kTypeTable || (uint32_t(r.id) & 0xFF000000u) != 0)
            continue;
        catalogListed = catalogListed || r.id == int32_t(jet4::kCatalogPage);
        checkTable(uint32_t(r.id), r.name, (uint32_t(r.flags) & kSystemObjectFlags) == 0);
    }
    if (!catalogListed)
        checkTable(jet4::kCatalogPage, "MSysObjects", false);
    checkCatalog();
    checkAces();
    checkGlobalMap();
    checkOwnership();
    return m_findings;
}

void Checker::checkHeader()
{
    auto raw = m_image.page(0);
    Bytes p(raw.begin(), raw.end());
    rc4Xor(kHeaderKey, std::span<uint8_t>(p).subspan(kMaskedFrom, kMaskedTo - kMaskedFrom));
    std::span<const uint8_t> h(p);
    auto expect = [&](size_t at, std::span<const uint8_t> want, const std::string& what) {
        if (!std::equal(want.begin(), want.end(), h.begin() + long(at)))
            report("header",
                   what + " at 0x" + hex(std::array<uint8_t, 2>{uint8_t(at >> 8), uint8_t(at)}) +
                       " is " + hex(h.subspan(at, want.size())) + ", expected " + hex(want));
    };
    static const uint8_t kStart[4] = {0x00, 0x01, 0x00, 0x00};
    static const uint8_t kEngine[16] =
        {'S', 't', 'a', 'n', 'd', 'a', 'r', 'd', ' ', 'J', 'e', 't', ' ', 'D', 'B', 0};
    static const uint8_t kJet4[4] = {0x01, 0x00, 0x00, 0x00};
    static const uint8_t kCodePage[2] = {0xE4, 0x04};
    static const uint8_t kZero4[4] = {0, 0, 0, 0};
    static const uint8_t kSortOrder[4] = {0x09, 0x04, 0x00, 0x00};
    static const uint8_t kPlain98[8] = {0x54, 0x06, 0x00, 0x00, '4', '.', '0', 0};
    expect(0x00, kStart, "page 0 start");
    expect(0x04, kEngine, "engine name");
    expect(0x14, kJet4, "file version (Jet 4)");
    expect(0x18, kHeaderConstant18, "decrypted constant block");
    if (!allZero(h.subspan(0x30, 12)))
        report("header", "decrypted bytes 0x30..0x3B are not zero");
    expect(0x3C, kCodePage, "code page");
    expect(0x3E, kZero4, "database key");
    expect(0x6C, std::span<const uint8_t>(kZero4, 2), "bytes");
    expect(0x6E, kSortOrder, "sort order");
    if (!allZero(h.subspan(0x7A, kMaskedTo - 0x7A)))
        report("header", "decrypted bytes 0x7A..0x97 are not zero");
    expect(0x98, kPlain98, "plain header block");
    if (!allZero(h.subspan(0xA0, 0xE00 - 0xA0)))
        report("header", "plain area 0xA0..0xDFF is not zero");

    double created = leDouble(h, 0x72);
    if (!std::isfinite(created) || created < 1 || created > 2958465) {
        report("header", "creation date is not a plausible date");
    } else {
        // With no password the field holds the mask itself: floor(date) as LE int32, ten times.
        uint32_t mask = uint32_t(int32_t(std::floor(created)));
        for (size_t i = 0; i < 40; ++i) {
            if (h[0x42 + i] != uint8_t(mask >> (8 * (i % 4)))) {
                report("header", "password field is not the mask of an empty password");
                break;
            }
        }
    }
    if (m_options.freshHeaderTail) {
        bool ok = h[0xE00] == 1 && h[0xE01] == 1 && h[0xE02] == 0 && h[0xE03] == 1;
        for (size_t i = 0xE04; ok && i < jet4::kPageSize; i += 2)
            ok = h[i] == 0 && h[i + 1] == 1;
        if (!ok)
            report("header", "block at 0xE00 is not the one a fresh Jet file carries");
    }
}

void Checker::checkGlobalMap()
{
    UsageMap global;
    try {
        DataPage d = m_image.dataPage(1);
        if (d.owner != 1)
            report("global-map", "page 1 owner field is " + std::to_string(d.owner) + ", not 1");
        global = m_image.usageMap(1u << 8);
    } catch (const FormatError& e) {
        report("global-map", std::string("global usage map unreadable: ") + e.what());
        return;
    }
    for (uint32_t p : global.bitmapPages)
        claim(p, "global usage map bitmap");
    uint32_t count = m_image.pageCount();
    for (uint32_t p = 0; p < count; ++p) {
        if (global.pages.count(p) == 0)
            continue;
        if (m_claims.count(p) != 0)
            report("global-map",
                   "page " + std::to_string(p) + " (" + m_claims[p].front() +
                       ") is in use but marked free");
        else if (m_options.noOrphanPages)
            report("global-map",
                   "page " + std::to_string(p) + " is inside the file but marked free",
                   false);
    }
    // Pages before an inline window are in no state at all: Jackcess treats
    // them as free, Jet's reading is unknown, so a file must never have any.
    if (global.type == 0 && global.startPage > 0)
        report("global-map",
               "pages 0-" + std::to_string(global.startPage - 1) +
                   " lie before the inline global map's window");
    if (m_options.pagesPastEndFree && global.type == 0) {
        uint32_t end = global.startPage + global.windowPages;
        for (uint32_t p = std::max(count, global.startPage); p < end; ++p) {
            if (global.pages.count(p) == 0) {
                report("global-map",
                       "page " + std::to_string(p) + " past the end of the file is not free",
                       false);
                break;
            }
        }
    }
}

void Checker::checkOwnership()
{
    for (uint32_t p = 0; p < m_image.pageCount(); ++p) {
        auto it = m_claims.find(p);
        if (it == m_claims.end()) {
            if (m_options.noOrphanPages)
                report("orphan-page",
                       "page " + std::to_string(p) + " (type " +
                           std::to_string(m_image.pageType(p)) + ") belongs to nothing",
                       false);
            continue;
        }
        if (it->second.size() > 1) {
            std::string roles;
            for (const std::string& r : it->second)
                roles += (roles.empty() ? "" : ", ") + r;
            report("page-owner", "page " + std::to_string(p) + " is claimed twice: " + roles);
        }
    }
}

std::vector<Finding> checkImage(const Image& image, const CheckOptions& options)
{
    Checker c(image, options);
    try {
        return c.run();
    } catch (const std::exception& e) {
        return {{"structure", std::string("checking stopped: ") + e.what(), true}};
    }
}

std::vector<Finding> checkFile(const std::string& path, const CheckOptions& options)
{
    try {
        return checkImage(Image::fromFile(path), options);
    } catch (const FormatError& e) {
        return {{"file", e.what(), true}};
    }
}

std::string describe(const Finding& f)
{
    return (f.fatal ? "" : "(tolerable) ") + f.check + ": " + f.text;
}

bool hasFinding(const std::vector<Finding>& findings, const std::string& check)
{
    for (const Finding& f : findings)
        if (f.check == check)
            return true;
    return false;
}

bool anyFatal(const std::vector<Finding>& findings)
{
    for (const Finding& f : findings)
        if (f.fatal)
            return true;
    return false;
}

} // namespace mdbcheck
