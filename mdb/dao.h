// The small DAO-like face of the Access-file engine: the members the two
// downloads use (DBEngine, OpenDatabase, OpenRecordset, MoveFirst, MoveLast,
// Eof, Delete, AddNew, Fields, Update, Close), and those a reader walks a
// table with (MoveNext, RecordCount, the Fields collection by position with
// each field's Name and Type). Errors are mdb::Error (mdb/errors.h) with
// Jet's number and description.
#pragma once

#include "mdb/errors.h"
#include "mdb/value.h"

#include <memory>
#include <string>
#include <string_view>

namespace mdb {

class Recordset;

// One column of the current row (the new row after AddNew).
class Field {
public:
    Field& operator=(const Value& v);
    Value value() const;
    std::string Name() const; // UTF-8
    // DAO numbers its field types as Jet numbers its column types
    // (dbInteger 3, dbLong 4, dbDouble 7, dbText 10...): jet4::ColumnType.
    int Type() const;

private:
    friend class Recordset;
    Field(Recordset& rs, int column) : m_rs(rs), m_column(column) {}
    Recordset& m_rs;
    int m_column;
};

class Recordset {
public:
    virtual ~Recordset() = default;
    virtual void MoveFirst() = 0;
    virtual void MoveLast() = 0;
    // After the last row the recordset is at its end (Eof); error 3021 when
    // it already is. The reading members default to error 3251, as DAO
    // answers an object that cannot do what is asked: a writer need not read.
    virtual void MoveNext() { throw jetError(kErrNotSupported); }
    virtual bool Eof() const = 0; // DAO's EOF; that name is a C macro
    // The live rows of the table.
    virtual long RecordCount() const { throw jetError(kErrNotSupported); }
    virtual void Delete() = 0;
    virtual void AddNew() = 0;
    Field Fields(std::string_view columnName) { return Field(*this, columnIndex(columnName)); }
    // DAO's Fields.Count, and Fields(i) in the table's column order; error
    // 3265 for a position past the last.
    virtual int FieldCount() const { throw jetError(kErrNotSupported); }
    Field Fields(int position) { return Field(*this, columnAt(position)); }
    virtual void Update() = 0;
    virtual void Close() = 0;

protected:
    friend class Field;
    // Error 3265 "Item not found in this collection." for an unknown name.
    virtual int columnIndex(std::string_view name) const = 0;
    virtual int columnAt(int) const { throw jetError(kErrNotSupported); }
    virtual std::string columnName(int) const { throw jetError(kErrNotSupported); }
    virtual int columnType(int) const { throw jetError(kErrNotSupported); }
    virtual void setValue(int column, const Value& v) = 0;
    virtual Value getValue(int column) const = 0;
};

class Database {
public:
    virtual ~Database() = default;
    virtual std::unique_ptr<Recordset> OpenRecordset(std::string_view tableName) = 0;
    virtual void Close() = 0;
};

class DBEngine {
public:
    virtual ~DBEngine() = default;
    // options: true = exclusive. connect: ";PWD=" plus the password (ours are empty).
    // A shared read-only open reads a file that another shared opener (a
    // download filling it) holds; only an exclusive holder keeps it out.
    virtual std::unique_ptr<Database> OpenDatabase(const std::string& path,
                                                   bool options,
                                                   bool readOnly,
                                                   const std::string& connect) = 0;
};

// The process-wide engine, created on first use and kept.
DBEngine& dbEngine();

inline Field& Field::operator=(const Value& v)
{
    m_rs.setValue(m_column, v);
    return *this;
}

inline Value Field::value() const
{
    return m_rs.getValue(m_column);
}

inline std::string Field::Name() const
{
    return m_rs.columnName(m_column);
}

inline int Field::Type() const
{
    return m_rs.columnType(m_column);
}

} // namespace mdb
