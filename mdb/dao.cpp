// The DAO-like objects over the table engine: one open file per Database,
// table-type recordsets that keep the live rows in storage order.
#include "mdb/dao.h"

#include "mdb/bytes.h"
#include "mdb/catalog.h"
#include "mdb/convert.h"
#include "mdb/errors.h"
#include "mdb/pageio.h"
#include "mdb/table.h"

#include <algorithm>
#include <map>
#include <unordered_map>
#include <vector>

namespace mdb {

namespace {

class RecordsetImpl;

// What a Database and its recordsets share; outlives whichever closes first.
struct DatabaseState {
    std::string path;
    std::unique_ptr<PageStore> store;
    std::map<uint32_t, std::unique_ptr<Table>> tables;
    std::vector<RecordsetImpl*> recordsets;
    bool open = true;
};

// Damage found after the open is reported like Jet's damaged-file error.
template <typename F> auto guarded(const DatabaseState& db, F&& f)
{
    try {
        return f();
    } catch (const FormatError&) {
        throw jetError(kErrCorrupt, db.path);
    }
}

class RecordsetImpl : public Recordset {
public:
    RecordsetImpl(std::shared_ptr<DatabaseState> db, Table& table)
        : m_db(std::move(db)), m_table(&table), m_rows(table.initialRows()),
          m_deleted(m_rows.size(), false)
    {
        m_db->recordsets.push_back(this);
        m_pos = m_rows.empty() ? kNone : 0;
        // Jet lists a table's fields by column number, as mdbtools does;
        // the stored order of the definitions may differ.
        const auto& columns = table.def().columns;
        m_order.resize(columns.size());
        for (std::size_t i = 0; i < columns.size(); ++i)
            m_order[i] = static_cast<int>(i);
        std::stable_sort(m_order.begin(), m_order.end(), [&columns](int a, int b) {
            return columns[static_cast<std::size_t>(a)].number <
                   columns[static_cast<std::size_t>(b)].number;
        });
    }

    ~RecordsetImpl() override
    {
        if (m_db) {
            auto& list = m_db->recordsets;
            std::erase(list, this);
        }
    }

    void MoveFirst() override
    {
        check();
        m_editing = false;
        while (m_first < m_rows.size() && m_deleted[m_first])
            ++m_first;
        if (m_first == m_rows.size())
            noRecord();
        m_pos = m_first;
    }

    void MoveLast() override
    {
        check();
        m_editing = false;
        while (m_rows.size() > m_first && m_deleted.back()) {
            m_rows.pop_back();
            m_deleted.pop_back();
        }
        // A later Update reuses the positions given up here.
        m_cachedPos = kNone;
        if (m_rows.size() == m_first) {
            noRecord();
        }
        m_pos = m_rows.size() - 1;
    }

    void MoveNext() override
    {
        check();
        m_editing = false;
        if (m_pos == kNone)
            throw jetError(kErrNoCurrentRecord);
        std::size_t next = m_pos + 1;
        while (next < m_rows.size() && m_deleted[next])
            ++next;
        m_pos = next < m_rows.size() ? next : kNone;
    }

    bool Eof() const override
    {
        check();
        return m_pos == kNone;
    }

    long RecordCount() const override
    {
        check();
        return static_cast<long>(m_table->liveRowCount());
    }

    int FieldCount() const override
    {
        check();
        return static_cast<int>(m_order.size());
    }

    void Delete() override
    {
        check();
        if (m_editing)
            throw jetError(kErrUpdateWithoutAddNew);
        current();
        guarded(*m_db, [&] { m_table->remove(m_rows[m_pos]); });
        m_deleted[m_pos] = true;
        m_cachedPos = kNone;
    }

    void AddNew() override
    {
        check();
        // Our templates define no default values, so a new row starts null.
        m_newRow.assign(m_table->def().columns.size(), Cell{});
        m_editing = true;
    }

    void Update() override
    {
        check();
        if (!m_editing)
            throw jetError(kErrUpdateWithoutAddNew);
        RowId id = guarded(*m_db, [&] { return m_table->append(m_newRow); });
        m_rows.push_back(id);
        m_deleted.push_back(false);
        m_editing = false;
    }

    void Close() override
    {
        check();
        detach();
    }

    void detach()
    {
        m_editing = false;
        m_closed = true;
        m_table = nullptr;
    }

protected:
    int columnIndex(std::string_view name) const override
    {
        check();
        // The downloads name 42 columns per row; remember the exact spellings.
        if (auto it = m_names.find(std::string(name)); it != m_names.end())
            return it->second;
        int index = -1;
        try {
            index = m_table->def().find(utf8ToUtf16(name));
        } catch (const FormatError&) {
        }
        if (index < 0)
            throw jetError(kErrItemNotFound);
        m_names.emplace(name, index);
        return index;
    }

    int columnAt(int position) const override
    {
        check();
        if (position < 0 || static_cast<std::size_t>(position) >= m_order.size())
            throw jetError(kErrItemNotFound);
        return m_order[static_cast<std::size_t>(position)];
    }

    std::string columnName(int column) const override
    {
        check();
        return utf16ToUtf8(m_table->def().columns.at(static_cast<std::size_t>(column)).name);
    }

