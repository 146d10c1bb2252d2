// The small DAO-like face of the Access-file engine: the members the two
// downloads use (DBEngine, OpenDatabase, OpenRecordset, MoveFirst, MoveLast,
// Eof, Delete, AddNew, Fields, Update, Close). Errors are mdb::Error
// (mdb/errors.h) with Jet's number and description.
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
    virtual bool Eof() const = 0; // DAO's EOF; that name is a C macro
    virtual void Delete() = 0;
    virtual void AddNew() = 0;
    Field Fields(std::string_view columnName) { return Field(*this, columnIndex(columnName)); }
    virtual void Update() = 0;
    virtual void Close() = 0;

protected:
    friend class Field;
    // Error 3265 "Item not found in this collection." for an unknown name.
    virtual int columnIndex(std::string_view name) const = 0;
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

} // namespace mdb