    int columnType(int column) const override
    {
        check();
        return m_table->def().columns.at(static_cast<std::size_t>(column)).type;
    }

    void setValue(int column, const Value& v) override
    {
        check();
        if (!m_editing)
            throw jetError(kErrUpdateWithoutAddNew);
        m_newRow.at(static_cast<std::size_t>(column)) =
            toCell(m_table->def().columns.at(static_cast<std::size_t>(column)), v);
    }

    Value getValue(int column) const override
    {
        check();
        const ColumnDef& def = m_table->def().columns.at(static_cast<std::size_t>(column));
        if (m_editing)
            return toValue(def, m_newRow.at(static_cast<std::size_t>(column)));
        current();
        // A reader asks for every field of a row in turn: decode it once.
        if (m_cachedPos != m_pos) {
            m_cached = guarded(*m_db, [&] { return m_table->read(m_rows[m_pos]); });
            m_cachedPos = m_pos;
        }
        return toValue(def, m_cached.at(static_cast<std::size_t>(column)));
    }

private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    void check() const
    {
        if (m_closed || !m_db->open)
            throw jetError(kErrObjectInvalid);
    }

    void current() const
    {
        if (m_pos == kNone)
            throw jetError(kErrNoCurrentRecord);
        if (m_deleted[m_pos])
            throw jetError(kErrRecordDeleted);
    }

    [[noreturn]] void noRecord()
    {
        m_pos = kNone;
        throw jetError(kErrNoCurrentRecord);
    }

    std::shared_ptr<DatabaseState> m_db;
    Table* m_table;
    std::vector<RowId> m_rows;
    std::vector<bool> m_deleted;
    std::size_t m_first = 0; // rows before it are all deleted
    std::size_t m_pos = kNone;
    bool m_editing = false;
    bool m_closed = false;
    std::vector<Cell> m_newRow;
    std::vector<int> m_order; // column indexes by position
    mutable std::unordered_map<std::string, int> m_names;
    mutable std::size_t m_cachedPos = kNone;
    mutable std::vector<Cell> m_cached;
};

class DatabaseImpl : public Database {
public:
    explicit DatabaseImpl(std::shared_ptr<DatabaseState> db) : m_db(std::move(db)) {}

    ~DatabaseImpl() override
    {
        if (m_db->open) {
            try {
                Close();
            } catch (const Error&) {
                // A destructor cannot report; every row is already written.
            }
        }
    }

    std::unique_ptr<Recordset> OpenRecordset(std::string_view tableName) override
    {
        if (!m_db->open)
            throw jetError(kErrObjectInvalid);
        return guarded(*m_db, [&]() -> std::unique_ptr<Recordset> {
            std::optional<uint32_t> page = findTable(*m_db->store, utf8ToUtf16(tableName));
            if (!page)
                throw jetError(kErrTableNotFound, tableName);
            auto& table = m_db->tables[*page];
            if (!table)
                table = std::make_unique<Table>(*m_db->store, *page);
            return std::make_unique<RecordsetImpl>(m_db, *table);
        });
    }

    void Close() override
    {
        if (!m_db->open)
            throw jetError(kErrObjectInvalid);
        for (RecordsetImpl* rs : m_db->recordsets)
            rs->detach();
        m_db->open = false;
        std::unique_ptr<PageStore> store = std::move(m_db->store);
        m_db->tables.clear();
        store->sync();
    }

private:
    std::shared_ptr<DatabaseState> m_db;
};

std::string passwordFrom(const std::string& connect)
{
    // ";PWD=secret;..." - the key is case-insensitive, the value runs to ';'.
    std::string upper = connect;
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    auto at = upper.find("PWD=");
    if (at == std::string::npos)
        return {};
    auto start = at + 4;
    auto end = connect.find(';', start);
    return connect.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

class EngineImpl : public DBEngine {
public:
    std::unique_ptr<Database> OpenDatabase(const std::string& path,
                                           bool options,
                                           bool readOnly,
                                           const std::string& connect) override
    {
        auto db = std::make_shared<DatabaseState>();
        db->path = path;
        try {
            db->store = openFileStore(path, options, readOnly);
            checkDatabase(*db->store, connect);
        } catch (const FormatError&) {
            throw jetError(kErrUnrecognizedFormat, path);
        }
        return std::make_unique<DatabaseImpl>(std::move(db));
    }

private:
    static void checkDatabase(const PageStore& store, const std::string& connect)
    {
        if (store.pageCount() < 3)
            throw FormatError("too short for a database");
        std::vector<uint8_t> page(jet4::kPageSize);
        store.readPage(0, page);
        toggleHeaderMask(page);
        HeaderInfo header = decodeHeader(page);
        if (header.version != jet4::kVersionJet4 || header.databaseKey != 0)
            throw FormatError("not an unencrypted Jet 4 database");
        if (header.password != utf8ToUtf16(passwordFrom(connect)))
            throw jetError(kErrBadPassword);
        store.readPage(jet4::kCatalogTdefPage, page);
        decodeTableDef(page);
    }
};

} // namespace

DBEngine& dbEngine()
{
    static EngineImpl engine;
    return engine;
}

} // namespace mdb
